#pragma once
// The look the application's small dialogs share: an icon and text on a band of the palette's base
// colour (white on a light palette) closed by a line, and a row of buttons under it, 400 pixels
// wide and centred on the owner.
#include <QDialog>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace korrin {

class TBandDialog : public QDialog {
 public:
  TBandDialog(QWidget* AOwner, const QString& ATitle);

  // Left of the band's content; nothing shows there until one is set.
  void SetIcon(const QPixmap& Icon);
  void SetIconWidget(QWidget* Icon);
  // Word-wrapped plain text: an ampersand is shown, not taken as a shortcut.
  QLabel* AddText(const QString& Text);
  // The band's content column, under the text.
  QVBoxLayout* BandLayout() const { return FBandLayout; }
  // The area between the band and the buttons.
  QVBoxLayout* BodyLayout() const { return FBodyLayout; }
  // Right-aligned, in the order added.
  void AddButton(QAbstractButton* Button);
  // Centred on the screen instead of on the owner.
  void SetScreenCenter(bool Value) { FScreenCenter = Value; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* FBand;
  QLabel* FIcon;
  QVBoxLayout* FBandLayout;
  QVBoxLayout* FBodyLayout;
  QHBoxLayout* FButtons;
  bool FScreenCenter = false;
};

}  // namespace korrin
