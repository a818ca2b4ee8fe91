// The rows a view shows, read one by one and as ranges, and their export: the preview with its
// "..." item, every row once the whole file shows, the status text, and files written byte for
// byte, replaced only when every row was written.
#include "viewer/view_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/exception.h"
#include "common/utf16.h"
#include "tests/textio/test_streams.h"
#include "viewer/file_preview.h"
#include "viewer/row_export.h"

namespace korrin {
namespace {

using test::ReadBytes;
using test::TTempFile;
using Values = std::vector<std::u16string>;

// "n,text" then rows written as an export writes them; every tenth needs quotes.
std::string Row(int Row) { return std::to_string(Row) + (Row % 10 == 0 ? ",\"a,b \"\"q\"\"\"\r\n" : ",plain\r\n"); }
std::string Source(int Rows) {
  std::string text = "n,text\r\n";
  for (int i = 1; i <= Rows; ++i) text += Row(i);
  return text;
}

struct TShown {
  TFilePreview Preview;
  TViewRows Rows{Preview};
  explicit TShown(const std::string& File, int32_t MaxLines = 100) {
    Preview.SetPreviewMaxLines(MaxLines);
    Rows.Reset(Preview.ReadPreview(File, false));
    if (!Rows.StatusMode()) Preview.BuildIndex(nullptr);
  }
};

TEST(ViewRowsTest, ThePreviewEndsInTheMoreItemAndTheWholeFileShowsEveryRow) {
  const TTempFile file(Source(1000));
  TShown shown(file.Name());
  EXPECT_EQ(shown.Rows.Count(true), 101);
  EXPECT_TRUE(shown.Rows.IsMore(true, 100));
  EXPECT_EQ(shown.Rows.Cells(true, 100), Values{u"..."});
  EXPECT_EQ(shown.Rows.Cells(true, 9), (Values{u"10", u"10", u"a,b \"q\""}));
  TStringList lines;
  EXPECT_FALSE(shown.Rows.Lines(true, 100, lines));
  bool more = false;
  EXPECT_EQ(shown.Rows.RowCount(more), 1000);  // the index has counted them
  EXPECT_FALSE(more);

  ASSERT_TRUE(shown.Rows.ShowAll());
  EXPECT_EQ(shown.Rows.Count(true), 1000);
  EXPECT_EQ(shown.Rows.Count(false), 1000);
  EXPECT_FALSE(shown.Rows.IsMore(true, 100));
  EXPECT_EQ(shown.Rows.Cells(false, 999), (Values{u"1000", u"1000,\"a,b \"\"q\"\"\""}));
  EXPECT_EQ(shown.Rows.FileRow(999), 1000);
  EXPECT_EQ(shown.Rows.ItemOf(1000), 999);
  // A reader gives the same rows in any order, past the preview and back.
  const auto reader = shown.Rows.CreateReader(true);
  for (const int64_t item : {int64_t{998}, int64_t{5}, int64_t{500}, int64_t{501}}) {
    ASSERT_TRUE(reader->Lines(item, lines)) << item;
    EXPECT_EQ(shown.Rows.Cells(true, item), [&] {
      Values cells{Utf8ToUtf16(std::to_string(item + 1))};
      for (std::u16string& v : reader->Values(lines)) cells.push_back(v);
      return cells;
    }()) << item;
  }
  EXPECT_FALSE(reader->Lines(1000, lines));
}

TEST(ViewRowsTest, AMissingFileShowsItsStatusAndNoRows) {
  TShown shown("/nonexistent/file.csv");
  EXPECT_TRUE(shown.Rows.StatusMode());
  EXPECT_EQ(shown.Rows.Count(true), 1);
  EXPECT_FALSE(shown.Rows.ShowAll());
  EXPECT_EQ(shown.Rows.Cells(false, 0), (Values{u"", u"File \"/nonexistent/file.csv\" does not exist."}));
  TStringList lines;
  EXPECT_FALSE(shown.Rows.CreateReader(true)->Next(lines));
}

TEST(ViewRowsTest, ExportWritesTheWholeFileOrRangesByteForByte) {
  const std::string source = Source(3000);
  const TTempFile file(source);
  const test::TTempFolder folder;
  TShown shown(file.Name());
  ASSERT_TRUE(shown.Rows.ShowAll());
  struct Case {
    const char* Name;
    TItemRanges Ranges;
    std::string Expected;
  };
  const Case cases[] = {
      {"whole.csv", {}, source},
      {"part.csv", {{0, 1}, {2998, 2999}}, "n,text\r\n" + Row(1) + Row(2) + Row(2999) + Row(3000)},
      // Ranges past the rows shown write what there is.
      {"edge.csv", {{2999, 4000}}, "n,text\r\n" + Row(3000)},
  };
  for (const Case& c : cases) {
    const auto reader = shown.Rows.CreateReader(true);
    TExportRequest request{folder / c.Name, u',', reader->HeaderValues(), c.Ranges};
    ASSERT_TRUE(ExportRows(*reader, request, nullptr)) << c.Name;
    EXPECT_EQ(ReadBytes(request.FileName), c.Expected) << c.Name;
  }
}

TEST(ViewRowsTest, AStoppedOrFailedExportLeavesTheOldFile) {
  const TTempFile file(Source(5000));
  const test::TTempFolder folder;
  const std::string target = folder / "kept.csv";
  test::WriteBytes(target, "old");
  TShown shown(file.Name());
  const auto reader = shown.Rows.CreateReader(true);
  TExportRequest request{target, u'\t', reader->HeaderValues(), {}};
  EXPECT_FALSE(ExportRows(*reader, request, [](int64_t, int64_t) { return true; }));
  EXPECT_EQ(ReadBytes(target), "old");
  request.FileName = folder / "missing/x.csv";
  EXPECT_THROW(ExportRows(*shown.Rows.CreateReader(true), request, nullptr), Exception);
  EXPECT_EQ(ReadBytes(target), "old");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(ViewRowsTest, AnExportOfRowsTheFileNoLongerHoldsFailsAndLeavesTheOldFile) {
  const TTempFile file(Source(3000));
  const test::TTempFolder folder;
  const std::string target = folder / "kept.csv";
  test::WriteBytes(target, "old");
  TShown shown(file.Name());
  ASSERT_TRUE(shown.Rows.ShowAll());
  std::filesystem::resize_file(file.Name(), 100);  // cut in place while shown
  const auto reader = shown.Rows.CreateReader(true);
  TExportRequest request{target, u',', reader->HeaderValues(), {{2990, 2999}}};
  EXPECT_THROW(ExportRows(*reader, request, nullptr), Exception);
  EXPECT_EQ(ReadBytes(target), "old");
}

TEST(ViewRowsTest, ValuesAreQuotedOnlyWhereTheyMustBe) {
  struct Case {
    Values Row;
    char16_t Delimiter;
    std::u16string Expected;
  };
  const Case cases[] = {
      {{u"a", u"b c", u""}, u',', u"a,b c,"},
      {{u"a,b", u"say \"hi\"", u"two\nlines"}, u',', u"\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\""},
      {{u"a,b", u"tab\there", u"cr\r"}, u'\t', u"a,b\t\"tab\there\"\t\"cr\r\""},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDelimitedRow(c.Row, c.Delimiter), c.Expected);
}

}  // namespace
}  // namespace korrin
