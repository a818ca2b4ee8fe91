#include "viewer/utf8_line_counter.h"

#include <string.h>

#include <algorithm>
#include <cstring>

#include "viewer/tolerant_utf8.h"
#include "viewer/text_stream_reader.h"

namespace korrin {

namespace {

constexpr int64_t kCap = TStreamReaderEx::kDefaultTruncLineLength;

// UTF-8 never gives more UTF-16 units than bytes, so a line this short cannot reach the cap.
constexpr size_t kShortLine = static_cast<size_t>(kCap);

const uint8_t* FindBreak(const uint8_t* p, const uint8_t* end, bool mayHoldCR) {
  if (!mayHoldCR) return static_cast<const uint8_t*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
  for (; p < end; ++p)
    if (*p == '\n' || *p == '\r') return p;
  return nullptr;
}

// Counts the LFs of [p, end), which ends in one, when every window of half the cap holds one:
// then no two neighbouring LFs are a cap apart, so each ends exactly one short line. -1 otherwise.
int64_t CountShortLines(const uint8_t* p, const uint8_t* end) {
  constexpr size_t kWindow = kShortLine / 2 + 1;
  int64_t lines = 0;
  while (p < end) {
    const size_t n = std::min(kWindow, static_cast<size_t>(end - p));
    uint32_t inWindow = 0;
    for (size_t i = 0; i < n; ++i) inWindow += p[i] == '\n';
    if (inWindow == 0) return -1;
    lines += inWindow;
    p += n;
  }
  return lines;
}

}  // namespace

void TUTF8LineCounter::TLongLine::Feed(std::span<const uint8_t> Bytes) {
  const TFixedUTF8Encoding& utf8 = TFixedUTF8Encoding::Shared();
  constexpr size_t kPiece = 1 << 16;
  for (size_t at = 0; at < Bytes.size(); at += kPiece) {
    const std::span<const uint8_t> piece = Bytes.subspan(at, std::min(kPiece, Bytes.size() - at));
    FPending.insert(FPending.end(), piece.begin(), piece.end());
    const size_t tail = utf8.IncompleteTail(FPending);
    FUnits.clear();
    utf8.Decode(std::span<const uint8_t>(FPending).first(FPending.size() - tail), FUnits);
    FPending.erase(FPending.begin(), FPending.end() - static_cast<std::ptrdiff_t>(tail));
    Count(FUnits);
  }
}

void TUTF8LineCounter::TLongLine::Count(const std::u16string& Units) {
  for (char16_t c : Units) {
    const bool nul = c == 0;
    if (FLineLength > 0 && (FLineLength == kCap || nul != FPreviousNul)) {
      ++FLines;
      FLineLength = 0;
    }
    ++FLineLength;
    FPreviousNul = nul;
  }
}

int64_t TUTF8LineCounter::TLongLine::End(bool Broken) {
  FUnits.clear();
  TFixedUTF8Encoding::Shared().Decode(FPending, FUnits);
  Count(FUnits);
  const int64_t lines = FLines + (FLineLength > 0 || (Broken && FLines == 0) ? 1 : 0);
  FPending.clear();
  FLines = 0;
  FLineLength = 0;
  return lines;
}

const uint8_t* TUTF8LineCounter::EndLine(const uint8_t* p, const uint8_t* brk, const uint8_t* end, bool mayHoldNul) {
  const size_t length = static_cast<size_t>(brk - p);
  if (!FInLine && length <= kShortLine && !(mayHoldNul && std::memchr(p, '\0', length))) {
    ++FLines;
  } else {
    FLongLine.Feed({p, length});
    FLines += FLongLine.End(true);
    FInLine = false;
  }
  p = brk + 1;
  if (*brk == '\r') {
    if (p == end) FPendingCR = true;
    else if (*p == '\n') ++p;
  }
  return p;
}

void TUTF8LineCounter::Add(std::span<const uint8_t> Bytes) {
  const uint8_t* p = Bytes.data();
  const uint8_t* const end = p + Bytes.size();
  if (p == end) return;
  if (FPendingCR && *p == '\n') ++p;
  FPendingCR = false;
  const size_t n = static_cast<size_t>(end - p);
  const bool mayHoldCR = std::memchr(p, '\r', n) != nullptr;
  const bool mayHoldNul = std::memchr(p, '\0', n) != nullptr;
  if (!mayHoldCR && !mayHoldNul) {
    // The common block: plain LF lines, counted in bulk between its first and its last LF.
    const auto* first = static_cast<const uint8_t*>(std::memchr(p, '\n', n));
    if (first) {
      const auto* last = static_cast<const uint8_t*>(::memrchr(first, '\n', static_cast<size_t>(end - first)));
      p = EndLine(p, first, end, false);
      const int64_t lines = CountShortLines(p, last + 1);
      if (lines >= 0) {
        FLines += lines;
        p = last + 1;
      }
    }
  }
  while (p < end) {
    const uint8_t* brk = FindBreak(p, end, mayHoldCR);
    if (!brk) {
      FLongLine.Feed({p, end});
      FInLine = true;
      return;
    }
    p = EndLine(p, brk, end, mayHoldNul);
  }
}

int64_t TUTF8LineCounter::Finish() {
  if (FInLine) FLines += FLongLine.End(false);
  FInLine = false;
  return FLines;
}

}  // namespace korrin
