#include "gui/forms/band_dialog.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace korrin {

namespace {

constexpr int kWidth = 400;
constexpr int kMargin = 19;

}  // namespace

TBandDialog::TBandDialog(QWidget* AOwner, const QString& ATitle)
    : QDialog(AOwner), FBand(new QWidget(this)), FIcon(new QLabel(FBand)) {
  setWindowTitle(ATitle);
  setFixedWidth(kWidth);
  if (AOwner) setFont(AOwner->font());
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 11);
  outer->setSpacing(0);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // The band is painted in the palette's base colour, so what it holds takes the text colour that
  // goes with it: light on a dark palette, dark on a light one.
  FBand->setBackgroundRole(QPalette::Base);
  auto* band = new QGridLayout(FBand);
  band->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  band->setHorizontalSpacing(11);
  FIcon->setFixedSize(32, 32);
  FIcon->hide();
  band->addWidget(FIcon, 0, 0, Qt::AlignTop);
  FBandLayout = new QVBoxLayout;
  FBandLayout->setSpacing(5);
  band->addLayout(FBandLayout, 0, 1);
  band->setColumnStretch(1, 1);
  FBand->setMinimumWidth(kWidth);
  outer->addWidget(FBand);

  FBodyLayout = new QVBoxLayout;
  FBodyLayout->setContentsMargins(kMargin, 0, kMargin, 0);
  outer->addLayout(FBodyLayout);

  FButtons = new QHBoxLayout;
  FButtons->setContentsMargins(11, 12, 11, 0);
  FButtons->setSpacing(7);
  FButtons->addStretch();
  outer->addLayout(FButtons);
}

void TBandDialog::SetIcon(const QPixmap& Icon) {
  FIcon->setPixmap(Icon);
  FIcon->show();
}

void TBandDialog::SetIconWidget(QWidget* Icon) {
  FIcon->hide();
  auto* band = static_cast<QGridLayout*>(FBand->layout());
  band->addWidget(Icon, 0, 0, Qt::AlignTop);
}

QLabel* TBandDialog::AddText(const QString& Text) {
  auto* label = new QLabel(Text, FBand);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  FBandLayout->addWidget(label);
  return label;
}

void TBandDialog::AddButton(QAbstractButton* Button) {
  Button->setParent(this);
  Button->setMinimumHeight(25);
  FButtons->addWidget(Button);
}

void TBandDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  const int bottom = FBand->geometry().bottom();
  painter.fillRect(QRect(0, 0, width(), bottom), palette().brush(QPalette::Base));
  painter.setPen(palette().color(QPalette::Midlight));
  painter.drawLine(0, bottom, width(), bottom);
}

void TBandDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QWidget* owner = parentWidget() && !FScreenCenter ? parentWidget()->window() : nullptr;
  const QRect area = owner ? owner->frameGeometry() : screen()->availableGeometry();
  move(area.center() - rect().center());
}

}  // namespace korrin
