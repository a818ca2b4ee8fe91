#pragma once
// Splits one line of delimited text into columns for the viewer of large files: one parser lives
// as long as the view, each parse writes the values back into one reusable buffer, and columns are
// read out by index afterwards. The delimiter is picked from the line itself.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

class TLineReader;

struct TCSVColumn {
  int32_t Pos;  // 1-based position of the first character in the buffer
  int32_t Length;
};
using TCSVColumnArray = std::vector<TCSVColumn>;

using TCSVParseFlags = uint8_t;
constexpr TCSVParseFlags csvUpdateDelimiter = 1 << 0;
constexpr TCSVParseFlags csvSkipBadFormat = 1 << 1;
constexpr TCSVParseFlags csvKeepQuotes = 1 << 2;
constexpr TCSVParseFlags csvDetectEmail = 1 << 3;
constexpr TCSVParseFlags csvDetectUrl = 1 << 4;
constexpr TCSVParseFlags csvMultiQuotes = 1 << 5;
constexpr TCSVParseFlags csvDetectMD5 = 1 << 6;

// The rules a parser starts with, named at the call site: TCSVParser({.CellLineBreaks = true}, 500).
struct TCSVParserOptions {
  TCSVParseFlags ParseFlags = 0;
  bool CellLineBreaks = false;
  bool ReplaceLineBreaks = false;
  std::u16string ReplaceLineBreaksWith;
  bool BackslashEscapes = false;
};

enum class TCSVFormatError { csvNoError, csvNoCloseQuote, csvDelimiterExpected };

class TCSVParser {
 public:
  // A logical record joined over cell line breaks stops growing at this many characters, which
  // bounds the re-parsing of a quote that never closes.
  static constexpr size_t kMaxRecordLength = 65535;
  // The candidates a delimiter is picked from when none is set; tab-separated files are common.
  static constexpr std::u16string_view kDefaultDelimiters = u",;|\t";

  explicit TCSVParser(int32_t AMaxColumns);
  TCSVParser(const TCSVParserOptions& AOptions, int32_t AMaxColumns);

  void Reset(bool ResetDelimiter);
  // The number of columns in the line, which may exceed the stored ColumnCount().
  int32_t ParseLine(std::u16string_view S) { return ParseLine(S, FParseFlags); }
  int32_t ParseLine(std::u16string_view S, TCSVParseFlags Flags);
  // Reads one record, joining physical lines while a quoted value is open (with cell line
  // breaks on); S receives the record's raw text.
  int32_t ReadParseLine(TLineReader& Reader, std::u16string& S) { return ReadParseLine(Reader, S, FParseFlags); }
  int32_t ReadParseLine(TLineReader& Reader, std::u16string& S, TCSVParseFlags Flags);

  std::u16string ColumnValue(int32_t Index) const;
  std::u16string QuotedColumnValue(int32_t Index) const {
    return QuotedColumnValue(Index, FQuoteChar, FQuoteEmptyColumn);
  }
  std::u16string QuotedColumnValue(int32_t Index, char16_t QChar, bool QuoteEmpty) const;
  std::u16string Email() const { return DetectedValue(FEmailColumnIndex); }
  std::u16string Url() const { return DetectedValue(FUrlColumnIndex); }
  std::u16string DataString() const { return FDataString.substr(0, FDataStringLength); }

  int32_t ColumnCount() const { return FColumnCount; }
  const std::u16string& Delimiters() const { return FDelimiters; }
  void SetDelimiters(const std::u16string& Value) { FDelimiters = Value; }
  char16_t Delimiter() const { return FDelimiter; }
  void SetDelimiter(char16_t Value) { FDelimiter = Value; }
  bool TrimColumns() const { return FTrimColumns; }
  void SetTrimColumns(bool Value) { FTrimColumns = Value; }
  char16_t QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char16_t Value) { FQuoteChar = Value; }
  bool QuoteEmptyColumn() const { return FQuoteEmptyColumn; }
  void SetQuoteEmptyColumn(bool Value) { FQuoteEmptyColumn = Value; }
  int32_t EmailColumnIndex() const { return FEmailColumnIndex; }
  int32_t UrlColumnIndex() const { return FUrlColumnIndex; }
  int32_t MD5ColumnIndex() const { return FMD5ColumnIndex; }
  TCSVParseFlags ParseFlags() const { return FParseFlags; }
  void SetParseFlags(TCSVParseFlags Value) { FParseFlags = Value; }
  bool CellLineBreaks() const { return FCellLineBreaks; }
  void SetCellLineBreaks(bool Value) { FCellLineBreaks = Value; }
  bool ReplaceLineBreaks() const { return FReplaceLineBreaks; }
  void SetReplaceLineBreaks(bool Value) { FReplaceLineBreaks = Value; }
  const std::u16string& ReplaceLineBreaksWith() const { return FReplaceLineBreaksWith; }
  void SetReplaceLineBreaksWith(const std::u16string& Value) { FReplaceLineBreaksWith = Value; }
  bool BackslashEscapes() const { return FBackslashEscapes; }
  void SetBackslashEscapes(bool Value) { FBackslashEscapes = Value; }
  TCSVFormatError FormatError() const { return FFormatError; }

  // What joins two physical lines of one record: the replacement text or CR LF.
  std::u16string_view LineJoint() const;
  // The physical lines of one record as the row reader gives them (each but the last ending in its
  // line break) joined as a record is parsed: at their own breaks, or at the replacement text.
  std::u16string JoinLines(std::span<const std::u16string> Lines) const;

 private:
  class TScan;
  std::u16string DetectedValue(int32_t Index) const;
  // Whether the text from From on, read inside an open quoted value, contains its closing quote.
  bool ClosesOpenQuote(std::u16string_view S, size_t From) const;
  void ClearDetections();

  int32_t FMaxColumns;
  TCSVColumnArray FColumns;
  int32_t FColumnCount = 0;
  std::u16string FDelimiters{kDefaultDelimiters};
  char16_t FDelimiter = 0;
  bool FTrimColumns = true;
  char16_t FQuoteChar = u'"';
  bool FQuoteEmptyColumn = false;
  std::u16string FDataString = std::u16string(256, u'\0');
  int32_t FDataStringLength = 0;
  int32_t FEmailColumnIndex = -1;
  int32_t FUrlColumnIndex = -1;
  int32_t FMD5ColumnIndex = -1;
  TCSVParseFlags FParseFlags = 0;
  bool FCellLineBreaks = false;
  bool FReplaceLineBreaks = false;
  std::u16string FReplaceLineBreaksWith;
  bool FBackslashEscapes = false;
  TCSVFormatError FFormatError = TCSVFormatError::csvNoError;
};

}  // namespace korrin
