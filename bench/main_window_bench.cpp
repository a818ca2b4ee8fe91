// The main window with a million lines: from the click on "Generate IPs" for 10.0.0.0/12 to the
// lines shown in the output list, and "Shuffle" of them; the longest gap between two turns of
// the event loop (a stall of the window) and the resident memory are reported as counters. And
// the reverse lookup of 10,000 addresses against a local dnsmasq, from the window and, in the
// same run, by the batch alone as korrin-cli runs it.
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
#include "dns/reverse_lookup.h"
#include "tests/dns/dnsmasq_process.h"

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

constexpr int kLookupAddresses = 10000;

QString LookupLines() {
  QStringList lines;
  for (int i = 0; i < kLookupAddresses; ++i) lines.append(QString("10.0.%1.%2").arg(i / 256).arg(i % 256));
  return lines.join('\n');
}

const test::TDnsmasqProcess& Dnsmasq() {
  static const auto dnsmasq = std::make_unique<test::TDnsmasqProcess>(test::NumberedPtrRecords(256));
  return *dnsmasq;
}

void BM_LookupInTheWindow(benchmark::State& state) {
  if (!Dnsmasq().Ready()) return state.SkipWithError(Dnsmasq().Problem().c_str());
  TForm1 w;
  w.show();
  w.findChild<QPlainTextEdit*>("Memo2")->setPlainText(LookupLines());
  w.findChild<QPlainTextEdit*>("Memo5")->setPlainText(test::TDnsmasqProcess::kAddress);
  const auto* resolved = w.findChild<QPlainTextEdit*>("Memo3");
  const auto* unresolved = w.findChild<QPlainTextEdit*>("Memo4");
  qint64 stall = 0;
  for (auto _ : state) {
    TStallMeter meter(resolved);
    QElapsedTimer clock;
    clock.start();
    Click(w, "Button5");
    WaitIdle(w);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    stall = std::max(stall, meter.MaxMs());
    if (MemoLineCount(resolved) + MemoLineCount(unresolved) != kLookupAddresses) state.SkipWithError("results missing");
  }
  state.SetItemsProcessed(state.iterations() * kLookupAddresses);
  state.counters["max_stall_ms"] = double(stall);
}
BENCHMARK(BM_LookupInTheWindow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_LookupByTheBatchAlone(benchmark::State& state) {
  if (!Dnsmasq().Ready()) return state.SkipWithError(Dnsmasq().Problem().c_str());
  std::vector<std::string> addresses;
  for (const QString& line : LookupLines().split('\n')) addresses.push_back(line.toStdString());
  TReverseLookup batch;
  std::vector<std::string> resolved, unresolved;
  TReverseLookupEvents events;
  events.OnResolved = [&](const std::string& line) { resolved.push_back(line); };
  events.OnUnresolved = [&](const std::string& address, TLookupReason) { unresolved.push_back(address); };
  batch.SetEvents(events);
  for (auto _ : state) {
    resolved.clear();
    unresolved.clear();
    QElapsedTimer clock;
    clock.start();
    batch.Lookup(addresses, {test::TDnsmasqProcess::kAddress});
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
  }
  state.SetItemsProcessed(state.iterations() * kLookupAddresses);
}
BENCHMARK(BM_LookupByTheBatchAlone)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

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
