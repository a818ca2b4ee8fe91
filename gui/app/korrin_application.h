#pragma once
// The desktop application object: an exception that escapes an event handler shows an error box
// and the windows stay up, instead of ending the process.
#include <QApplication>

namespace korrin {

class TKorrinApplication : public QApplication {
 public:
  TKorrinApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace korrin
