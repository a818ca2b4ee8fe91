#include "viewer/csv_parser.h"

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"
#include "textio/line_reader.h"
#include "viewer/row_scanner.h"

namespace korrin {

namespace {

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// A colon at Pos that follows "http" or "https" and is followed by "//", in the line as read.
bool IsUrlColon(std::u16string_view S, size_t Pos) {
  if (Pos < 4 || Pos + 2 >= S.size() || S[Pos + 1] != u'/' || S[Pos + 2] != u'/') return false;
  const size_t start = LowerAscii(S[Pos - 1]) == u's' && Pos >= 5 ? Pos - 5 : Pos - 4;
  return LowerAscii(S[start]) == u'h' && LowerAscii(S[start + 1]) == u't' && LowerAscii(S[start + 2]) == u't' &&
         LowerAscii(S[start + 3]) == u'p';
}

}  // namespace

TCSVParser::TCSVParser(int32_t AMaxColumns)
    : FMaxColumns(std::max(AMaxColumns, 1)), FColumns(static_cast<size_t>(FMaxColumns)) {}

TCSVParser::TCSVParser(const TCSVParserOptions& AOptions, int32_t AMaxColumns) : TCSVParser(AMaxColumns) {
  FParseFlags = AOptions.ParseFlags;
  FCellLineBreaks = AOptions.CellLineBreaks;
  FReplaceLineBreaks = AOptions.ReplaceLineBreaks;
  FReplaceLineBreaksWith = AOptions.ReplaceLineBreaksWith;
  FBackslashEscapes = AOptions.BackslashEscapes;
}

void TCSVParser::ClearDetections() {
  FEmailColumnIndex = -1;
  FUrlColumnIndex = -1;
  FMD5ColumnIndex = -1;
}

void TCSVParser::Reset(bool ResetDelimiter) {
  FColumnCount = 0;
  FDataString[0] = u'\0';
  FDataStringLength = 0;
  ClearDetections();
  if (ResetDelimiter) FDelimiter = 0;
}

int32_t TCSVParser::ParseLine(std::u16string_view S, TCSVParseFlags Flags) {
  FFormatError = TCSVFormatError::csvNoError;
  const size_t L = S.size();
  if (FDataString.size() <= L) FDataString.resize(L + 1);
  std::copy(S.begin(), S.end(), FDataString.begin());
  FDataString[L] = u'\0';
  FDataStringLength = static_cast<int32_t>(L);
  FColumnCount = 0;
  ClearDetections();
  if (L == 0) return 0;

  char16_t* d = FDataString.data();
  char16_t delim = FDelimiter;
  const char16_t quote = FQuoteChar;
  const bool trim = FTrimColumns;
  const bool keepQuotes = Flags & csvKeepQuotes;
  size_t r = 0, w = 0;  // values are written back in place; w never passes r
  int32_t result = 0;
  int md5Digits = 0;  // hex digits of the current piece; -1 once something else was seen

  auto fail = [&](TCSVFormatError error) {
    FFormatError = error;
    if (Flags & csvSkipBadFormat) {
      FDataString[0] = u'\0';
      FDataStringLength = 0;
      FColumnCount = 0;
      ClearDetections();
      return 0;
    }
    std::copy(S.begin(), S.end(), FDataString.begin());
    FDataString[L] = u'\0';
    FColumns[0] = {1, static_cast<int32_t>(L)};
    FColumnCount = 1;
    for (int32_t* index : {&FEmailColumnIndex, &FUrlColumnIndex, &FMD5ColumnIndex}) *index = std::min(*index, 0);
    return 1;
  };
  // Detections name the column being parsed, and only a column that is stored.
  auto detected = [&](int32_t& index) {
    if (index < 0 && FColumnCount < FMaxColumns) index = FColumnCount;
  };
  auto write = [&](char16_t c, size_t readPos) {
    d[w++] = c;
    if ((Flags & csvDetectEmail) && c == u'@') detected(FEmailColumnIndex);
    if ((Flags & csvDetectUrl) && c == u':' && IsUrlColon(S, readPos)) detected(FUrlColumnIndex);
    if ((Flags & csvDetectMD5) && md5Digits >= 0) {
      if (IsHexDigit(c)) ++md5Digits;
      else if (!(c == u' ' && trim && (md5Digits == 0 || md5Digits == 32))) md5Digits = -1;
    }
  };
  auto endPiece = [&] {
    if ((Flags & csvDetectMD5) && md5Digits == 32) detected(FMD5ColumnIndex);
    md5Digits = 0;
  };
  // At a delimiter position: picks the delimiter when none is known yet, and says whether c is it.
  auto isDelimiter = [&](char16_t c) {
    if (delim == 0 && FDelimiters.find(c) != std::u16string::npos) {
      delim = c;
      if (Flags & csvUpdateDelimiter) FDelimiter = c;
    }
    return delim != 0 && c == delim;
  };
  auto skipSpaces = [&] {
    if (trim)
      while (r < L && d[r] == u' ') ++r;
  };

  for (;;) {
    const size_t start = w;
    bool atDelimiter = false;
    skipSpaces();
    while (r < L) {
      if (quote == 0 || d[r] != quote) {
        while (r < L && !(atDelimiter = isDelimiter(d[r]))) {
          write(d[r], r);
          ++r;
        }
        if (atDelimiter) ++r;
        endPiece();
        if (trim)
          while (w > start && d[w - 1] == u' ') --w;
        break;
      }
      if (keepQuotes) d[w++] = quote;
      for (++r;;) {
        if (r >= L) return fail(TCSVFormatError::csvNoCloseQuote);
        const char16_t c = d[r];
        const bool escaped = c == quote || (FBackslashEscapes && c == u'\\');
        if (escaped && r + 1 < L && d[r + 1] == quote) {
          write(quote, r);
          r += 2;
        } else if (c == quote) {
          ++r;
          break;
        } else {
          write(c, r);
          ++r;
        }
      }
      if (keepQuotes) d[w++] = quote;
      endPiece();
      const size_t spaces = r;
      skipSpaces();
      if (r >= L) break;
      if (isDelimiter(d[r])) {
        ++r;
        atDelimiter = true;
        break;
      }
      if (!(Flags & csvMultiQuotes)) return fail(TCSVFormatError::csvDelimiterExpected);
      std::fill(d + w, d + w + (r - spaces), u' ');
      w += r - spaces;
    }
    d[w] = u'\0';
    if (FColumnCount < FMaxColumns)
      FColumns[FColumnCount++] = {static_cast<int32_t>(start + 1), static_cast<int32_t>(w - start)};
    ++result;
    ++w;
    if (!atDelimiter) return result;
  }
}

std::u16string_view TCSVParser::LineJoint() const {
  return FReplaceLineBreaks ? std::u16string_view(FReplaceLineBreaksWith) : std::u16string_view(u"\r\n");
}

int32_t TCSVParser::ReadParseLine(TLineReader& Reader, std::u16string& S, TCSVParseFlags Flags) {
  S = Reader.ReadLine();
  int32_t result = ParseLine(S, Flags);
  // Lines that cannot close the open value are only joined, so that a long quoted cell costs one
  // parse of the whole record instead of one per line.
  bool stale = false;
  while (FCellLineBreaks && FFormatError == TCSVFormatError::csvNoCloseQuote && S.size() < kMaxRecordLength &&
         !Reader.EndOfLines()) {
    const size_t joined = S.size();
    S += LineJoint();
    S += Reader.ReadLine();
    stale = !ClosesOpenQuote(S, joined);
    if (!stale) result = ParseLine(S, Flags);
  }
  return stale ? ParseLine(S, Flags) : result;
}

bool TCSVParser::ClosesOpenQuote(std::u16string_view S, size_t From) const {
  // A backslash that ended the text escapes a quote that now follows it.
  if (FBackslashEscapes && From > 0 && S[From - 1] == u'\\') --From;
  for (size_t j = From; j < S.size(); ++j) {
    const char16_t c = S[j];
    if ((c == FQuoteChar || (FBackslashEscapes && c == u'\\')) && j + 1 < S.size() && S[j + 1] == FQuoteChar) ++j;
    else if (c == FQuoteChar) return true;
  }
  return false;
}

std::u16string TCSVParser::ColumnValue(int32_t Index) const {
  if (Index < 0 || Index >= FColumnCount) throw Exception(Format("List index out of bounds (%d)", Index));
  const TCSVColumn& column = FColumns[static_cast<size_t>(Index)];
  return FDataString.substr(static_cast<size_t>(column.Pos - 1), static_cast<size_t>(column.Length));
}

std::u16string TCSVParser::QuotedColumnValue(int32_t Index, char16_t QChar, bool QuoteEmpty) const {
  const std::u16string value = ColumnValue(Index);
  if (value.empty() && !QuoteEmpty) return {};
  if (QChar == 0) return value;
  std::u16string quoted(1, QChar);
  for (char16_t c : value) {
    quoted += c;
    if (c == QChar) quoted += c;
  }
  return quoted + QChar;
}

std::u16string TCSVParser::JoinLines(std::span<const std::u16string> Lines) const {
  std::u16string text;
  for (size_t k = 0; k < Lines.size(); ++k) {
    const std::u16string_view line = Lines[k];
    if (k + 1 == Lines.size()) {
      text += line;
      break;
    }
    const std::u16string_view content = WithoutLineBreak(line);
    // A line cut at the reader's cap lost its break: CR LF stands for it.
    if (FReplaceLineBreaks || content.size() == line.size()) {
      text += content;
      text += LineJoint();
    } else {
      text += line;
    }
  }
  return text;
}

std::u16string TCSVParser::DetectedValue(int32_t Index) const {
  return Index >= 0 && Index < FColumnCount ? ColumnValue(Index) : std::u16string();
}

}  // namespace korrin
