// The application object: an exception out of an event handler becomes an error box, and the
// event loop goes on.
#include <QTest>
#include <stdexcept>

#include "gui/app/korrin_application.h"
#include "gui/forms/dialog_hooks.h"

namespace {

// Throws what it is told to from its event handler.
class TThrowingObject : public QObject {
 public:
  std::function<void()> Throw;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) Throw();
    return QObject::event(e);
  }
};

class KorrinApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void anExceptionOutOfAHandlerShowsAnErrorBoxAndTheLoopGoesOn() {
    QStringList shown;
    const auto previous = korrin::SetMessageHandler([&](QWidget*, const korrin::TMessageRequest& r) {
      if (r.Kind == korrin::TMessageKind::mkError) shown << r.Text;
      return true;
    });
    TThrowingObject object;
    object.Throw = [] { throw std::bad_alloc(); };
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    object.Throw = [] { throw std::runtime_error("Cannot read file \"x\". Is a directory"); };
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    bool ran = false;
    QMetaObject::invokeMethod(
        &object, [&] { ran = true; }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    korrin::SetMessageHandler(previous);
    QCOMPARE(shown, (QStringList{"Out of memory.", "Cannot read file \"x\". Is a directory"}));
    QVERIFY(ran);
  }
};

}  // namespace

int main(int argc, char** argv) {
  korrin::TKorrinApplication app(argc, argv);
  KorrinApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "korrin_application_test.moc"
