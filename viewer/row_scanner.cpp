#include "viewer/row_scanner.h"

#include <cstring>

#include "viewer/csv_parser.h"

namespace korrin {

TRowScanner::TRowScanner(const TRowOptions& Options) : FOptions(Options), FDelimiter(Options.Delimiter) {}

void TRowScanner::Reset() {
  FState = TState::FieldStart;
  FPendingCR = false;
  FLineOpen = false;
  FRecordOpen = false;
  FRecordUnits = 0;
}

bool TRowScanner::IsDelimiter(char16_t C) {
  if (FDelimiter) return C == FDelimiter;
  if (TCSVParser::kDefaultDelimiters.find(C) == std::u16string_view::npos) return false;
  FDelimiter = C;
  return true;
}

TRowScanner::TBreak TRowScanner::LineEnd(bool CRLF) {
  FLineOpen = false;
  if (FOptions.CellLineBreaks) {
    // A record joined up to the parser's cap ends at its next line break, like the preview's rows.
    // An escape outside quotes takes only the CR of a CR LF; the LF then ends the record.
    const bool open =
        FState == TState::InQuoted || FState == TState::EscapedInQuoted || (FState == TState::Escaped && !CRLF);
    if (open && FRecordUnits < TCSVParser::kMaxRecordLength) {
      if (FState != TState::InQuoted) FState = FState == TState::Escaped ? TState::InField : TState::InQuoted;
      FRecordOpen = true;
      return TBreak::Line;
    }
  }
  FState = TState::FieldStart;
  FRecordUnits = 0;
  FRecordOpen = false;
  return TBreak::Record;
}

template <class T>
size_t TRowScanner::Next(const T* P, size_t N, TBreak& Break) {
  Break = TBreak::None;
  size_t i = 0;
  if (FPendingCR) {
    if (N == 0) return 0;
    FPendingCR = false;
    if (P[0] == T('\n')) i = 1;
    Break = LineEnd(i == 1);
    return i;
  }
  if (!FOptions.CellLineBreaks) {
    for (; i < N; ++i) {
      const T c = P[i];
      if (c == T('\n') || c == T('\r')) break;
    }
    if (i > 0) FLineOpen = true;
  } else {
    const char16_t quote = FOptions.QuoteChar;
    const bool escapes = FOptions.BackslashEscapes;
    for (; i < N; ++i) {
      const auto c = static_cast<char16_t>(P[i]);
      if (c == u'\n' || c == u'\r') break;
      FLineOpen = true;
      ++FRecordUnits;
      // Rows are shown and parsed without their NULs: a quote after one still opens its field.
      if (c == 0) continue;
      switch (FState) {
        case TState::FieldStart:
          if (c == quote && quote) FState = TState::InQuoted;
          else if (escapes && c == u'\\') FState = TState::Escaped;
          else if (c == u' ') {
          } else if (!IsDelimiter(c)) FState = TState::InField;
          break;
        case TState::InField:
          if (IsDelimiter(c)) FState = TState::FieldStart;
          else if (escapes && c == u'\\') FState = TState::Escaped;
          break;
        case TState::InQuoted:
          if (c == quote) FState = TState::QuoteInQuoted;
          else if (escapes && c == u'\\') FState = TState::EscapedInQuoted;
          break;
        case TState::QuoteInQuoted:
          if (c == quote) FState = TState::InQuoted;
          else if (IsDelimiter(c)) FState = TState::FieldStart;
          else FState = TState::InField;
          break;
        case TState::EscapedInQuoted: FState = TState::InQuoted; break;
        case TState::Escaped: FState = TState::InField; break;
      }
    }
  }
  if (i == N) return N;
  bool crlf = false;
  if (P[i] == T('\r')) {
    if (i + 1 == N) {
      FPendingCR = true;
      return N;
    }
    crlf = P[i + 1] == T('\n');
    i += crlf;
  }
  Break = LineEnd(crlf);
  return i + 1;
}

TRowScanner::TBreak TRowScanner::Finish() {
  if (FPendingCR) {
    FPendingCR = false;
    if (LineEnd(false) == TBreak::Record) return TBreak::Record;
  }
  if (!FLineOpen && !FRecordOpen) return TBreak::None;
  // Whatever is open, the text's end ends the record, as it does for Python's non-strict reader.
  FLineOpen = false;
  FState = TState::FieldStart;
  FRecordUnits = 0;
  FRecordOpen = false;
  return TBreak::Record;
}

template size_t TRowScanner::Next<uint8_t>(const uint8_t*, size_t, TBreak&);
template size_t TRowScanner::Next<char16_t>(const char16_t*, size_t, TBreak&);

}  // namespace korrin
