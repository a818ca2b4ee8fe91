// The wait dialog: it closes when the method ends, "&Abort" reaches the method, the close guard
// holds while it runs, and the labels read as the user sees them.
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "common/exception.h"
#include "gui/forms/wait_dialog_box.h"
#include "tests/support/when_modal.h"

using namespace korrin;
using korrin::test::WhenModal;

namespace {

// Polls the abort flag as a long count does, for at most ten seconds.
bool WaitForAbort() {
  for (int i = 0; i < 2000; ++i) {
    if (TWaitDialogBox::Aborted()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

class WaitDialogBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void methodThatReturnsAtOnceClosesTheDialog() {
    std::atomic<bool> ran{false};
    QVERIFY(TWaitDialogBox::WaitForMethod(
        nullptr, [&] { ran = true; }, "Quick", "Working...", wdoProgressBar | wdoCountLabel | wdoElapsedLabel,
        "%s rows."));
    QVERIFY(ran);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void abortReachesTheMethodWhileTheGuardHolds() {
    std::atomic<bool> sawAbort{false};
    bool keptOpen = false, buttonDisabled = false, animated = false;
    QString count, elapsed;
    WhenModal([&](QWidget* dialog) {
      QTest::qWait(700);  // one timer tick at least
      count = dialog->findChild<QLabel*>("CountLabel")->text();
      elapsed = dialog->findChild<QLabel*>("ElapsedLabel")->text();
      auto* animation = dialog->findChild<QLabel*>("WaitingAnimation");
      animated = animation && animation->movie() && animation->movie()->state() == QMovie::Running;
      dialog->close();
      QTest::keyClick(dialog, Qt::Key_Escape);
      keptOpen = dialog->isVisible();
      auto* abort = dialog->findChild<QPushButton*>("AbortButton");
      abort->click();
      buttonDisabled = !abort->isEnabled();
    });
    const bool completed = TWaitDialogBox::WaitForMethod(
        nullptr,
        [&] {
          TWaitDialogBox::SetCount(12345);
          sawAbort = WaitForAbort();
        },
        "Count Rows", "Counting...", wdoProgressBar | wdoCountLabel | wdoElapsedLabel | wdoWaitingGif, "%s rows.");
    QVERIFY(!completed);
    QVERIFY(sawAbort);
    QVERIFY(keptOpen);
    QVERIFY(buttonDisabled);
    QVERIFY(animated);
    QCOMPARE(count, QString("12,345 rows."));
    QCOMPARE(elapsed, QString("Elapsed: 0:00:00"));
  }

  void errorOfTheMethodIsRaisedAfterTheDialogCloses() {
    bool caught = false;
    try {
      TWaitDialogBox::WaitForMethod(
          nullptr, [] { throw Exception("Disk gone."); }, "Count", "Counting...", 0);
    } catch (const Exception& e) {
      caught = QString(e.what()) == "Disk gone.";
    }
    QVERIFY(caught);
  }

  void progressPercent_data() {
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<int>("percent");
    QTest::newRow("empty range") << qint64(0) << qint64(0) << qint64(5) << 0;
    QTest::newRow("half") << qint64(0) << qint64(200) << qint64(100) << 50;
    QTest::newRow("offset range") << qint64(10) << qint64(20) << qint64(15) << 50;
    QTest::newRow("huge file") << qint64(0) << qint64(4000000000000000000) << qint64(1000000000000000000) << 25;
    QTest::newRow("past the end") << qint64(0) << qint64(10) << qint64(11) << 100;
  }
  void progressPercent() {
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(qint64, pos);
    QFETCH(int, percent);
    QCOMPARE(TWaitDialogBox::ProgressPercent(min, max, pos), percent);
  }

  void labelTexts() {
    QCOMPARE(TWaitDialogBox::CountText("%s rows.", 12345), QString("12,345 rows."));
    QCOMPARE(TWaitDialogBox::ElapsedText(3725), QString("Elapsed: 1:02:05"));
  }

  void waitingAnimationLoops() {
    QMovie movie(":/WAITING_GIF");
    QVERIFY(movie.isValid());
    QCOMPARE(movie.frameCount(), 8);
    QCOMPARE(movie.loopCount(), -1);
    QImageReader frames(":/WAITING_GIF");
    for (int i = 0; i < 8; ++i) {
      const QImage frame = frames.read();
      QCOMPARE(frame.size(), QSize(32, 32));
      QCOMPARE(qAlpha(frame.pixel(0, 0)), 0);
      QCOMPARE(qAlpha(frame.pixel(16, 5)), 255);  // the top dot
    }
  }
};

QTEST_MAIN(WaitDialogBoxTest)
#include "wait_dialog_box_test.moc"
