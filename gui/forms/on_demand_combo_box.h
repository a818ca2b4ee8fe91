#pragma once
// A combo box whose items cost something to find, such as the fields read from a database: it asks
// for them only when the user is about to see or step through them, not whenever what they depend
// on changes, so that typing a path or starting the window reads nothing.
#include <QComboBox>

namespace korrin {

class TOnDemandComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  void showPopup() override;

 signals:
  // The items are about to be shown, stepped through or completed from: the moment to bring them up
  // to date.
  void ItemsWanted();

 protected:
  // With the focus, keys step through the items and typing completes from them.
  void focusInEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace korrin
