#include "viewer/row_finder.h"

#include <algorithm>

#include "viewer/row_reader.h"

namespace korrin {

namespace {

char16_t FoldCase(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F) ||
      (c >= 0x391 && c <= 0x3AB && c != 0x3A2))
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

}  // namespace

TRowFinder::TRowFinder(std::string FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options)
    : FFileName(std::move(FileName)), FEncoding(Encoding), FOptions(Options) {}

TRowFinder::~TRowFinder() { Stop(); }

bool TRowFinder::Find(const TFindRequest& Request, TFindResult& Result) {
  Result = {};
  if (Request.Text.empty()) return true;
  std::u16string needle = Request.Text;
  if (!Request.MatchCase) std::transform(needle.begin(), needle.end(), needle.begin(), FoldCase);
  TRowReader reader(FFileName, FEncoding, FOptions, 1 << 20);
  TStringList lines;
  int64_t first = -1, last = -1, after = -1, before = -1;
  for (int64_t row = 0; reader.Read(Request.Records, lines); ++row) {
    if ((row & 1023) == 0) {
      FPosition = reader.Position();
      if (FStop) return false;
    }
    if (row < Request.FirstRow) continue;
    const bool match = std::any_of(lines.begin(), lines.end(), [&](std::u16string& line) {
      if (!Request.MatchCase) std::transform(line.begin(), line.end(), line.begin(), FoldCase);
      return line.find(needle) != std::u16string::npos;
    });
    if (!match) continue;
    ++Result.Count;
    if (first < 0) first = row;
    last = row;
    if (row > Request.From && after < 0) after = row;
    if (row < Request.From) before = row;
  }
  Result.Next = after >= 0 ? after : first;
  Result.Previous = before >= 0 ? before : last;
  return true;
}

void TRowFinder::Start(const TFindRequest& Request) {
  Stop();
  FStop = false;
  FDone = false;
  FStopped = false;
  FWorker = std::thread([this, Request] {
    TFindResult result;
    const bool found = Find(Request, result);
    FResult = result;
    FStopped = !found;
    FDone = true;
  });
}

void TRowFinder::Stop() {
  FStop = true;
  if (FWorker.joinable()) FWorker.join();
}

}  // namespace korrin
