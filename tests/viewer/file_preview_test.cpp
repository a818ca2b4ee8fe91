#include "viewer/file_preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/textio/test_streams.h"

namespace korrin {
namespace {

using test::TTempFile;
using Values = std::vector<std::u16string>;

std::string NumberedLines(int count, bool header) {
  std::string text = header ? "id,name\n" : "";
  for (int i = 1; i <= count; ++i) text += std::to_string(i) + ",n" + std::to_string(i) + "\n";
  return text;
}

Values RowValues(TFilePreview& preview, int32_t row) {
  preview.ParseRow(row);
  Values values;
  for (int32_t k = 0; k < preview.CSVParser().ColumnCount(); ++k) values.push_back(preview.CSVParser().ColumnValue(k));
  return values;
}

TEST(FilePreviewTest, HeaderLineNamesTheColumnsUnlessItIsData) {
  TTempFile file("id;name\n1;a\n2;b\n3;c\n4;d");
  TFilePreview preview;
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.PreviewColumns(), (Values{u"id", u"name"}));
  EXPECT_EQ(preview.ShownRowCount(), 4);
  EXPECT_FALSE(preview.More());
  EXPECT_EQ(preview.PreviewRows().size(), 5u);
  EXPECT_EQ(RowValues(preview, 4), (Values{u"4", u"d"}));

  ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
  EXPECT_EQ(preview.PreviewColumns(), (Values{u"Column 1", u"Column 2"}));
  EXPECT_EQ(preview.ShownRowCount(), 5);
  EXPECT_EQ(RowValues(preview, 0), (Values{u"id", u"name"}));
}

TEST(FilePreviewTest, LongFilesStopAtTheLimitAndCountInFull) {
  TTempFile file(NumberedLines(1500, true));
  TFilePreview preview;
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.ShownRowCount(), 1000);
  EXPECT_TRUE(preview.More());
  EXPECT_EQ(preview.CountRows(file.Name(), false, nullptr), 1500);
  EXPECT_EQ(preview.CountRows(file.Name(), true, nullptr), 1501);

  // Rows that exactly fill the limit still show as not complete.
  TTempFile exact(NumberedLines(1000, true));
  ASSERT_TRUE(preview.ReadPreview(exact.Name(), false));
  EXPECT_EQ(preview.ShownRowCount(), 1000);
  EXPECT_TRUE(preview.More());
  preview.SetPreviewMaxLines(1001);
  ASSERT_TRUE(preview.ReadPreview(exact.Name(), false));
  EXPECT_FALSE(preview.More());
}

// Rows end at line breaks only, as wc -l and Python's csv module see them: NUL bytes and long lines
// do not split a row.
TEST(FilePreviewTest, CountFollowsTheLineRulesAndCanBeAborted) {
  struct Case {
    std::string Bytes;
    bool NoHeader;
    int64_t Rows;
  };
  const Case cases[] = {
      {"", false, 0},
      {"", true, 0},
      {"header\n", false, 0},
      {"h\r\na\rb\n\nc", false, 4},
      {std::string("h\na\0\0b", 6), false, 1},
      {std::string(70000, 'x'), true, 1},
      {"\xEF\xBB\xBF"
       "h\n1\n",
       false, 1},
      {std::string("\xFF\xFE"
                   "h\0\n\0"
                   "1\0",
                   8),
       false, 1},
  };
  TFilePreview preview;
  for (const Case& c : cases) {
    TTempFile file(c.Bytes);
    EXPECT_EQ(preview.CountRows(file.Name(), c.NoHeader, nullptr), c.Rows) << c.Bytes.substr(0, 20);
  }
  // Counting UTF-8 and UTF-16 can be aborted.
  for (const std::string& bytes : {NumberedLines(5000, false), std::string("\xFF\xFE"
                                                                           "a\0\n\0",
                                                                           6)}) {
    TTempFile file(bytes);
    int64_t lastPosition = 0, lastSize = 0;
    const int64_t aborted = preview.CountRows(file.Name(), true, [&](int64_t position, int64_t size, int64_t) {
      lastPosition = position;
      lastSize = size;
      return true;
    });
    EXPECT_EQ(aborted, -1);
    EXPECT_GT(lastPosition, 0);
    EXPECT_EQ(lastSize, static_cast<int64_t>(bytes.size()));
  }
  EXPECT_THROW(preview.CountRows("/tmp/korrin-missing.csv", false, nullptr), Exception);
}

TEST(FilePreviewTest, LaterWiderLinesAddNumberedCaptions) {
  TTempFile file("a,b\n1,2,3\n");
  TFilePreview preview;
  std::vector<int32_t> parsedColumns;
  preview.SetOnLineParsed([&](const TCSVParser& parser) { parsedColumns.push_back(parser.ColumnCount()); });
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.PreviewColumns(), (Values{u"a", u"b", u"Column 3"}));
  EXPECT_EQ(parsedColumns, (std::vector<int32_t>{2, 3}));
}

TEST(FilePreviewTest, CellLineBreaksMakeOneRowOfSeveralLines) {
  TTempFile file("k,v\n1,\"two\nlines\"\n2,x\n");
  TFilePreview preview;
  preview.CSVParser().SetCellLineBreaks(true);
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.PreviewLines().size(), 4u);
  EXPECT_EQ(preview.PreviewRows(), (std::vector<int32_t>{0, 1, 3}));
  EXPECT_EQ(RowValues(preview, 1), (Values{u"1", u"two\nlines"}));
  preview.CSVParser().SetReplaceLineBreaks(true);
  preview.CSVParser().SetReplaceLineBreaksWith(u" ");
  EXPECT_EQ(RowValues(preview, 1), (Values{u"1", u"two lines"}));
  EXPECT_EQ(RowValues(preview, 2), (Values{u"2", u"x"}));

  // A quote that never closes joins lines only up to the record limit, then a new row starts.
  std::string open = "\"";
  for (int i = 0; i < 300; ++i) open += std::string(1000, 'o') + "\n";
  TTempFile unclosed(open);
  ASSERT_TRUE(preview.ReadPreview(unclosed.Name(), true));
  EXPECT_EQ(preview.PreviewLines().size(), 300u);
  EXPECT_EQ(preview.PreviewRows().size(), 235u);  // the cut-off lines hold no quote: one row each
  EXPECT_EQ(preview.PreviewRows()[1], 66);
}

TEST(FilePreviewTest, MissingOrEmptySources) {
  TFilePreview preview;
  EXPECT_FALSE(preview.ReadPreview("/tmp/korrin-missing.csv", false));
  EXPECT_EQ(preview.PreviewStatus(), "File \"/tmp/korrin-missing.csv\" does not exist.");
  EXPECT_FALSE(preview.ReadPreview("", false));
  EXPECT_FALSE(preview.More());

  TTempFile empty("");
  ASSERT_TRUE(preview.ReadPreview(empty.Name(), false));
  EXPECT_EQ(preview.ShownRowCount(), 0);
  EXPECT_FALSE(preview.More());
  EXPECT_EQ(preview.PreviewStatus(), "");
}

TEST(FilePreviewTest, TheGivenLineReaderClassReadsTheSource) {
  TTempFile file("x|y\n");
  TFilePreview preview;
  preview.SetLineReaderClass(&TLineReaderClassOf<TLineReader>::Instance());
  ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
  EXPECT_EQ(RowValues(preview, 0), (Values{u"x", u"y"}));
}

}  // namespace
}  // namespace korrin
