#include "viewer/row_finder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"
#include "textio/cached_file_stream.h"
#include "textio/tolerant_utf8.h"
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

uint8_t FoldAscii(uint8_t c) { return static_cast<uint8_t>(AsciiLower(static_cast<char>(c))); }

// The bytes whose search finds exactly the rows the decoded search finds, or nothing where no such
// bytes exist: ASCII is the same in UTF-8 and Windows-1252 (no other character decodes to it, so
// only its letters fold), and other text, matched by case, is its UTF-8 in a UTF-8 file.
std::string ByteNeedle(const std::u16string& Text, bool MatchCase, const TSniffedEncoding& Encoding) {
  if (Encoding.UnitSize != 1 || Text.find_first_of(u"\r\n") != std::u16string::npos) return {};
  if (std::all_of(Text.begin(), Text.end(), [](char16_t c) { return c < 0x80; })) {
    std::string bytes(Text.begin(), Text.end());
    if (!MatchCase) std::transform(bytes.begin(), bytes.end(), bytes.begin(), FoldAscii);
    return bytes;
  }
  // A replacement character also stands for bytes that are not UTF-8; an unpaired surrogate never matches.
  if (!MatchCase || Encoding.Encoding != &TFixedUTF8Encoding::Shared() ||
      Text.find(kReplacementChar) != std::u16string::npos)
    return {};
  std::string bytes = Utf16ToUtf8(Text);
  return Utf8ToUtf16(bytes) == Text ? bytes : std::string();
}

bool IsBreak(uint8_t c) { return c == '\n' || c == '\r'; }

// In chunks whose count fits a byte, which vectorises to byte-wide lanes: several times the speed
// of std::count's 64-bit sum.
int64_t CountByte(const uint8_t* P, const uint8_t* Q, uint8_t Byte) {
  constexpr int kChunk = 240;
  int64_t n = 0;
  for (; Q - P >= kChunk; P += kChunk) {
    uint8_t chunk = 0;
    for (int i = 0; i < kChunk; ++i) chunk += P[i] == Byte;
    n += chunk;
  }
  for (; P < Q; ++P) n += *P == Byte;
  return n;
}

// Line breaks in [P, Q): LF, CR LF and a lone CR count one each; End bounds the look past a CR.
int64_t CountBreaks(const uint8_t* P, const uint8_t* Q, const uint8_t* End) {
  int64_t n = CountByte(P, Q, '\n');
  for (const uint8_t* cr = P; (cr = static_cast<const uint8_t*>(std::memchr(cr, '\r', Q - cr))); ++cr)
    n += cr + 1 == End || cr[1] != '\n';
  return n;
}

}  // namespace

TRowFinder::TRowFinder(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options)
    : TRowFinder(std::make_shared<TOpenedFile>(FileName), Encoding, Options) {}

TRowFinder::TRowFinder(std::shared_ptr<const TOpenedFile> File, const TSniffedEncoding& Encoding,
                       const TRowOptions& Options)
    : FFile(std::move(File)), FEncoding(Encoding), FOptions(Options) {}

TRowFinder::~TRowFinder() { Stop(); }

// The matching rows as a search meets them in order.
class TRowFinder::TMatches {
 public:
  TMatches(int64_t From, bool FirstOnly) : FFrom(From), FFirstOnly(FirstOnly) {}
  void Add(int64_t Row) {
    ++FCount;
    if (FFirst < 0) FFirst = Row;
    FLast = Row;
    if (Row > FFrom && FAfter < 0) FAfter = Row;
    if (Row < FFrom) FBefore = Row;
  }
  // A search that wants the first match only stops here.
  bool Enough() const { return FFirstOnly && FCount > 0; }
  int64_t First() const { return FFirst; }
  int64_t Last() const { return FLast; }
  TFindResult Result() const { return {FAfter >= 0 ? FAfter : FFirst, FBefore >= 0 ? FBefore : FLast, FCount}; }

 private:
  const int64_t FFrom;
  const bool FFirstOnly;
  int64_t FFirst = -1, FLast = -1, FAfter = -1, FBefore = -1, FCount = 0;
};

bool TRowFinder::Find(const TFindRequest& Request, TFindResult& Result) {
  Result = {};
  if (Request.Text.empty()) return true;
  if (Request.Nearest) return FindNearest(Request, Result);
  TMatches matches(Request.From, false);
  if (!Search(Request, {Request.FirstRow, -1, false}, matches)) return false;
  Result = matches.Result();
  return true;
}

bool TRowFinder::FindNearest(const TFindRequest& Request, TFindResult& Result) {
  const int64_t first = Request.FirstRow;
  if (!Request.Backward) {
    TMatches after(Request.From, true);
    if (!Search(Request, {std::max(Request.From + 1, first), -1, true}, after)) return false;
    if (after.First() >= 0) {
      Result.Next = after.First();
      return true;
    }
    TMatches wrapped(Request.From, true);
    if (!Search(Request, {first, std::max(Request.From + 1, first), true}, wrapped)) return false;
    Result.Next = wrapped.First();
    Result.Wrapped = Result.Next >= 0;
    return true;
  }
  // Backward: spans that grow as they go back from From, each read forward for its last match.
  int64_t chunk = 4096;
  for (int64_t end = Request.From; end > first; chunk *= 4) {
    const int64_t begin = std::max(first, end - chunk);
    TMatches before(Request.From, false);
    if (!Search(Request, {begin, end, false}, before)) return false;
    if (before.Last() >= 0) {
      Result.Previous = before.Last();
      return true;
    }
    end = begin;
  }
  TMatches wrapped(Request.From, false);
  if (!Search(Request, {std::max(Request.From, first), -1, false}, wrapped)) return false;
  Result.Previous = wrapped.Last();
  Result.Wrapped = Result.Previous >= 0;
  return true;
}

bool TRowFinder::Search(const TFindRequest& Request, const TSpan& Span, TMatches& Matches) {
  // The nearest indexed row at or before Begin; from the start without an index.
  int64_t offset = static_cast<int64_t>(FEncoding.PreambleSize), row = 0, skip = 0;
  if (Request.Index && Span.Begin > 0 && Request.Index->Locate(Request.Records, Span.Begin, offset, skip))
    row = Span.Begin - skip;
  // Records that span lines need the scanner's quote state; rows that are lines need only bytes.
  const std::string bytes =
      !Request.Records || !FOptions.CellLineBreaks ? ByteNeedle(Request.Text, Request.MatchCase, FEncoding) : "";
  return bytes.empty() ? FindDecoded(Request, Span, offset, row, Matches)
                       : FindBytes(bytes, Request, Span, offset, row, Matches);
}

bool TRowFinder::FindDecoded(const TFindRequest& Request, const TSpan& Span, int64_t Offset, int64_t Row,
                             TMatches& Matches) {
  std::u16string needle = Request.Text;
  if (!Request.MatchCase) std::transform(needle.begin(), needle.end(), needle.begin(), FoldCase);
  TRowReader reader(FFile, FEncoding, FOptions, 1 << 20);
  reader.Seek(Offset);
  TStringList lines;
  for (int64_t row = Row; (Span.End < 0 || row < Span.End) && !Matches.Enough() && reader.Read(Request.Records, lines);
       ++row) {
    if ((row & 1023) == 0) {
      FPosition = reader.Position();
      if (FStop) return false;
    }
    if (row < Span.Begin) continue;
    if (std::any_of(lines.begin(), lines.end(), [&](std::u16string& line) {
          if (!Request.MatchCase) std::transform(line.begin(), line.end(), line.begin(), FoldCase);
          return line.find(needle) != std::u16string::npos;
        }))
      Matches.Add(row);
  }
  return true;
}

bool TRowFinder::FindBytes(const std::string& Needle, const TFindRequest& Request, const TSpan& Span, int64_t Offset,
                           int64_t Row, TMatches& Matches) {
  constexpr int32_t kBlockSize = 1 << 20;
  TReadOnlyCachedFileStream stream(FFile, 0);
  stream.DisableStreamReadCache();
  stream.SetPosition(Offset);
  const size_t keep = Needle.size() - 1;  // of an open line, where a match may start
  std::vector<uint8_t> buffer(keep + 1 + kBlockSize);
  uint8_t* const data = buffer.data();
  size_t carried = 0;
  int64_t row = Row;  // line breaks before data[counted], counted from Row
  int64_t matched = -1;
  const auto ended = [&] { return Matches.Enough() || (Span.End >= 0 && row >= Span.End); };
  for (;;) {
    const int32_t n = stream.Read(data + carried, kBlockSize);
    const size_t size = carried + static_cast<size_t>(n);
    if (!Request.MatchCase) std::transform(data + carried, data + size, data + carried, FoldAscii);
    // A CR at the end waits for the next block, which may start with its LF.
    const size_t limit = n > 0 && size > 0 && data[size - 1] == '\r' ? size - 1 : size;
    size_t counted = 0;
    for (size_t at = 0; at + Needle.size() <= limit;) {
      const auto* hit = static_cast<const uint8_t*>(::memmem(data + at, limit - at, Needle.data(), Needle.size()));
      if (!hit) break;
      const auto m = static_cast<size_t>(hit - data);
      row += CountBreaks(data + counted, hit, data + size);
      counted = m;
      if (ended()) return true;
      if (row != matched && row >= Span.Begin) Matches.Add(row);
      matched = row;
      // The rest of a matching row cannot match it again.
      const uint8_t* end = std::find_if(hit, static_cast<const uint8_t*>(data + limit), IsBreak);
      at = static_cast<size_t>(end - data) + (end < data + limit);
    }
    if (n <= 0 || Matches.Enough()) return true;
    size_t tail = limit >= keep ? limit - keep : 0;
    for (size_t i = limit; i > tail; --i)
      if (IsBreak(data[i - 1])) {
        tail = i;
        break;
      }
    row += CountBreaks(data + counted, data + tail, data + size);
    if (ended()) return true;
    carried = size - tail;
    std::memmove(data, data + tail, carried);
    FPosition = stream.Position();
    if (FStop) return false;
  }
}

void TRowFinder::Start(const TFindRequest& Request) {
  Stop();
  FStop = false;
  FDone = false;
  FStopped = false;
  FError.clear();
  FWorker = std::thread([this, Request] {
    TFindResult result;
    try {
      FStopped = !Find(Request, result);
    } catch (...) {
      // Any failure, memory included, is the window's message, never the program's end.
      FError = ExceptionMessage(std::current_exception());
      FStopped = true;
    }
    FResult = result;
    FDone = true;
  });
}

void TRowFinder::Stop() {
  FStop = true;
  if (FWorker.joinable()) FWorker.join();
}

}  // namespace korrin
