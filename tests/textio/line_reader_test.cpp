#include "textio/line_reader.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <thread>

#include "common/utf16.h"
#include "tests/textio/test_streams.h"
#include "textio/cached_file_line_reader.h"

namespace korrin {
namespace {

using test::TBytesStream;
using test::TTempFile;

// The reject table is process-wide; every test leaves it off.
class LineReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { TLineReader::ResetRejectChars(); }
};

TEST_F(LineReaderTest, EmptyFileIsAtItsEndAtOnce) {
  TTempFile file("");
  TCachedFileLineReader reader(file.Name(), 65536, 1024);
  EXPECT_TRUE(reader.EndOfLines());
  EXPECT_EQ(reader.ReadLine(), u"");
  EXPECT_EQ(reader.LineIndex(), 0);
  EXPECT_EQ(reader.StreamSize(), 0);
}

TEST_F(LineReaderTest, StreamModeCountsLinesAndReportsPositions) {
  TTempFile file(
      "\xEF\xBB\xBF"
      "one\r\ntwo\nthree");
  for (int32_t bufferSize : {0, 1, 128, 4096}) {
    TLineReader reader(file.Name(), bufferSize);
    EXPECT_EQ(reader.StreamSize(), 17);
    EXPECT_EQ(reader.ReadLine(), u"one");
    reader.GotoNextLine();
    std::u16string buffer;
    EXPECT_EQ(reader.ReadLineBuffer(buffer), 5);
    EXPECT_EQ(buffer.substr(0, 6), std::u16string(u"three\0", 6));
    EXPECT_EQ(reader.LineIndex(), 3);
    EXPECT_TRUE(reader.EndOfLines());
    EXPECT_EQ(reader.StreamPosition(), 17);
    EXPECT_EQ(reader.ReadLineBuffer(buffer), 0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(reader.LineIndex(), 3);
    reader.GotoBegin();
    EXPECT_EQ(reader.LineIndex(), 0);
    EXPECT_FALSE(reader.EndOfLines());
    EXPECT_EQ(reader.ReadLine(), u"one");
  }
}

TEST_F(LineReaderTest, HostileFilesReadByTheRules) {
  // A long line without a break comes out in pieces of the cap, none lost.
  TTempFile endless(std::string(5'000'000, 'z'));
  TCachedFileLineReader reader(endless.Name(), 65536, 1024);
  size_t total = 0, lines = 0;
  for (std::u16string buffer; !reader.EndOfLines(); ++lines) {
    const int64_t n = reader.ReadLineBuffer(buffer);
    EXPECT_LE(n, 65535);
    total += static_cast<size_t>(n);
  }
  EXPECT_EQ(total, 5'000'000u);
  EXPECT_EQ(lines, 5'000'000u / 65535 + 1);

  // A file that shrinks while it is read ends early.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  TTempFile shrinking(text);
  TCachedFileLineReader cut(shrinking.Name(), 4096, 1024);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(cut.ReadLine(), u"line " + Utf8ToUtf16(std::to_string(i)));
  ASSERT_EQ(::truncate(shrinking.Name().c_str(), 10000), 0);
  int rest = 0;
  for (; !cut.EndOfLines(); ++rest) cut.ReadLine();
  EXPECT_GT(rest, 0);
  EXPECT_LT(rest, 2000);
}

TEST_F(LineReaderTest, ListModeHandsOutTheItems) {
  TLineReader reader(TStringList{u"a", u"bb", u"ccc"});
  EXPECT_EQ(reader.ReadLine(), u"a");
  std::u16string buffer(1, u'x');
  EXPECT_EQ(reader.ReadLineBuffer(buffer), 2);
  EXPECT_EQ(buffer, std::u16string(u"bb\0", 3));
  reader.GotoNextLine();
  EXPECT_TRUE(reader.EndOfLines());
  EXPECT_EQ(reader.LineIndex(), 3);
  EXPECT_EQ(reader.StreamSize(), 0);
  EXPECT_EQ(reader.StreamPosition(), 0);
  reader.GotoNextLine();
  EXPECT_EQ(reader.LineIndex(), 3);
  reader.Close();
  EXPECT_TRUE(reader.EndOfLines());
  EXPECT_EQ(reader.ReadLine(), u"");
}

TEST_F(LineReaderTest, RejectCharsKeepOnlyTheAllowedCharacters) {
  struct Case {
    std::u16string Allowed;
    std::u16string Line;
    std::u16string Expected;
  };
  const Case cases[] = {
      {u"a-z0-9", u"Ab-1 c", u"b1c"},
      {u"0-9\\-", u"a-1-2b", u"-1-2"},
      {u"a-", u"ab-c", u"a-"},
      {u"\\t\\n x", u"x\ty\nz x", u"x\t\n x"},
      {u"z-a", u"az", u""},
      {u"ab\\", u"abc\\", u"ab"},
      {u"", u"anything", u"anything"},
  };
  for (const Case& c : cases) {
    TLineReader::SetRejectChars(c.Allowed);
    TLineReader list(TStringList{c.Line});
    EXPECT_EQ(list.ReadLine(), c.Expected) << Utf16ToUtf8(c.Allowed);
    TLineReader buffered(TStringList{c.Line});
    std::u16string buffer;
    const int64_t n = buffered.ReadLineBuffer(buffer);
    EXPECT_EQ(buffer.substr(0, static_cast<size_t>(n) + 1), c.Expected + u'\0') << Utf16ToUtf8(c.Allowed);
  }
  TLineReader::SetRejectChars(u"a");
  TLineReader stream(std::make_unique<TBytesStream>("banana\n"), 0);
  EXPECT_EQ(stream.ReadLine(), u"aaa");
  TLineReader::ResetRejectChars();
  TLineReader again(TStringList{u"banana"});
  EXPECT_EQ(again.ReadLine(), u"banana");
}

TEST_F(LineReaderTest, ThreadSafeReadersHandEachLineOutOnce) {
  std::string bytes;
  for (int i = 0; i < 4000; ++i) bytes += std::to_string(i) + "\n";
  TLineReader reader(std::make_unique<TBytesStream>(bytes), 128);
  reader.SetThreadSafe(true);
  std::vector<std::u16string> seen[2];
  auto drain = [&reader](std::vector<std::u16string>& out) {
    for (std::u16string line; !(line = reader.ReadLine()).empty();) out.push_back(line);
  };
  std::thread a(drain, std::ref(seen[0])), b(drain, std::ref(seen[1]));
  a.join();
  b.join();
  std::vector<std::u16string> all = seen[0];
  all.insert(all.end(), seen[1].begin(), seen[1].end());
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), 4000u);
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

// A list-mode descendant in the way a database reader presents its records: it overrides the
// file-name constructor and builds the list there.
class TGreetingReader : public TLineReader {
 public:
  using TLineReader::TLineReader;
  TGreetingReader(const std::string& Filename, int32_t) : TLineReader(TStringList{}) {
    Lines().push_back(u"hello," + Utf8ToUtf16(Filename));
    Lines().push_back(u"bye");
  }
};

TEST_F(LineReaderTest, ClassReferenceConstructsTheDescendant) {
  const TLineReaderClass& greeting = TLineReaderClassOf<TGreetingReader>::Instance();
  std::unique_ptr<TLineReader> reader = greeting.Create("x.db", 1024);
  EXPECT_EQ(reader->ReadLine(), u"hello,x.db");
  EXPECT_EQ(reader->ReadLine(), u"bye");
  EXPECT_TRUE(reader->EndOfLines());
  EXPECT_EQ(reader->StreamSize(), 0);

  std::unique_ptr<TLineReader> inherited = greeting.Create(std::make_unique<TBytesStream>("s"), 0);
  EXPECT_EQ(inherited->ReadLine(), u"s");
  TTempFile file("f\n");
  std::unique_ptr<TLineReader> cached = TCachedFileLineReader::Class().Create(file.Name(), 0);
  EXPECT_EQ(cached->ReadLine(), u"f");
}

}  // namespace
}  // namespace korrin
