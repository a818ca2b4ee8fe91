#include "gui/app/progress_tracker.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <string>
#include <vector>

using namespace korrin;

// A tracker with every output attached that the main window uses, and a log of its events.
struct TTracked {
  QProgressBar Bar;
  QLabel Percent, Elapsed, Status;
  QPushButton Start{"Start"}, Break{"Break"}, Close{"Close"};
  TProgress P;
  std::vector<std::string> Events;
  TTracked() {
    P.SetProgressBar(&Bar);
    P.SetBreakButton(&Break);
    P.SetStartButton(&Start);
    P.SetCloseButton(&Close);
    P.SetProgressLabel(&Percent);
    P.SetElapsedLabel(&Elapsed);
    P.SetStatusLabel(&Status);
    P.SetBeforeStart([this](TProgress&, bool&, bool&) { Events.push_back("BeforeStart"); });
    P.SetOnStart([this](TProgress&) { Events.push_back("OnStart"); });
    P.SetOnStop([this](TProgress&) { Events.push_back("OnStop"); });
    P.SetAfterStop([this](TProgress&) { Events.push_back("AfterStop"); });
    P.SetOnTerminate([this](TProgress&) { Events.push_back("OnTerminate"); });
    P.SetOnBreakClicked([this](TProgress&) { Events.push_back("OnBreakClicked"); });
  }
};

class ProgressTest : public QObject {
  Q_OBJECT

 private slots:
  // The label shows the figure as it is; the bar, which cannot show more than full, is clamped.
  void percentageIsNeitherClampedNorDividedByAnEmptyRange() {
    const struct {
      int64_t min, max, position, percent;
    } cases[] = {{0, 100, 50, 50}, {0, 100, 150, 150}, {10, 10, 10, 0},
                 {20, 10, 15, 0},  {0, 3, 2, 66},      {100, 200, 95, -5}};
    for (const auto& c : cases) {
      TTracked t;
      t.P.SetMax(c.max);
      t.P.SetMin(c.min);
      t.P.SetPosition(c.position);
      t.P.UpdateDisplay();
      QCOMPARE(t.P.Percent(), c.percent);
      QCOMPARE(t.Percent.text(), QString("%1 %").arg(c.percent));
      QCOMPARE(t.Bar.value(), int(std::clamp<int64_t>(c.percent, 0, 100)));
    }
  }

  void writingTheRangeMovesThePositionInsideIt() {
    TProgress p;
    p.SetPosition(80);
    p.SetMax(50);
    QCOMPARE(p.Position(), int64_t{50});
    p.SetMin(60);
    QCOMPARE(p.Position(), int64_t{60});
  }

  void elapsedTimeHasUnboundedHours() {
    QCOMPARE(TProgress::FormatElapsed(7'999), std::string("0:00:07"));
    QCOMPARE(TProgress::FormatElapsed(59'000), std::string("0:00:59"));
    QCOMPARE(TProgress::FormatElapsed((12 * 3600 + 34 * 60 + 56) * 1000LL), std::string("12:34:56"));
    QCOMPARE(TProgress::FormatElapsed(100 * 3600 * 1000LL), std::string("100:00:00"));
  }

  void startAndEndDriveTheButtonsAndRaiseTheEventsInOrder() {
    TTracked t;
    QVERIFY(!t.Break.isEnabled());
    t.P.SetStatus("old");
    t.P.SetProcessed(9);
    t.Start.click();
    QVERIFY(!t.P.Terminated());
    QVERIFY(t.Break.isEnabled());
    QVERIFY(!t.Start.isEnabled());
    QVERIFY(!t.Close.isEnabled());
    QCOMPARE(t.P.Processed(), int64_t{0});
    QCOMPARE(t.Status.text(), QString());
    QCOMPARE(t.Elapsed.text(), QString("0:00:00"));
    t.P.SetStatus("done");
    t.P.EndProgress();
    QVERIFY(t.P.Terminated());
    QVERIFY(!t.Break.isEnabled());
    QVERIFY(t.Start.isEnabled());
    QVERIFY(t.Close.isEnabled());
    QVERIFY(t.P.EndTime() >= t.P.StartTime());
    QCOMPARE(t.Status.text(), QString("done"));
    QCOMPARE(t.Events, (std::vector<std::string>{"BeforeStart", "OnStart", "OnStop", "AfterStop"}));
  }

  void breakWhileRunningMarksTerminatedAndLeavesStartDisabled() {
    TTracked t;
    t.P.StartProgress();
    t.Break.click();
    QVERIFY(t.P.Terminated());
    QVERIFY(!t.Break.isEnabled());
    QVERIFY(!t.Start.isEnabled());
    QCOMPARE(t.Events.back(), std::string("OnTerminate"));
    t.Events.clear();
    t.P.EndProgress();  // the work ends later; the Start button comes back then
    QVERIFY(t.Start.isEnabled());
    QCOMPARE(t.Events, (std::vector<std::string>{"OnStop", "AfterStop"}));
  }

  void breakWhileIdleOnlyReportsTheClick() {
    TTracked t;
    t.Break.setEnabled(true);
    t.Break.click();
    QVERIFY(t.P.Terminated());
    QCOMPARE(t.Events, std::vector<std::string>{"OnBreakClicked"});
  }

  void aRefusedStartChangesNothing() {
    TTracked t;
    t.P.SetBeforeStart([](TProgress&, bool& allow, bool&) { allow = false; });
    t.P.SetStatus("kept");
    t.P.SetPosition(42);
    t.Start.click();
    QCOMPARE(t.P.StartTime(), int64_t{0});
    QVERIFY(t.P.Terminated());
    QVERIFY(t.Start.isEnabled());
    QVERIFY(!t.Break.isEnabled());
    QCOMPARE(t.P.Position(), int64_t{42});
    QCOMPARE(t.P.Status(), std::string("kept"));
    QVERIFY(t.Events.empty());
  }

  void theTimerRefreshesAtMostOncePerUpdatePeriod() {
    TTracked t;
    t.P.SetUpdatePeriod(0);
    t.P.SetStatus("from the job");
    QTRY_COMPARE_WITH_TIMEOUT(t.Status.text(), QString("from the job"), 1000);
    t.P.SetUpdatePeriod(60'000);
    QTest::qWait(150);  // the refresh of this period, if one was still due
    t.P.SetStatus("later");
    QTest::qWait(300);
    QVERIFY(t.Status.text() != QString("later"));
  }

  void flagsHideTheOutputsWhileIdle() {
    TTracked t;
    t.P.SetFlags(pfPBHidden | pfBBHidden | pfSBHide);
    QVERIFY(t.Bar.isHidden());
    QVERIFY(t.Break.isHidden());
    QVERIFY(!t.Start.isHidden());
    t.P.StartProgress();
    QVERIFY(!t.Bar.isHidden());
    QVERIFY(!t.Break.isHidden());
    QVERIFY(t.Start.isHidden());
    t.P.EndProgress();
    QVERIFY(t.Bar.isHidden());
    QVERIFY(!t.Start.isHidden());
  }
};

QTEST_MAIN(ProgressTest)
#include "progress_tracker_test.moc"
