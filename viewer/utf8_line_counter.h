#pragma once
// Counts the lines TStreamReaderEx would deliver from UTF-8 bytes (with its default cap and NUL
// rule) without decoding them: a short line without NUL bytes is one line whatever it holds, so
// only long lines and lines with NUL bytes are decoded. This lets a row count run at the speed of
// the disk cache instead of the decoder's.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korrin {

class TUTF8LineCounter {
 public:
  // Feeds the next bytes of the text (after any byte-order mark); blocks may split anything.
  void Add(std::span<const uint8_t> Bytes);
  // The lines of everything fed so far, the text ending there.
  int64_t Finish();
  // The lines completed so far, for progress.
  int64_t Lines() const { return FLines; }

 private:
  // The exact rules for one line's bytes that hold no line break: decoding, the cap, NUL runs.
  class TLongLine {
   public:
    void Feed(std::span<const uint8_t> Bytes);
    // The lines this text made; Broken: a line break ended it (an empty text is then one line).
    int64_t End(bool Broken);

   private:
    void Count(const std::u16string& Units);

    std::vector<uint8_t> FPending;  // bytes of a character the last piece did not complete
    std::u16string FUnits;
    int64_t FLines = 0;
    int64_t FLineLength = 0;
    bool FPreviousNul = false;
  };

  // Counts the line that ends at the break brk and returns where the next one starts.
  const uint8_t* EndLine(const uint8_t* p, const uint8_t* brk, const uint8_t* end, bool mayHoldNul);

  int64_t FLines = 0;
  bool FInLine = false;      // a line began in an earlier block and goes on in TLongLine
  bool FPendingCR = false;   // the last block ended in CR; an LF first in the next belongs to it
  TLongLine FLongLine;
};

}  // namespace korrin
