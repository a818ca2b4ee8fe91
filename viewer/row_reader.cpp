#include "viewer/row_reader.h"

#include <algorithm>

#include "common/utf16.h"

namespace korrin {

namespace {

constexpr size_t kReadSize = 1 << 16;

}  // namespace

TRowReader::TRowReader(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options,
                       int32_t CacheSize)
    : TRowReader(std::make_shared<TOpenedFile>(FileName), Encoding, Options, CacheSize) {}

TRowReader::TRowReader(std::shared_ptr<const TOpenedFile> File, const TSniffedEncoding& Encoding,
                       const TRowOptions& Options, int32_t CacheSize)
    : FStream(std::move(File), CacheSize), FEncoding(Encoding), FScanner(Options) {
  Seek(DataStart());
}

void TRowReader::Seek(int64_t Offset) {
  FStream.SetPosition(Offset);
  FBase = Offset;
  FBytes.clear();
  FAt = 0;
  FEnd = false;
  FScanner.Reset();
}

bool TRowReader::Fill() {
  if (FEnd) return false;
  FBase += static_cast<int64_t>(FAt);
  FBytes.erase(FBytes.begin(), FBytes.begin() + static_cast<std::ptrdiff_t>(FAt));
  FAt = 0;
  const size_t kept = FBytes.size();
  FBytes.resize(kept + kReadSize);
  const int32_t n = FStream.Read(FBytes.data() + kept, static_cast<int32_t>(kReadSize));
  FBytes.resize(kept + static_cast<size_t>(n));
  if (n == 0) FEnd = true;
  if (FEncoding.UnitSize == 2) {
    // Scanned as decoded units, unit i standing for bytes 2i and 2i + 1.
    FWide.clear();
    FEncoding.Encoding->Decode({FBytes.data(), FBytes.size() & ~size_t{1}}, FWide);
  }
  return n > 0;
}

bool TRowReader::AtEnd() {
  const auto unit = static_cast<size_t>(FEncoding.UnitSize);
  while (FBytes.size() - FAt < unit)
    if (!Fill()) return FBytes.size() == FAt && !FScanner.PendingCR();
  return false;
}

void TRowReader::EndLine(TStringList* Lines, bool KeepBreak) {
  if (!Lines) return;
  std::u16string text;
  FEncoding.Encoding->Decode({FLine.data(), FLine.size()}, text);
  // Line content never holds CR or LF, so whatever of them ends the text is the break.
  if (!KeepBreak) text.resize(WithoutLineBreak(text).size());
  // NUL characters would cut the text short on its way to the screen.
  std::erase(text, u'\0');
  Lines->push_back(std::move(text));
  FLine.clear();
}

bool TRowReader::Row(bool Records, TStringList* Lines) {
  if (Lines) Lines->clear();
  FLine.clear();
  const auto unit = static_cast<size_t>(FEncoding.UnitSize);
  const size_t cap = (kMaxLineLength + 2) * unit;  // room for the break, removed later
  bool any = false;
  for (;;) {
    if (FBytes.size() - FAt < unit && !Fill()) {
      if (FAt < FBytes.size()) {
        // A dangling odd byte of UTF-16 is one more character, as the decoder shows it.
        const char16_t replacement = kReplacementChar;
        TRowScanner::TBreak brk;
        if (FScanner.Next(&replacement, 1, brk) == 0) {
          // A CR held before it ends its line, as the index counts it; the byte starts the next.
          EndLine(Lines, Records && brk == TRowScanner::TBreak::Line);
          if (brk == TRowScanner::TBreak::Record || !Records) return true;
          continue;
        }
        any = true;
        if (Lines && FLine.size() < cap)
          FLine.insert(FLine.end(), FBytes.begin() + static_cast<std::ptrdiff_t>(FAt), FBytes.end());
        FAt = FBytes.size();
      }
      FScanner.Finish();
      if (!any) return false;
      EndLine(Lines);
      return true;
    }
    const uint8_t* p = FBytes.data() + FAt;
    TRowScanner::TBreak brk;
    const size_t used = unit == 2 ? FScanner.Next(FWide.data() + FAt / 2, FWide.size() - FAt / 2, brk) * 2
                                  : FScanner.Next(p, FBytes.size() - FAt, brk);
    any = true;
    if (Lines && FLine.size() < cap) FLine.insert(FLine.end(), p, p + std::min(used, cap - FLine.size()));
    FAt += used;
    if (brk == TRowScanner::TBreak::None) continue;
    EndLine(Lines, Records && brk == TRowScanner::TBreak::Line);
    if (brk == TRowScanner::TBreak::Record || !Records) return true;
  }
}

bool TRowReader::Read(bool Records, TStringList& Lines) { return Row(Records, &Lines); }

bool TRowReader::Skip(bool Records, int64_t Count) {
  for (int64_t i = 0; i < Count; ++i)
    if (!Row(Records, nullptr)) return false;
  return true;
}

}  // namespace korrin
