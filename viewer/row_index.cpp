#include "viewer/row_index.h"

#include <cstring>

#include "common/exception.h"
#include "common/utf16.h"
#include "textio/cached_file_stream.h"

namespace korrin {

namespace {

constexpr int32_t kBlockSize = 1 << 20;

}  // namespace

// What one block adds, published to readers in one step.
struct TRowIndex::TCounts {
  int64_t Records = 0;
  int64_t Lines = 0;
  std::vector<int64_t> RecordStarts;
  std::vector<int64_t> LineStarts;

  void Break(TRowScanner::TBreak Break, int64_t Next, bool SeparateLines, bool EndsLine = true) {
    if (SeparateLines && EndsLine && ++Lines % kStride == 0) LineStarts.push_back(Next);
    if (Break == TRowScanner::TBreak::Record && ++Records % kStride == 0) RecordStarts.push_back(Next);
  }
};

TRowIndex::TRowIndex(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options)
    : FFile(std::make_shared<TOpenedFile>(FileName)),
      FEncoding(Encoding),
      FOptions(Options),
      FScanner(Options),
      FFoundDelimiter(Options.Delimiter) {}

TRowIndex::~TRowIndex() { Stop(); }

std::string TRowIndex::Error() const {
  std::lock_guard lock(FLock);
  return FError;
}

TRowOptions TRowIndex::Options() const {
  std::lock_guard lock(FLock);
  TRowOptions options = FOptions;
  options.Delimiter = FFoundDelimiter;
  return options;
}

size_t TRowIndex::MemoryBytes() const {
  std::lock_guard lock(FLock);
  return sizeof(*this) + (FRecordStarts.capacity() + FLineStarts.capacity()) * sizeof(int64_t);
}

bool TRowIndex::Locate(bool Records, int64_t Row, int64_t& Offset, int64_t& Skip) const {
  std::lock_guard lock(FLock);
  const bool lines = !Records && FOptions.CellLineBreaks;
  const std::vector<int64_t>& starts = lines ? FLineStarts : FRecordStarts;
  if (Row < 0 || Row >= (lines ? FLines : FRecords) || starts.empty()) return false;
  const auto at = static_cast<size_t>(Row / kStride);
  if (at >= starts.size()) return false;
  Offset = starts[at];
  Skip = Row % kStride;
  return true;
}

void TRowIndex::Publish(TCounts& Counts, int64_t Position) {
  std::lock_guard lock(FLock);
  FRecordStarts.insert(FRecordStarts.end(), Counts.RecordStarts.begin(), Counts.RecordStarts.end());
  FLineStarts.insert(FLineStarts.end(), Counts.LineStarts.begin(), Counts.LineStarts.end());
  Counts.RecordStarts.clear();
  Counts.LineStarts.clear();
  FFoundDelimiter = FScanner.Delimiter();
  FRecords = Counts.Records;
  FLines = FOptions.CellLineBreaks ? Counts.Lines : Counts.Records;
  FPosition = Position;
}

template <class T>
void TRowIndex::Scan(const T* Units, size_t N, int64_t Base, TCounts& Counts) {
  const bool separateLines = FOptions.CellLineBreaks;
  for (size_t i = 0; i < N;) {
    TRowScanner::TBreak brk;
    i += FScanner.Next(Units + i, N - i, brk);
    if (brk != TRowScanner::TBreak::None) Counts.Break(brk, Base + static_cast<int64_t>(i * sizeof(T)), separateLines);
  }
}

// The common case at memchr's speed: lines ending in LF alone.
void TRowIndex::ScanPlainLines(const uint8_t* Bytes, size_t N, int64_t Base, TCounts& Counts) {
  const uint8_t* p = Bytes;
  const uint8_t* const end = Bytes + N;
  while (const auto* lf = static_cast<const uint8_t*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) {
    p = lf + 1;
    if (++Counts.Records % kStride == 0) Counts.RecordStarts.push_back(Base + (p - Bytes));
  }
  FScanner.SetLineOpen(p == Bytes ? FScanner.LineOpen() || N > 0 : p < end);
}

bool TRowIndex::Build(const TIndexProgress& Progress) {
  TReadOnlyCachedFileStream stream(FFile, kBlockSize);
  stream.DisableStreamReadCache();
  FSize = stream.Size();
  const auto start = static_cast<int64_t>(FEncoding.PreambleSize);
  {
    std::lock_guard lock(FLock);
    FRecordStarts.assign(1, start);
    FLineStarts.assign(FOptions.CellLineBreaks ? 1 : 0, start);
  }
  stream.SetPosition(start);
  TCounts counts;
  std::vector<uint8_t> block(kBlockSize + 1);
  std::u16string units;
  const bool wide = FEncoding.UnitSize == 2;
  const bool plain = !wide && !FOptions.CellLineBreaks;
  int64_t position = start;
  size_t carried = 0;  // an odd byte of UTF-16 that waits for its pair
  for (;;) {
    const int32_t n = stream.Read(block.data() + carried, kBlockSize);
    if (n == 0) {
      // A file that grew while it was indexed is indexed to its end as it is now.
      if (!stream.ExtendViewToFileEnd()) break;
      FSize = stream.Size();
      continue;
    }
    const size_t count = carried + static_cast<size_t>(n);
    if (wide) {
      const size_t even = count & ~size_t{1};
      units.clear();
      FEncoding.Encoding->Decode({block.data(), even}, units);
      Scan(units.data(), units.size(), position, counts);
      position += static_cast<int64_t>(even);
      carried = count - even;
      if (carried) block[0] = block[even];
    } else {
      if (plain && !FScanner.PendingCR() && !std::memchr(block.data(), '\r', count))
        ScanPlainLines(block.data(), count, position, counts);
      else Scan(block.data(), count, position, counts);
      position += static_cast<int64_t>(count);
    }
    Publish(counts, position);
    if (FStop || (Progress && Progress(position, FSize, counts.Records))) return false;
  }
  if (carried) {
    // A dangling odd byte is one more character, as the decoder shows it.
    const char16_t unit = kReplacementChar;
    Scan(&unit, 1, position, counts);
    position += 1;
  }
  // The end closes a record also where the last line has ended already.
  const bool lineOpen = FScanner.LineOpen() || FScanner.PendingCR();
  if (const TRowScanner::TBreak brk = FScanner.Finish(); brk != TRowScanner::TBreak::None)
    counts.Break(brk, position, FOptions.CellLineBreaks, lineOpen);
  Publish(counts, position);
  FDone = true;
  return true;
}

void TRowIndex::Start() {
  Stop();
  FStop = false;
  FWorker = std::thread([this] {
    // Whatever ends the scan (a read error, memory) becomes the window's message, never the program's end.
    try {
      Build(nullptr);
    } catch (...) {
      const std::string message = ExceptionMessage(std::current_exception());
      std::lock_guard lock(FLock);
      FError = message;
    }
  });
}

void TRowIndex::Stop() {
  FStop = true;
  if (FWorker.joinable()) FWorker.join();
}

}  // namespace korrin
