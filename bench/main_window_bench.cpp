// The main window with a million lines: from the click on "Generate IPs" for 10.0.0.0/12 to the
// lines shown in the output list, and "Shuffle" of them; the longest gap between two turns of
// the event loop (a stall of the window) and the resident memory are reported as counters.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "app/memo_lines.h"

namespace {

using namespace korrin;

double ResidentMB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// Notes the longest time between two ticks of a 5 ms timer while it runs, and when the output
// list first showed lines.
class TStallMeter {
 public:
  explicit TStallMeter(const QPlainTextEdit* Output) {
    FTimer.setInterval(5);
    QObject::connect(&FTimer, &QTimer::timeout, [this, Output] {
      FMax = std::max(FMax, FTick.restart());
      if (FFirstLines < 0 && MemoLineCount(Output) > 0) FFirstLines = FStart.elapsed();
    });
    FTick.start();
    FStart.start();
    FTimer.start();
  }
  qint64 MaxMs() const { return FMax; }
  qint64 FirstLinesMs() const { return FFirstLines; }

 private:
  QTimer FTimer;
  QElapsedTimer FTick, FStart;
  qint64 FMax = 0;
  qint64 FFirstLines = -1;
};

void Click(TForm1& w, const char* name) { w.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }

void WaitIdle(TForm1& w) {
  while (w.Busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_GenerateMillionLinesIntoTheWindow(benchmark::State& state) {
  TForm1 w;
  w.show();
  w.findChild<QPlainTextEdit*>("Memo1")->setPlainText("10.0.0.0/12");
  auto* output = w.findChild<QPlainTextEdit*>("Memo2");
  qint64 stall = 0, firstLines = 0;
  for (auto _ : state) {
    TStallMeter meter(output);
    QElapsedTimer clock;
    clock.start();
    Click(w, "StartButton");
    WaitIdle(w);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    stall = std::max(stall, meter.MaxMs());
    firstLines = std::max(firstLines, meter.FirstLinesMs());
    if (MemoLineCount(output) != 1048576) state.SkipWithError("lines missing");
  }
  state.counters["max_stall_ms"] = double(stall);
  state.counters["first_lines_ms"] = double(firstLines);
  state.counters["rss_mb"] = ResidentMB();
}
BENCHMARK(BM_GenerateMillionLinesIntoTheWindow)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ShuffleMillionLinesInTheWindow(benchmark::State& state) {
  TForm1 w;
  w.show();
  w.findChild<QPlainTextEdit*>("Memo1")->setPlainText("10.0.0.0/12");
  Click(w, "StartButton");
  WaitIdle(w);
  qint64 stall = 0;
  for (auto _ : state) {
    TStallMeter meter(w.findChild<QPlainTextEdit*>("Memo2"));
    QElapsedTimer clock;
    clock.start();
    Click(w, "Button10");
    WaitIdle(w);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    stall = std::max(stall, meter.MaxMs());
  }
  state.counters["max_stall_ms"] = double(stall);
  state.counters["rss_mb"] = ResidentMB();
}
BENCHMARK(BM_ShuffleMillionLinesInTheWindow)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;  // the settings file the window writes stays out of the user's folder
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
