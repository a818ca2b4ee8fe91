// The viewer's preview of the first 1000 rows and the row count, on a generated CSV file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "textio/cached_file_line_reader.h"
#include "viewer/file_preview.h"

namespace {

// About 64 MB of rows that look like an exported address table, written on first use and
// removed by the same object when the program ends (a separate remover would outlive the name).
class TSampleFile {
 public:
  TSampleFile() : FPath("/tmp/korrin-viewer-bench-" + std::to_string(::getpid()) + ".csv") {
    std::ofstream out(FPath, std::ios::binary);
    out << "network,geoname_id,country_iso_code,country_name,is_anonymous_proxy\n";
    for (int i = 0; i < 1000000; ++i)
      out << i / 65536 % 256 << '.' << i / 256 % 256 << '.' << i % 256 << ".0/24," << 2000000 + i
          << ",\"DE\",\"Germany, Federal Republic\"," << (i % 7 == 0) << '\n';
  }
  ~TSampleFile() { std::remove(FPath.c_str()); }
  TSampleFile(const TSampleFile&) = delete;
  TSampleFile& operator=(const TSampleFile&) = delete;
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

const std::string& SampleFile() {
  static const TSampleFile file;
  return file.Path();
}

void BM_Preview1000Rows(benchmark::State& state) {
  korrin::TFilePreview preview;
  for (auto _ : state) {
    if (!preview.ReadPreview(SampleFile(), false)) state.SkipWithError(preview.PreviewStatus().c_str());
    for (int32_t row = 1; row <= 1000; ++row) benchmark::DoNotOptimize(preview.ParseRow(row));
  }
}
BENCHMARK(BM_Preview1000Rows)->Unit(benchmark::kMillisecond);

void BM_CountRows(benchmark::State& state) {
  korrin::TFilePreview preview;
  int64_t bytes = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(preview.CountRows(SampleFile(), false, nullptr));
    std::ifstream in(SampleFile(), std::ios::ate | std::ios::binary);
    bytes += in.tellg();
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_CountRows)->Unit(benchmark::kMillisecond);

// The decoder's own speed, for comparison with the byte scan of CountRows.
void BM_DecodeAllLines(benchmark::State& state) {
  int64_t bytes = 0;
  for (auto _ : state) {
    korrin::TCachedFileLineReader reader(SampleFile(), 65536, 1024);
    while (!reader.EndOfLines()) reader.GotoNextLine();
    bytes += reader.StreamSize();
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DecodeAllLines)->Unit(benchmark::kMillisecond);

}  // namespace
