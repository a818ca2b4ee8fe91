#pragma once
// A label that can act as a hyperlink: a click opens its web address or file, or runs a closure.
#include <QLabel>
#include <functional>

namespace korrin {

class TLabelEx : public QLabel {
 public:
  using TOnClickLinkRef = std::function<void(TLabelEx* Sender)>;

  explicit TLabelEx(const QString& Caption = {}, QWidget* parent = nullptr);

  // Hand cursor, underlined text in the palette's link colour.
  void SetLink();
  void SetLink(const QString& ALink);
  void SetLink(const QString& ACaption, const QString& ALink);
  void SetLink(TOnClickLinkRef AOnClickLinkRef);
  void SetLink(const QString& ACaption, TOnClickLinkRef AOnClickLinkRef);

  const QString& Link() const { return FLink; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // A closure wins over the link.
  void ClickLink();

  QString FLink;
  TOnClickLinkRef FOnClickLink;
  bool FLinkAction = false;
};

}  // namespace korrin
