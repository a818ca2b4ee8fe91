#include "gui/forms/on_demand_combo_box.h"

namespace korrin {

void TOnDemandComboBox::showPopup() {
  emit ItemsWanted();
  QComboBox::showPopup();
}

void TOnDemandComboBox::focusInEvent(QFocusEvent* event) {
  emit ItemsWanted();
  QComboBox::focusInEvent(event);
}

void TOnDemandComboBox::wheelEvent(QWheelEvent* event) {
  emit ItemsWanted();
  QComboBox::wheelEvent(event);
}

}  // namespace korrin
