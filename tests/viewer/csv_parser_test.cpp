#include "viewer/csv_parser.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/exception.h"
#include "common/utf16.h"
#include "textio/line_reader.h"

namespace korrin {
namespace {

using Values = std::vector<std::u16string>;
using E = TCSVFormatError;

Values ColumnsOf(const TCSVParser& parser) {
  Values values;
  for (int32_t i = 0; i < parser.ColumnCount(); ++i) values.push_back(parser.ColumnValue(i));
  return values;
}

struct TParseCase {
  std::u16string Line;
  TCSVParseFlags Flags;
  Values Expected;
  E Error = E::csvNoError;
  bool Trim = true;
  bool BackslashEscapes = false;
};

TEST(CSVParserTest, SplitsQuotesAndReportsBadFormat) {
  const TParseCase cases[] = {
      {u"", 0, {}},
      {u"   ", 0, {u""}},
      {u"a,b,", 0, {u"a", u"b", u""}},
      {u",", 0, {u"", u""}},
      {u" a , b ", 0, {u"a", u"b"}},
      {u" a , b ", 0, {u" a ", u" b "}, E::csvNoError, false},
      {u"\"a\"\"b\",c", 0, {u"a\"b", u"c"}},
      {u"\"a\"\"b\",c", csvKeepQuotes, {u"\"a\"b\"", u"c"}},
      {u"\"x\" ,y", 0, {u"x", u"y"}},
      {u"\" x \",y", 0, {u" x ", u"y"}},
      {u"\"x\"y", 0, {u"\"x\"y"}, E::csvDelimiterExpected},
      {u"\"x\"y", csvSkipBadFormat, {}, E::csvDelimiterExpected},
      {u"\"x\"y", csvMultiQuotes, {u"xy"}},
      {u"\"a\" \"b\"", csvMultiQuotes, {u"a b"}},
      {u"\"a\"  b  ,c", csvMultiQuotes, {u"a  b", u"c"}},
      {u"\"abc", 0, {u"\"abc"}, E::csvNoCloseQuote},
      {u"\"abc", csvSkipBadFormat, {}, E::csvNoCloseQuote},
      {u"\"say \\\"hi\\\"\"", 0, {u"say \"hi\""}, E::csvNoError, true, true},
      {u"\"C:\\\"", 0, {u"\"C:\\\""}, E::csvNoCloseQuote, true, true},
      {u"\"C:\\\",x", 0, {u"C:\\", u"x"}},
      {u"a\\\"b", 0, {u"a\\\"b"}, E::csvNoError, true, true},
      {u"  \"a\"", 0, {u"a"}},
      {u"  \"a\"", 0, {u"  \"a\""}, E::csvNoError, false},
      {u"a\"b,c", 0, {u"a\"b", u"c"}},
      {u"a;b,c", 0, {u"a", u"b,c"}},
      {u"a|b|c", 0, {u"a", u"b", u"c"}},
      {u"\"a;b\",c;d", 0, {u"a;b", u"c;d"}},
      {std::u16string(u"a\0b,c", 5), 0, {std::u16string(u"a\0b", 3), u"c"}},
  };
  for (const TParseCase& c : cases) {
    TCSVParser parser(500);
    parser.SetTrimColumns(c.Trim);
    parser.SetBackslashEscapes(c.BackslashEscapes);
    const int32_t result = parser.ParseLine(c.Line, c.Flags);
    const std::string name = Utf16ToUtf8(c.Line);
    EXPECT_EQ(ColumnsOf(parser), c.Expected) << name;
    EXPECT_EQ(result, static_cast<int32_t>(c.Expected.size())) << name;
    EXPECT_EQ(parser.FormatError(), c.Error) << name;
    const bool skipped = c.Error != E::csvNoError && (c.Flags & csvSkipBadFormat);
    EXPECT_EQ(parser.DataString(), skipped ? u"" : c.Error != E::csvNoError ? c.Line : parser.DataString()) << name;
  }
}

TEST(CSVParserTest, RemembersTheDelimiterOnlyWhenAsked) {
  TCSVParser parser(500);
  parser.ParseLine(u"a,b");
  EXPECT_EQ(parser.Delimiter(), 0);
  parser.ParseLine(u"x,y", csvUpdateDelimiter);
  EXPECT_EQ(parser.Delimiter(), u',');
  parser.ParseLine(u"a;b,c");
  EXPECT_EQ(ColumnsOf(parser), (Values{u"a;b", u"c"}));
  parser.Reset(false);
  EXPECT_EQ(parser.ColumnCount(), 0);
  EXPECT_EQ(parser.DataString(), u"");
  EXPECT_EQ(parser.Delimiter(), u',');
  parser.Reset(true);
  parser.ParseLine(u"a;b,c");
  EXPECT_EQ(ColumnsOf(parser), (Values{u"a", u"b,c"}));

  parser.SetDelimiters(u"\t");
  parser.Reset(true);
  parser.ParseLine(u"a,b\tc");
  EXPECT_EQ(ColumnsOf(parser), (Values{u"a,b", u"c"}));
}

TEST(CSVParserTest, CountsEveryColumnButStoresOnlyTheFirstOnes) {
  TCSVParser parser(3);
  EXPECT_EQ(parser.ParseLine(u"a,b,c,d,e"), 5);
  EXPECT_EQ(ColumnsOf(parser), (Values{u"a", u"b", u"c"}));
  EXPECT_THROW(parser.ColumnValue(3), Exception);
  EXPECT_THROW(parser.ColumnValue(-1), Exception);
  // A long line grows the buffer and a shorter one afterwards still parses alone.
  const std::u16string longLine = std::u16string(1000, u'x') + u",y";
  EXPECT_EQ(parser.ParseLine(longLine), 2);
  EXPECT_EQ(parser.ParseLine(u"p,q"), 2);
  EXPECT_EQ(ColumnsOf(parser), (Values{u"p", u"q"}));
}

TEST(CSVParserTest, WritesValuesBackInQuotedForm) {
  TCSVParser parser(500);
  parser.ParseLine(u"a\"b,,plain");
  struct Case {
    int32_t Index;
    char16_t Quote;
    bool QuoteEmpty;
    std::u16string Expected;
  };
  for (const Case& c : {Case{0, u'"', false, u"\"a\"\"b\""}, Case{1, u'"', false, u""}, Case{1, u'"', true, u"\"\""},
                        Case{2, 0, false, u"plain"}, Case{2, u'\'', false, u"'plain'"}})
    EXPECT_EQ(parser.QuotedColumnValue(c.Index, c.Quote, c.QuoteEmpty), c.Expected) << c.Index;
  parser.SetQuoteEmptyColumn(true);
  EXPECT_EQ(parser.QuotedColumnValue(1), u"\"\"");
}

TEST(CSVParserTest, DetectsEmailUrlAndDigestColumns) {
  const TCSVParseFlags all = csvDetectEmail | csvDetectUrl | csvDetectMD5;
  struct Case {
    std::u16string Line;
    int32_t Email, Url, MD5;
  };
  const std::u16string md5 = u"0123456789abcdefABCDEF0123456789";
  const Case cases[] = {
      {u"joe,joe@example.com,http://x.org", 1, 2, -1},
      {u"HTTPS://a.b,x", -1, 0, -1},
      {u"s://a,ftp://b", -1, -1, -1},
      {u"x,\"see https://q\"", -1, 1, -1},
      {u"id," + md5 + u" ,x", -1, -1, 1},
      {u"id," + md5 + u"0", -1, -1, -1},
      {u"\"" + md5 + u"\"", -1, -1, 0},
      {u"id," + md5.substr(0, 31) + u"g", -1, -1, -1},
      {u"a@b,c@d", 0, -1, -1},
  };
  for (const Case& c : cases) {
    TCSVParser parser(500);
    parser.ParseLine(c.Line, all);
    const std::string name = Utf16ToUtf8(c.Line);
    EXPECT_EQ(parser.EmailColumnIndex(), c.Email) << name;
    EXPECT_EQ(parser.UrlColumnIndex(), c.Url) << name;
    EXPECT_EQ(parser.MD5ColumnIndex(), c.MD5) << name;
  }
  TCSVParser parser(500);
  parser.ParseLine(u"n,a@b.c,http://h", all);
  EXPECT_EQ(parser.Email(), u"a@b.c");
  EXPECT_EQ(parser.Url(), u"http://h");
  parser.ParseLine(u"n,\"a@b", all);
  EXPECT_EQ(parser.EmailColumnIndex(), 0);
  EXPECT_EQ(parser.Email(), u"n,\"a@b");
  parser.ParseLine(u"none", all);
  EXPECT_EQ(parser.Email(), u"");
  // A detection in a column that is not stored names no column.
  TCSVParser narrow(1);
  narrow.ParseLine(u"a,b@c", all);
  EXPECT_EQ(narrow.EmailColumnIndex(), -1);
  EXPECT_EQ(narrow.Email(), u"");
}

Values ReadRecords(TCSVParser& parser, TStringList lines, Values* raw = nullptr) {
  TLineReader reader(std::move(lines));
  Values firsts;
  std::u16string record;
  while (!reader.EndOfLines()) {
    parser.ReadParseLine(reader, record);
    if (raw) raw->push_back(record);
    firsts.push_back(parser.ColumnCount() ? parser.ColumnValue(0) : u"");
  }
  return firsts;
}

TEST(CSVParserTest, ReadParseLineJoinsCellLineBreaks) {
  TCSVParser parser(500);
  parser.SetCellLineBreaks(true);
  Values raw;
  EXPECT_EQ(ReadRecords(parser, {u"\"line1", u"line2\",x", u"next"}, &raw), (Values{u"line1\r\nline2", u"next"}));
  EXPECT_EQ(raw, (Values{u"\"line1\r\nline2\",x", u"next"}));
  parser.SetReplaceLineBreaks(true);
  parser.SetReplaceLineBreaksWith(u" / ");
  EXPECT_EQ(ReadRecords(parser, {u"\"a", u"b", u"c\",d"}), (Values{u"a / b / c"}));
  // A quote that never closes ends with the source, as one column holding the raw record.
  EXPECT_EQ(ReadRecords(parser, {u"\"a", u"b"}), (Values{u"\"a / b"}));
  EXPECT_EQ(parser.FormatError(), E::csvNoCloseQuote);
  EXPECT_EQ(ReadRecords(parser, {u"\"a", u"b\"\"c", u"d\",e"}), (Values{u"a / b\"c / d"}));
  parser.SetReplaceLineBreaksWith(u"");
  parser.SetBackslashEscapes(true);
  EXPECT_EQ(ReadRecords(parser, {u"\"a\\", u"\"b\",x"}), (Values{u"a\"b"}));
  parser.SetCellLineBreaks(false);
  EXPECT_EQ(ReadRecords(parser, {u"\"a", u"b\""}), (Values{u"\"a", u"b\""}));

  // The same rules, given when the parser is made.
  TCSVParser built(
      {.CellLineBreaks = true, .ReplaceLineBreaks = true, .ReplaceLineBreaksWith = u" / ", .BackslashEscapes = true},
      500);
  EXPECT_EQ(ReadRecords(built, {u"\"a", u"b\\\"c\",d"}), (Values{u"a / b\"c"}));
}

TEST(CSVParserTest, AnUnclosedQuoteStopsJoiningAtTheRecordLimit) {
  TCSVParser parser(500);
  parser.SetCellLineBreaks(true);
  TStringList lines{u"\""};
  lines.insert(lines.end(), 100000, u"x\"\"y");
  lines.insert(lines.end(), 10000, u"\",\"");
  Values raw;
  ReadRecords(parser, lines, &raw);
  ASSERT_GT(raw.size(), 1u);
  for (const std::u16string& record : raw) EXPECT_LE(record.size(), TCSVParser::kMaxRecordLength + 6);
}

}  // namespace
}  // namespace korrin
