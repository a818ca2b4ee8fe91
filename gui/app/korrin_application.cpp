#include "gui/app/korrin_application.h"

#include <exception>

#include "common/exception.h"
#include "gui/forms/dialog_hooks.h"

namespace korrin {

bool TKorrinApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception&) {
    const QString text = QString::fromStdString(ExceptionMessage(std::current_exception()));
    ShowMessage(activeWindow(), {TMessageKind::mkError, applicationName(), text});
  }
  return false;
}

}  // namespace korrin
