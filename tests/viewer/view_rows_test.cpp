// The rows a view shows, read one by one and as ranges, and their export: the preview with its
// "..." item, every row once the whole file shows, the status text, and files written byte for
// byte, replaced only when every row was written.
#include "viewer/view_rows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"
#include "tests/textio/test_streams.h"
#include "viewer/file_preview.h"
#include "viewer/row_export.h"
#include "viewer/row_finder.h"
#include "viewer/row_index.h"
#include "viewer/row_reader.h"

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
  // Indexed false stops the index at its first block, as a window exports while it counts.
  explicit TShown(const std::string& File, int32_t MaxLines = 100, bool Indexed = true) {
    Preview.SetPreviewMaxLines(MaxLines);
    Rows.Reset(Preview.ReadPreview(File, false));
    if (!Rows.StatusMode()) Preview.BuildIndex([Indexed](int64_t, int64_t, int64_t) { return !Indexed; });
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

TEST(ViewRowsTest, AWholeFileExportOfAFileCutShortFailsAndLeavesTheOldFile) {
  // More than the reader's 1 MB block, so that a cut made while the export runs is read.
  const std::string source = Source(100000);
  const std::string head = Source(7);
  const test::TTempFolder folder;
  const std::string target = folder / "kept.csv";
  const auto cut = [&](const std::string& File) { std::filesystem::resize_file(File, head.size()); };
  const auto grow = [](const std::string& File) { std::ofstream(File, std::ios::app) << Row(100001); };
  // Another version of the same size; its time is set, as one write may land in the tick of the last.
  const auto writeOver = [](const std::string& File) {
    const auto time = std::filesystem::last_write_time(File);
    std::fstream(File, std::ios::in | std::ios::out | std::ios::binary).seekp(40) << 'X';
    std::filesystem::last_write_time(File, time + std::chrono::seconds(1));
  };
  const std::string whileExporting = ": the file changed while it was being exported";
  struct Case {
    const char* Name;
    bool Indexed;
    std::function<void(const std::string&)> Change;
    bool WhileExporting;  // else between the count and the export
    std::string Error;    // a pattern of the message, after the file's name; none exports every row
  };
  const Case cases[] = {
      {"cut before", true, cut, false, "ended after 7 of its 100,000 rows" + whileExporting},
      {"cut while", true, cut, true, "ended after [0-9,]+ of its 100,000 rows" + whileExporting},
      {"cut while counted", false, cut, true,
       "ended after [0-9,]+ rows, at byte [0-9,]+ of " + FormatCount(static_cast<int64_t>(source.size())) +
           whileExporting},
      {"written over before", true, writeOver, false, "was written over in place since it was shown"},
      {"written over while", true, writeOver, true, "was written over in place since it was shown"},
      // The rows the index counted, those shown, are exported; the window asks to reload.
      {"grown before", true, grow, false, ""},
      {"grown while", true, grow, true, ""},
  };
  for (const Case& c : cases) {
    const TTempFile file(source);
    test::WriteBytes(target, "old");
    TShown shown(file.Name(), 100, c.Indexed);
    if (!c.WhileExporting) c.Change(file.Name());
    const auto reader = shown.Rows.CreateReader(true);
    TExportRequest request{target, u',', reader->HeaderValues(), {}};
    bool changed = false;
    const auto progress = [&](int64_t, int64_t) {
      if (c.WhileExporting && !std::exchange(changed, true)) c.Change(file.Name());
      return false;
    };
    if (c.Error.empty()) {
      ASSERT_TRUE(ExportRows(*reader, request, progress)) << c.Name;
      EXPECT_EQ(ReadBytes(target), source) << c.Name;
      continue;
    }
    try {
      ExportRows(*reader, request, progress);
      ADD_FAILURE() << c.Name << ": exported";
    } catch (const Exception& e) {
      const std::string message = e.what(), name = "\"" + file.Name() + "\" ";
      EXPECT_EQ(message.substr(0, name.size()), name) << c.Name;
      EXPECT_TRUE(
          std::regex_match(message.substr(name.size()),
                           std::regex(c.Error + "\\. Nothing was exported; reload the file and export again\\.")))
          << c.Name << ": " << message;
    }
    EXPECT_EQ(ReadBytes(target), "old") << c.Name;
  }
}

// A file the system stops reading, after it was shown: each reader of it raises the reason, none
// takes it for a shorter file. The rows on screen show it, an export says it and keeps the old file.
TEST(ViewRowsTest, AReadErrorReachesEveryReaderWithItsReason) {
  const test::TTempFolder folder;
  const std::string target = folder / "kept.csv";
  std::string name;  // of the case's file
  struct Case {
    const char* Name;
    // Reads the file after Break, giving what the user is told.
    std::function<std::string(TShown& Shown, const std::function<void()>& Break)> Read;
    const char* After;  // what follows the reason
  };
  const auto thrown = [](const std::function<void()>& Read) {
    try {
      Read();
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const auto find = [&](TShown& Shown, const std::function<void()>& Break, bool Decoded, bool Worker) {
    const TRowIndex& index = *Shown.Preview.Index();
    TRowOptions options = index.Options();
    options.CellLineBreaks = Decoded;  // records over lines are searched decoded
    TRowFinder finder(index.File(), index.Encoding(), options);
    Break();
    TFindRequest request{u"plain"};
    if (!Worker) {
      TFindResult result;
      return thrown([&] { finder.Find(request, result); });
    }
    finder.Start(request);
    while (!finder.Done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return finder.Error();
  };
  const Case cases[] = {
      {"index",
       [&](TShown& Shown, const std::function<void()>& Break) {
         TRowIndex index(name, Shown.Preview.Encoding(), Shown.Preview.RowOptions());
         Break();
         return thrown([&] { index.Build(nullptr); });
       },
       ""},
      {"index on its worker",
       [&](TShown& Shown, const std::function<void()>& Break) {
         TRowIndex index(name, Shown.Preview.Encoding(), Shown.Preview.RowOptions());
         Break();
         index.Start();
         index.Stop();  // the first read fails before a stop is looked at
         return index.Error();
       },
       ""},
      {"row reader",
       [&](TShown& Shown, const std::function<void()>& Break) {
         const TRowIndex& index = *Shown.Preview.Index();
         TRowReader reader(index.File(), index.Encoding(), index.Options());
         Break();
         TStringList lines;
         return thrown([&] { reader.Read(true, lines); });
       },
       ""},
      {"rows shown",
       [&](TShown& Shown, const std::function<void()>& Break) {
         Shown.Rows.ShowAll();
         Break();
         const Values cells = Shown.Rows.Cells(true, 900);
         EXPECT_EQ(cells.front(), u"901");
         return Utf16ToUtf8(cells.back());
       },
       ""},
      {"find", [&](TShown& Shown, const std::function<void()>& Break) { return find(Shown, Break, false, false); }, ""},
      {"find decoded",
       [&](TShown& Shown, const std::function<void()>& Break) { return find(Shown, Break, true, false); }, ""},
      {"find on its worker",
       [&](TShown& Shown, const std::function<void()>& Break) { return find(Shown, Break, false, true); }, ""},
      {"export",
       [&](TShown& Shown, const std::function<void()>& Break) {
         test::WriteBytes(target, "old");
         const auto reader = Shown.Rows.CreateReader(true);
         Break();
         const std::string message = thrown([&] { ExportRows(*reader, {target, u',', {}, {}}, nullptr); });
         EXPECT_EQ(ReadBytes(target), "old");
         return message;
       },
       ". Nothing was exported."},
  };
  for (const Case& c : cases) {
    const TTempFile file(Source(1000));
    name = file.Name();
    TShown shown(name);
    const auto breakReads = [&] { ASSERT_GE(test::BreakReadsOf(file.Name()), 1) << c.Name; };
    EXPECT_EQ(c.Read(shown, breakReads), "Cannot read " + file.Name() + ". Bad file descriptor" + c.After) << c.Name;
  }
}

// A file that fails at its first read (unmapped memory) is read by name: the preview shows the
// reason and Count Rows raises it.
TEST(ViewRowsTest, AFileThatCannotBeReadShowsTheReason) {
  const std::string reason = "Cannot read /proc/self/mem. Input/output error";
  TShown shown("/proc/self/mem");
  EXPECT_TRUE(shown.Rows.StatusMode());
  EXPECT_EQ(shown.Rows.Cells(true, 0), Values{Utf8ToUtf16(reason)});
  try {
    shown.Preview.CountRows("/proc/self/mem", false, nullptr);
    ADD_FAILURE() << "counted";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), reason);
  }
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
