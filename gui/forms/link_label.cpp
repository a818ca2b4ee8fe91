#include "gui/forms/link_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace korrin {

TLabelEx::TLabelEx(const QString& Caption, QWidget* parent) : QLabel(Caption, parent) {}

void TLabelEx::SetLink() {
  setCursor(Qt::PointingHandCursor);
  // The palette's link colour, so that a dark palette gives a light one.
  setForegroundRole(QPalette::Link);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
}

void TLabelEx::SetLink(const QString& ALink) {
  FLink = ALink;
  FLinkAction = true;
  SetLink();
}

void TLabelEx::SetLink(const QString& ACaption, const QString& ALink) {
  setText(ACaption);
  SetLink(ALink);
}

void TLabelEx::SetLink(TOnClickLinkRef AOnClickLinkRef) {
  FOnClickLink = std::move(AOnClickLinkRef);
  FLinkAction = true;
  SetLink();
}

void TLabelEx::SetLink(const QString& ACaption, TOnClickLinkRef AOnClickLinkRef) {
  setText(ACaption);
  SetLink(std::move(AOnClickLinkRef));
}

void TLabelEx::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && FLinkAction && rect().contains(event->position().toPoint())) ClickLink();
}

void TLabelEx::ClickLink() {
  if (FOnClickLink) {
    FOnClickLink(this);
  } else if (!FLink.isEmpty()) {
    // A failing open is not reported: the desktop shows its own message, if any.
    QDesktopServices::openUrl(QUrl::fromUserInput(FLink));
  }
}

}  // namespace korrin
