// The korrin desktop application: one main window and its event loop.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korrin"));
  QApplication::setApplicationDisplayName(QStringLiteral("Korrin"));
  korrin::TForm1 window;
  window.show();
  return QApplication::exec();
}
