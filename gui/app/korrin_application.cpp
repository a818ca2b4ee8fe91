#include "gui/app/korrin_application.h"

#include <new>

#include "gui/forms/dialog_hooks.h"

namespace korrin {

bool TKorrinApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    const QString text =
        dynamic_cast<const std::bad_alloc*>(&e) ? QStringLiteral("Out of memory.") : QString::fromStdString(e.what());
    ShowMessage(activeWindow(), {TMessageKind::mkError, applicationName(), text});
  }
  return false;
}

}  // namespace korrin
