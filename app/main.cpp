// The korrin desktop application: one main window and its event loop.
#include <QApplication>
#include <QIcon>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korrin"));
  // The icon that the install puts into the desktop's theme.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korrin")));
  korrin::TForm1 window;
  window.show();
  return QApplication::exec();
}
