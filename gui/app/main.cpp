// The korrin desktop application: one main window and its event loop.
#include <QIcon>

#include "gui/app/korrin_application.h"
#include "gui/app/main_window.h"
#include "gui/view_window/view_files.h"

int main(int argc, char* argv[]) {
  korrin::TKorrinApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korrin"));
  // The icon that the install puts into the desktop's theme.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korrin")));
  // "--view FILE": the viewer alone, on a delimited text file or a database.
  if (const qsizetype view = QApplication::arguments().indexOf(QStringLiteral("--view")); view > 0) {
    korrin::ViewAnyFile(QApplication::arguments().value(view + 1));
    return 0;
  }
  korrin::TForm1 window;
  window.show();
  return QApplication::exec();
}
