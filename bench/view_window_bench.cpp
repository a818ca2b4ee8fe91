// The file view window on a 1 GB CSV: from creation to the first 1000 rows painted, "Count Rows..."
// through the wait dialog (with the longest stall of the dialog's event loop as a counter), the
// index built while the window runs (with its longest stall) and a jump to the last row, and
// opening and paging through a preview of 500 columns, whose cells are parsed only for the rows painted.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <string>

#include "bench/stall_meter.h"
#include "gui/forms/report_list_view.h"
#include "gui/view_window/view_csv_file_form.h"

namespace {

using namespace korrin;

const std::string kCache = KORRIN_BENCH_CACHE;

// Written once, removed at exit. KORRIN_BENCH_MB sets the size (1024 by default).
const std::string& LargeFile() {
  static const std::string path = [] {
    const std::string name = kCache + "/view_window_large.csv";
    const long long target = qEnvironmentVariableIntValue("KORRIN_BENCH_MB") > 0
                                 ? qEnvironmentVariableIntValue("KORRIN_BENCH_MB") * 1048576LL
                                 : 1024LL * 1048576LL;
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) std::abort();
    std::fputs("network,country,city,latitude,longitude\n", f);
    long long written = 0;
    char line[128];
    for (unsigned i = 0; written < target; ++i) {
      const int n = std::snprintf(line, sizeof line, "%u.%u.%u.0/24,GB,Boxford %u,51.%04u,-0.%04u\n", i >> 16 & 255,
                                  i >> 8 & 255, i & 255, i % 1000, i % 10000, (i * 7) % 10000);
      std::fwrite(line, 1, static_cast<size_t>(n), f);
      written += n;
    }
    std::fclose(f);
    std::atexit([] { std::remove((kCache + "/view_window_large.csv").c_str()); });
    return name;
  }();
  return path;
}

const std::string& WideFile() {
  static const std::string path = [] {
    const std::string name = kCache + "/view_window_wide.csv";
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) std::abort();
    for (int row = 0; row <= 1000; ++row) {
      for (int col = 0; col < 500; ++col) std::fprintf(f, col ? ",v%d_%d" : "v%d_%d", row, col);
      std::fputc('\n', f);
    }
    std::fclose(f);
    std::atexit([] { std::remove((kCache + "/view_window_wide.csv").c_str()); });
    return name;
  }();
  return path;
}

TListViewEx* Table(TViewCSVFileForm& form) { return form.findChild<TListViewEx*>("SourceView"); }

// Shown at the window's default size.
void Open(TViewCSVFileForm& form, const QString& file) {
  form.Prepare("Bench", file);
  form.resize(922, 566);
  form.show();
}

// Runs the window's event loop until the index has reached the end of the file.
void WaitForTheIndex(TViewCSVFileForm& form) {
  auto* progress = form.findChild<QProgressBar*>();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!progress || !progress->isVisible()) loop.quit();
  });
  poll.start(10);
  loop.exec();
}

void BM_OpenLargeFileFirstRowsPainted(benchmark::State& state) {
  const QString file = QString::fromStdString(LargeFile());
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    TViewCSVFileForm form;
    Open(form, file);
    Table(form)->viewport()->repaint();
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    if (Table(form)->ItemCount() != 1001) state.SkipWithError("not 1000 rows and the \"...\" item");
  }
}
BENCHMARK(BM_OpenLargeFileFirstRowsPainted)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_CountRowsOfLargeFileThroughTheWaitDialog(benchmark::State& state) {
  const QString file = QString::fromStdString(LargeFile());
  TViewCSVFileForm form;
  form.Prepare("Bench", file);
  form.show();
  qint64 stall = 0;
  for (auto _ : state) {
    TStallMeter meter;
    QElapsedTimer clock;
    clock.start();
    form.findChild<QPushButton*>("CountRowsButton")->click();
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    stall = std::max(stall, meter.LongestMs());
    if (form.Rows() <= 0) state.SkipWithError("no count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * QFileInfo(file).size());
  state.counters["rows"] = double(form.Rows());
  state.counters["max_stall_ms"] = double(stall);
}
BENCHMARK(BM_CountRowsOfLargeFileThroughTheWaitDialog)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// From opening the window until the index has reached the end, while the window paints; the
// time includes up to one 100 ms poll of the index by the window. With argument 1 the "..." item
// is clicked at once, so that the list grows with the index.
void BM_IndexLargeFileWhileTheWindowRuns(benchmark::State& state) {
  const QString file = QString::fromStdString(LargeFile());
  const bool showAllAtOnce = state.range(0) == 1;
  qint64 stall = 0;
  int64_t items = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    TViewCSVFileForm form;
    Open(form, file);
    TListViewEx* table = Table(form);
    // The "..." item shows every row.
    const auto showAll = [table] { emit table->activated(table->model()->index(table->ItemCount() - 1, 0)); };
    if (showAllAtOnce) showAll();
    TStallMeter meter;
    WaitForTheIndex(form);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    stall = std::max(stall, meter.LongestMs());
    if (!showAllAtOnce) showAll();
    items = table->ItemCount();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * QFileInfo(file).size());
  state.counters["rows_shown"] = double(items);
  state.counters["max_stall_ms"] = double(stall);
}
BENCHMARK(BM_IndexLargeFileWhileTheWindowRuns)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Ctrl+End on the table showing every row of the indexed file, to the last rows painted.
void BM_JumpToTheLastRow(benchmark::State& state) {
  TViewCSVFileForm form;
  Open(form, QString::fromStdString(LargeFile()));
  WaitForTheIndex(form);
  TListViewEx* table = Table(form);
  emit table->activated(table->model()->index(table->ItemCount() - 1, 0));
  table->setFocus();
  for (auto _ : state) {
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
    QCoreApplication::sendEvent(table, &home);
    table->viewport()->repaint();
    QElapsedTimer clock;
    clock.start();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(table, &end);
    table->viewport()->repaint();
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    if (table->ItemOf(table->currentIndex()) != table->ItemCount() - 1) state.SkipWithError("not on the last row");
  }
  state.counters["rows"] = double(table->ItemCount());
}
BENCHMARK(BM_JumpToTheLastRow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_OpenWideFile(benchmark::State& state) {
  const QString file = QString::fromStdString(WideFile());
  for (auto _ : state) {
    TViewCSVFileForm form;
    Open(form, file);
    Table(form)->viewport()->repaint();
    if (Table(form)->ColumnCount() != 501) state.SkipWithError("not 500 columns and \"#\"");
  }
}
BENCHMARK(BM_OpenWideFile)->Unit(benchmark::kMillisecond);

void BM_PageThrough500Columns(benchmark::State& state) {
  TViewCSVFileForm form;
  Open(form, QString::fromStdString(WideFile()));
  TListViewEx* table = Table(form);
  QScrollBar* bar = table->verticalScrollBar();
  // Laid out, so that a page is what the window shows.
  while (bar->pageStep() <= 1 || bar->maximum() == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  for (auto _ : state) {
    bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
    table->viewport()->repaint();
  }
  state.counters["columns"] = double(table->ColumnCount());
  state.counters["rows_per_page"] = double(bar->pageStep());
}
BENCHMARK(BM_PageThrough500Columns)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
