#include "viewer/row_index.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/utf16.h"
#include "tests/textio/test_streams.h"
#include "viewer/file_preview.h"
#include "viewer/row_finder.h"
#include "viewer/row_reader.h"

namespace korrin {
namespace {

using test::TTempFile;
using Values = std::vector<std::u16string>;

struct TPythonCase {
  std::string File;
  bool BackslashEscapes;
  char Delimiter;
};

// What Python's csv module reads from each file, with the options the viewer maps its own onto;
// one interpreter for all of them.
std::vector<int64_t> PythonRecords(const std::vector<TPythonCase>& Cases) {
  const TTempFile script(
      "import csv, sys\n"
      "a = sys.argv[1:]\n"
      "for i in range(0, len(a), 3):\n"
      "    with open(a[i], newline='', encoding='latin-1') as f:\n"
      "        print(sum(1 for _ in csv.reader(f, skipinitialspace=True,"
      " escapechar='\\\\' if a[i + 1] == '1' else None, delimiter=a[i + 2])))\n",
      ".py");
  std::string command = "python3 " + script.Name();
  for (const TPythonCase& c : Cases)
    command += " " + c.File + " " + (c.BackslashEscapes ? "1" : "0") + " '" + std::string(1, c.Delimiter) + "'";
  std::vector<int64_t> counts;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return counts;
  char out[64];
  while (std::fgets(out, sizeof out, pipe)) counts.push_back(std::stoll(out));
  ::pclose(pipe);
  return counts;
}

int64_t Records(const std::string& File, bool CellLineBreaks, bool BackslashEscapes, char16_t Delimiter = 0) {
  TFilePreview preview;
  preview.SetDelimiter(Delimiter);
  preview.CSVParser().SetCellLineBreaks(CellLineBreaks);
  preview.CSVParser().SetBackslashEscapes(BackslashEscapes);
  return preview.CountRows(File, true, nullptr);
}

TEST(RowIndexTest, RecordsAreCountedLikePythonsCsvReader) {
  // The delimiter is the one the viewer picks by itself: the first candidate outside quotes.
  struct Case {
    const char* Text;
    bool Escapes;
    char Delimiter;
  };
  const Case cases[] = {
      {"a,\"b\nc\",d\ne,f\n", false, ','},
      {"\"x\"\"\ny\"\n", false, ','},
      {"a, \"b\nc\"\nd\n", false, ','},
      {"a,b\"\nc\"\n", false, ','},
      {"\"open\nnever closed", false, ','},
      {"\"open\nthen closed\"\n\"", false, ','},
      {"x\r\n\"y\r\nz\"\r\n\rlast", false, ','},
      {"\n\n", false, ','},
      {"a;\"b\nc\";d\n", false, ';'},
      {"\"a\"b,\"c\nd\"\n", false, ','},
      {"\"a\\\"\nb\"\n", true, ','},
      {"a\\\nb\nc\\\r\nd\n", true, ','},
      {"a\tb\t\"c\nd\"\n", false, '\t'},
  };
  std::vector<std::string> texts;
  std::vector<TPythonCase> python;
  for (const Case& c : cases) {
    texts.push_back(c.Text);
    python.push_back({"", c.Escapes, c.Delimiter});
  }
  // And texts drawn at random from the characters that matter.
  std::mt19937 rng(17);
  const char alphabet[] = {'a', ',', '"', '\n', '\r', ' ', '\\', ';'};
  for (int round = 0; round < 150; ++round) {
    std::string text(rng() % 200, ' ');
    for (char& ch : text) ch = alphabet[rng() % sizeof alphabet];
    texts.push_back(text);
    python.push_back({"", round % 2 == 1, round % 3 ? ',' : ';'});
  }
  std::vector<std::unique_ptr<TTempFile>> files;
  for (size_t i = 0; i < texts.size(); ++i) {
    files.push_back(std::make_unique<TTempFile>(texts[i]));
    python[i].File = files.back()->Name();
  }
  const std::vector<int64_t> expected = PythonRecords(python);
  ASSERT_EQ(expected.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(Records(python[i].File, true, python[i].BackslashEscapes, static_cast<char16_t>(python[i].Delimiter)),
              expected[i])
        << texts[i];
}

TEST(RowIndexTest, LinesEndAtLfCrLfAndCr) {
  struct Case {
    const char* Text;
    int64_t Lines;
  };
  const Case cases[] = {{"", 0}, {"a", 1}, {"a\n", 1}, {"a\r\nb\rc\n\n", 4}, {"\"a\nb\"\n", 2}, {"x\r", 1}};
  for (const Case& c : cases) {
    TTempFile file(c.Text);
    EXPECT_EQ(Records(file.Name(), false, false), c.Lines) << c.Text;
  }
}

std::string NumberedLines(int64_t Count, const char* Break) {
  std::string text;
  for (int64_t i = 0; i < Count; ++i) text += std::to_string(i) + ",name " + std::to_string(i) + Break;
  return text;
}

TEST(RowIndexTest, RowsNearTheEndComeThroughTheIndex) {
  constexpr int64_t kRows = 20000;
  for (const char* brk : {"\n", "\r\n", "\r"}) {
    TTempFile file(NumberedLines(kRows, brk));
    TFilePreview preview;
    ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
    ASSERT_TRUE(preview.BuildIndex(nullptr));
    EXPECT_EQ(preview.Index()->Records(), kRows);
    EXPECT_LT(preview.Index()->MemoryBytes(), static_cast<size_t>(kRows));
    TStringList lines;
    for (const int64_t row : {int64_t{0}, int64_t{127}, int64_t{128}, kRows - 129, kRows - 2, kRows - 1}) {
      ASSERT_TRUE(preview.IndexedRow(true, row, lines)) << row;
      EXPECT_EQ(lines, Values{Utf8ToUtf16(std::to_string(row) + ",name " + std::to_string(row))});
      ASSERT_TRUE(preview.IndexedRow(false, row, lines));
      EXPECT_EQ(preview.ParseLines(lines), 2);
      EXPECT_EQ(preview.CSVParser().ColumnValue(1), Utf8ToUtf16("name " + std::to_string(row)));
    }
    EXPECT_FALSE(preview.IndexedRow(true, kRows, lines));
  }
}

TEST(RowIndexTest, RecordsAndLinesAreIndexedApartWithCellLineBreaks) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += std::to_string(i) + ",\"two\nlines\"\n";
  TTempFile file(text);
  TFilePreview preview;
  preview.CSVParser().SetCellLineBreaks(true);
  ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
  preview.StartIndex();
  while (!preview.Index()->Done() && preview.Index()->Error().empty())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(preview.Index()->Records(), 1000);
  EXPECT_EQ(preview.Index()->Lines(), 2000);
  TStringList lines;
  ASSERT_TRUE(preview.IndexedRow(true, 999, lines));
  EXPECT_EQ(lines, (Values{u"999,\"two\n", u"lines\""}));
  preview.ParseLines(lines);
  EXPECT_EQ(preview.CSVParser().ColumnValue(1), u"two\nlines");
  ASSERT_TRUE(preview.IndexedRow(false, 1999, lines));
  EXPECT_EQ(lines, Values{u"lines\""});
}

Values PreviewRow(const std::string& Bytes, int32_t Row, std::string& Encoding) {
  TTempFile file(Bytes);
  TFilePreview preview;
  EXPECT_TRUE(preview.ReadPreview(file.Name(), true));
  Encoding = preview.Encoding().Name;
  Values values;
  if (Row >= static_cast<int32_t>(preview.PreviewRows().size())) return values;
  preview.ParseRow(Row);
  for (int32_t k = 0; k < preview.CSVParser().ColumnCount(); ++k) values.push_back(preview.CSVParser().ColumnValue(k));
  return values;
}

std::string Utf16(std::u16string_view Text, bool BigEndian) {
  std::string bytes;
  for (char16_t c : Text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += BigEndian ? hi : lo;
    bytes += BigEndian ? lo : hi;
  }
  return bytes;
}

TEST(RowIndexTest, EncodingsWithoutAMarkAndTabsAreRecognised) {
  struct Case {
    std::string Bytes;
    int32_t Row;
    Values Expected;
    const char* Encoding;
  };
  const std::u16string text = u"id\tname\n1\tcaf\u00e9\n2\tna\u00efve \u20ac\n";
  const Case cases[] = {
      {Utf16(text, false), 2, {u"2", u"na\u00efve \u20ac"}, "UTF-16 LE"},
      {Utf16(text, true), 2, {u"2", u"na\u00efve \u20ac"}, "UTF-16 BE"},
      {"\xFF\xFE" + Utf16(text, false), 1, {u"1", u"caf\u00e9"}, "UTF-16 LE"},
      {"id;name\n1;caf\xE9\n2;\x93quoted\x94 \x80\n", 2, {u"2", u"\u201cquoted\u201d \u20ac"}, "Windows-1252"},
      {"id|name\n1|caf\xC3\xA9\n", 1, {u"1", u"caf\u00e9"}, "UTF-8"},
      {"a,b\n\xEF\xBF\xBD,\xE2\x82\xAC\n", 1, {u"\ufffd", u"\u20ac"}, "UTF-8"},
  };
  for (const Case& c : cases) {
    std::string encoding;
    EXPECT_EQ(PreviewRow(c.Bytes, c.Row, encoding), c.Expected) << c.Encoding;
    EXPECT_EQ(encoding, c.Encoding);
  }
}

TEST(RowIndexTest, AChosenDelimiterSplitsOnlyThere) {
  TTempFile file("a;b,c\n1;2,3\n");
  TFilePreview preview;
  preview.SetDelimiter(u',');
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.PreviewColumns(), (Values{u"a;b", u"c"}));
  preview.SetDelimiter(u';');
  ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
  EXPECT_EQ(preview.PreviewColumns(), (Values{u"a", u"b,c"}));
}

TEST(RowIndexTest, UTF16RowsComeThroughTheIndexToo) {
  std::u16string text;
  for (int i = 0; i < 500; ++i) text += Utf8ToUtf16(std::to_string(i)) + u",\u00e9\r\n";
  for (const bool big : {false, true}) {
    TTempFile file(Utf16(text, big));
    TFilePreview preview;
    ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
    ASSERT_TRUE(preview.BuildIndex(nullptr));
    EXPECT_EQ(preview.Index()->Records(), 500);
    TStringList lines;
    ASSERT_TRUE(preview.IndexedRow(true, 499, lines));
    EXPECT_EQ(lines, Values{u"499,\u00e9"});
  }
}

// A UTF-16 file of odd length ends in half a unit, shown as one more character: after a CR it
// starts a row of its own, for the preview's reader as for Count Rows and the index.
TEST(RowIndexTest, AnOddLastByteOfUTF16IsARowWhereTheIndexCountsOne) {
  struct Case {
    std::string Bytes;
    bool CellLineBreaks;
    std::vector<Values> Rows;
  };
  const Case cases[] = {
      {std::string("\xFE\xFF\0a\0\r\n", 7), false, {{u"a"}, {u"\ufffd"}}},
      {std::string("\xFE\xFF\0a\0\r\n", 7), true, {{u"a"}, {u"\ufffd"}}},
      {std::string("\xFF\xFE\x61\0\r\0\r", 7), false, {{u"a"}, {u"\ufffd"}}},
      {std::string("\xFF\xFE\x61\0\r\0\n\0x", 9), false, {{u"a"}, {u"\ufffd"}}},
      {std::string("\xFF\xFE\x61\0x", 5), false, {{u"a\ufffd"}}},
      {std::string("\xFF\xFE\"\0\r\0x", 7), true, {{u"\"\r", u"\ufffd"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Bytes) + (c.CellLineBreaks ? " with cell line breaks" : ""));
    TTempFile file(c.Bytes);
    TFilePreview preview;
    preview.CSVParser().SetCellLineBreaks(c.CellLineBreaks);
    EXPECT_EQ(preview.CountRows(file.Name(), true, nullptr), static_cast<int64_t>(c.Rows.size()));
    ASSERT_TRUE(preview.ReadPreview(file.Name(), true));
    ASSERT_TRUE(preview.BuildIndex(nullptr));
    EXPECT_EQ(preview.Index()->Records(), static_cast<int64_t>(c.Rows.size()));
    std::vector<Values> shown;
    for (size_t row = 0; row < c.Rows.size(); ++row) {
      TStringList lines;
      EXPECT_TRUE(preview.IndexedRow(true, static_cast<int64_t>(row), lines));
      shown.push_back(lines);
    }
    EXPECT_EQ(shown, c.Rows);
    EXPECT_EQ(static_cast<int64_t>(preview.PreviewRows().size()), static_cast<int64_t>(c.Rows.size()));
  }
}

TEST(RowIndexTest, FindGoesBothWaysAroundAndCountsMatchingRows) {
  std::string text = "id,name\n";
  for (int i = 1; i <= 5000; ++i) text += std::to_string(i) + (i % 1000 == 0 ? ",Needle x needle\n" : ",hay\n");
  text += "5001,the LAST \xC3\xA9t\xC3\xA9";
  TTempFile file(text);
  TRowFinder finder(file.Name(), SniffEncoding({}, true), TRowOptions{});
  struct Case {
    std::u16string Text;
    bool MatchCase;
    int64_t From;
    TFindResult Expected;
  };
  const Case cases[] = {
      {u"needle", false, 0, {1000, 5000, 5}},
      {u"needle", false, 1000, {2000, 5000, 5}},
      {u"needle", false, 5000, {1000, 4000, 5}},
      {u"Needle", true, 2500, {3000, 2000, 5}},
      {u"last \u00c9t\u00c9", false, 0, {5001, 5001, 1}},
      {u"last", true, 0, {-1, -1, 0}},
      {u"id", false, 0, {-1, -1, 0}},  // the header is not a row
  };
  for (const Case& c : cases) {
    TFindResult result;
    ASSERT_TRUE(finder.Find({c.Text, c.MatchCase, true, 1, c.From}, result));
    EXPECT_EQ(result.Next, c.Expected.Next) << c.From;
    EXPECT_EQ(result.Previous, c.Expected.Previous) << c.From;
    EXPECT_EQ(result.Count, c.Expected.Count);
  }
  finder.Start({u"needle", false, true, 1, 0});
  while (!finder.Done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(finder.Result().Count, 5);
}

// The rows of Text (after a mark of MarkSize bytes) whose bytes hold Needle, split at LF, CR LF and
// CR and folded by hand: what a search of the decoded lines finds.
std::vector<int64_t> MatchingLines(std::string Text, size_t MarkSize, std::string Needle, bool MatchCase) {
  if (!MatchCase)
    for (std::string* s : {&Text, &Needle})
      for (char& c : *s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  std::vector<int64_t> rows;
  const std::string_view text(Text);
  int64_t row = 0;
  for (size_t at = MarkSize; at <= text.size(); ++row) {
    const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    if (text.substr(at, end - at).find(Needle) != std::string_view::npos) rows.push_back(row);
    at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  return rows;
}

TEST(RowIndexTest, FindOverRawBytesMatchesTheLinesAcrossBlocksAndLineEnds) {
  struct Case {
    std::string Text;
    std::string Needle;
    bool MatchCase;
  };
  std::vector<Case> cases;
  // Line ends and matches on every side of the readers' 1 MiB blocks.
  for (const std::string sep : {"\n", "\r\n", "\r"})
    for (int shift = -9; shift <= 3; shift += 3) {
      std::string text;
      while (text.size() < (1u << 20) + shift - 4) text += "hay" + sep;
      text.resize((1u << 20) + shift - 4);
      text += sep + "a needle b" + sep + sep + "only NEEDLE" + sep + "needle needle" + sep + "x needl";
      cases.push_back({text, "needle", false});
      cases.push_back({text, "needle", true});
    }
  // One line longer than two blocks, matched only at its end; a match in its middle; ASCII folding only.
  cases.push_back({"first\n" + std::string(5u << 19, 'y') + "NEEDLE\nlast needle", "needle", false});
  cases.push_back(
      {"first\n" + std::string(3u << 19, 'y') + "needle" + std::string(3u << 19, 'y') + "\n", "needle", true});
  cases.push_back({"\xEF\xBB\xBFhead\ncaf\xC3\xA9 CAF\xC3\x89\nCaf\xC3\xA9\n", "caf\xC3\xA9", true});
  cases.push_back({"head\ncaf\xE9\nCAF\xC9\nx\n", "caf", false});  // Windows-1252
  for (const Case& c : cases) {
    const TTempFile file(c.Text);
    const TSniffedEncoding encoding =
        SniffEncoding({reinterpret_cast<const uint8_t*>(c.Text.data()), std::min<size_t>(c.Text.size(), 4096)},
                      c.Text.size() <= 4096);
    const std::vector<int64_t> expected = MatchingLines(c.Text, encoding.PreambleSize, c.Needle, c.MatchCase);
    ASSERT_FALSE(expected.empty());
    for (const bool records : {true, false}) {
      TRowFinder finder(file.Name(), encoding, TRowOptions{});
      TFindResult result;
      ASSERT_TRUE(finder.Find({Utf8ToUtf16(c.Needle), c.MatchCase, records, 0, expected.front()}, result));
      EXPECT_EQ(result.Count, static_cast<int64_t>(expected.size())) << c.Needle << " at " << c.Text.size();
      EXPECT_EQ(result.Next, expected.size() > 1 ? expected[1] : expected.front()) << c.Text.size();
      EXPECT_EQ(result.Previous, expected.back()) << c.Text.size();
    }
  }
}

// The next and previous match keys read only to the nearest match, from the index's offset on,
// and land where a whole pass says, wrapping exactly when the match lies past the file's end.
TEST(RowIndexTest, NearestMatchesAgreeWithTheWholePass) {
  std::string text = "id,name\n";
  for (int i = 1; i <= 20000; ++i)
    text += std::to_string(i) + (i % 4999 == 0 ? ",a \"needle\nin two lines\"\n" : ",hay\n");
  struct Case {
    std::string Name;
    std::string Bytes;
    bool CellLineBreaks;
    bool Records;
  };
  const Case cases[] = {{"bytes, lines", text, false, false},
                        {"records across lines", text, true, true},
                        {"UTF-16", Utf16(Utf8ToUtf16(text), false), false, true}};
  for (const Case& c : cases) {
    const TTempFile file(c.Bytes);
    TFilePreview preview;
    preview.CSVParser().SetCellLineBreaks(c.CellLineBreaks);
    ASSERT_TRUE(preview.ReadPreview(file.Name(), false));
    ASSERT_TRUE(preview.BuildIndex(nullptr));
    const TRowIndex& index = *preview.Index();
    TRowFinder finder(file.Name(), index.Encoding(), index.Options());
    for (const int64_t from : {int64_t{0}, int64_t{1}, int64_t{4999}, int64_t{5000}, int64_t{12000}, int64_t{19996},
                               int64_t{19997}, int64_t{20500}}) {
      TFindResult whole, next, previous;
      ASSERT_TRUE(finder.Find({u"NEEDLE", false, c.Records, 1, from}, whole));
      ASSERT_GT(whole.Count, 0) << c.Name;
      TFindRequest request{u"NEEDLE", false, c.Records, 1, from};
      request.Nearest = true;
      request.Index = &index;
      ASSERT_TRUE(finder.Find(request, next));
      request.Backward = true;
      ASSERT_TRUE(finder.Find(request, previous));
      EXPECT_EQ(next.Next, whole.Next) << c.Name << " from " << from;
      EXPECT_EQ(next.Wrapped, whole.Next <= from) << c.Name << " from " << from;
      EXPECT_EQ(previous.Previous, whole.Previous) << c.Name << " from " << from;
      EXPECT_EQ(previous.Wrapped, whole.Previous >= from) << c.Name << " from " << from;
    }
  }
}

}  // namespace
}  // namespace korrin
