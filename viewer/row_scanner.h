#pragma once
// Finds where the rows of a text end, one code unit at a time, so that the index, the row reader
// and the search split a file alike. Lines end at LF, CR LF or CR. With cell line breaks a record
// goes on over the line breaks inside a quoted value, as Python's csv reader reads it (quotes open
// only at a field's start after spaces, a doubled quote is one quote, stray text after a closing
// quote joins the field, and with backslash escapes a backslash escapes the next character).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korrin {

struct TRowOptions {
  bool CellLineBreaks = false;
  bool BackslashEscapes = false;
  char16_t Delimiter = 0;  // 0: the first of the parser's default delimiters met outside quotes
  char16_t QuoteChar = u'"';
};

class TRowScanner {
 public:
  enum class TBreak { None, Line, Record };  // a record break ends a line too

  explicit TRowScanner(const TRowOptions& Options);

  // Scans from P up to and including the first break and returns the units consumed (all N when
  // no break lies in them). A CR as the last unit is held until the next call shows whether an
  // LF follows.
  template <class T>
  size_t Next(const T* P, size_t N, TBreak& Break);
  // At the end of the text: the break that a held CR, a last line without a break or an open
  // record makes.
  TBreak Finish();
  // The scan starts over at a row start (after a seek); a delimiter it found stays.
  void Reset();
  // The delimiter set or found so far; 0 while none is known.
  char16_t Delimiter() const { return FDelimiter; }

  // For callers that find LF-only line breaks faster themselves: whether a line is open.
  bool PendingCR() const { return FPendingCR; }
  bool LineOpen() const { return FLineOpen; }
  void SetLineOpen(bool Value) { FLineOpen = Value; }

 private:
  enum class TState : uint8_t { FieldStart, InField, InQuoted, QuoteInQuoted, EscapedInQuoted, Escaped };

  bool IsDelimiter(char16_t C);
  // The break a line end (CR LF or one character) makes in the current state.
  TBreak LineEnd(bool CRLF);

  TRowOptions FOptions;
  char16_t FDelimiter;
  TState FState = TState::FieldStart;
  bool FPendingCR = false;
  bool FLineOpen = false;    // units since the last break
  bool FRecordOpen = false;  // a record goes on past a line break
  size_t FRecordUnits = 0;   // units of the record so far, to bound a quote that never closes
};

// A line as shown: without the break that a record's inner line keeps (see TRowReader::Read).
inline std::u16string_view WithoutLineBreak(std::u16string_view Line) {
  size_t n = Line.size();
  while (n > 0 && (Line[n - 1] == u'\n' || Line[n - 1] == u'\r')) --n;
  return Line.substr(0, n);
}

}  // namespace korrin
