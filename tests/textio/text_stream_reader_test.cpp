#include "textio/text_stream_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/utf16.h"
#include "tests/textio/test_streams.h"

namespace korrin {
namespace {

using test::TBytesStream;
using Lines = std::vector<std::u16string>;

enum class TReadMode { Line, Buffer };

// Reads every line; the buffer mode reuses one buffer as the viewer does.
Lines ReadAll(const std::string& bytes, int32_t bufferSize, TReadMode mode = TReadMode::Line) {
  TBytesStream stream(bytes);
  TStreamReaderEx reader(&stream, nullptr, true, bufferSize);
  Lines lines;
  std::u16string buffer;
  while (!reader.EndOfStream()) {
    if (mode == TReadMode::Line) {
      lines.push_back(reader.ReadLine());
    } else {
      const int64_t n = reader.ReadLineBuffer(buffer);
      EXPECT_EQ(buffer[static_cast<size_t>(n)], u'\0');
      lines.push_back(buffer.substr(0, static_cast<size_t>(n)));
    }
  }
  return lines;
}

size_t CountLines(const std::string& bytes, int32_t bufferSize) {
  TBytesStream stream(bytes);
  TStreamReaderEx reader(&stream, nullptr, true, bufferSize);
  size_t n = 0;
  for (; !reader.EndOfStream(); ++n) reader.GotoNextLine();
  return n;
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

struct TDecodeCase {
  const char* Name;
  std::string Bytes;
  Lines Expected;
};

TEST(StreamReaderExTest, DecodesMarksBreaksAndDamagedBytes) {
  const std::u16string F(1, kReplacementChar);
  const std::vector<TDecodeCase> cases = {
      {"empty", "", {}},
      {"utf-8 mark skipped",
       "\xEF\xBB\xBF"
       "a\nb",
       {u"a", u"b"}},
      {"lone utf-8 mark", "\xEF\xBB\xBF", {}},
      {"cut utf-8 mark", "\xEF\xBB", {F}},
      {"utf-16 le", Utf16(u"a\u20ACb\r\nc", false), {u"a\u20ACb", u"c"}},
      {"utf-16 be", Utf16(u"x\ny", true), {u"x", u"y"}},
      {"lone utf-16 mark", "\xFF\xFE", {}},
      {"odd utf-16 byte",
       std::string("\xFF\xFE"
                   "a\x00"
                   "b",
                   5),
       {u"a" + F}},
      {"multi-byte", "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E", {u"\u00E9\u20AC\U0001D11E"}},
      {"invalid byte",
       "a\x80"
       "b",
       {u"a" + F + u"b"}},
      {"overlong", "\xC0\xAF", {F + F}},
      {"encoded surrogate", "\xED\xA0\x80", {F + F + F}},
      {"cut 4-byte sequence", "\xF0\x9F\x98", {F}},
      {"cut sequence then ascii",
       "\xE2\x82"
       "A",
       {F + u"A"}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {F + F + F + F}},
      {"LF CR CRLF", "a\nb\rd\r\ne", {u"a", u"b", u"d", u"e"}},
      {"LF then CR", "a\n\rb", {u"a", u"", u"b"}},
      {"final break", "a\n", {u"a"}},
      {"two final breaks", "a\n\n", {u"a", u""}},
      {"NUL run", std::string("a\0\0b", 4), {u"a", u"", u"b"}},
      {"NUL only", std::string("\0", 1), {u""}},
      {"NUL then break", std::string("\0\nx", 3), {u"", u"x"}},
  };
  for (const TDecodeCase& c : cases) EXPECT_EQ(ReadAll(c.Bytes, 1024), c.Expected) << c.Name;
}

TEST(StreamReaderExTest, CapCutsLongLinesWithoutLosingCharacters) {
  EXPECT_EQ(ReadAll(std::string(70000, 'x'), 1024), (Lines{std::u16string(65535, u'x'), std::u16string(4465, u'x')}));
  // A break right at the cap ends the line; no empty line follows.
  EXPECT_EQ(ReadAll(std::string(65535, 'y') + "\nz", 1024), (Lines{std::u16string(65535, u'y'), u"z"}));

  TBytesStream stream(std::string(300, 'q') + "\n");
  TStreamReaderEx reader(&stream);
  reader.SetTruncLineLength(100);
  EXPECT_EQ(reader.ReadLine().size(), 100u);
  reader.SetTruncLineLength(0);
  EXPECT_EQ(reader.ReadLine().size(), 200u);
  EXPECT_TRUE(reader.EndOfStream());
}

TEST(StreamReaderExTest, NulRuleCanBeSwitchedOff) {
  TBytesStream stream(std::string("a\0\0b\n", 5));
  TStreamReaderEx reader(&stream);
  reader.SetSkipLineNullChars(false);
  EXPECT_EQ(reader.ReadLine(), std::u16string(u"a\0\0b", 4));
}

// Lines with multi-byte characters and every kind of break, long enough that the chunk
// boundaries of every buffer size from 128 to 1024 land on each kind of position.
std::u16string BoundaryText() {
  const std::u16string pieces[] = {u"plain", u"\u00E9t\u00E9", u"\u20AC\u20AC\u20AC", u"\U0001D11E\U0001F600", u"a,b;c",
                                   u""};
  const std::u16string breaks[] = {u"\n", u"\r\n", u"\r"};
  std::u16string text;
  for (int i = 0; i < 600; ++i) text += pieces[i % 6] + pieces[(i * 5) % 6] + breaks[i % 3];
  return text;
}

Lines BoundaryLines() {
  Lines lines;
  std::u16string current;
  const std::u16string text = BoundaryText();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || text[i] == u'\r') {
      lines.push_back(current);
      current.clear();
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      current += text[i];
    }
  }
  return lines;
}

TEST(StreamReaderExTest, EveryBufferSizeGivesTheSameLines) {
  const Lines expected = BoundaryLines();
  const std::string encodings[] = {Utf16ToUtf8(BoundaryText()), "\xEF\xBB\xBF" + Utf16ToUtf8(BoundaryText()),
                                   Utf16(BoundaryText(), false), Utf16(BoundaryText(), true)};
  for (const std::string& bytes : encodings) {
    for (int32_t size = 128; size <= 1024; ++size) {
      ASSERT_EQ(ReadAll(bytes, size), expected) << "buffer " << size;
      ASSERT_EQ(CountLines(bytes, size), expected.size()) << "buffer " << size;
    }
    EXPECT_EQ(ReadAll(bytes, 200, TReadMode::Buffer), expected);
  }
}

TEST(StreamReaderExTest, RandomBytesReadTheSameWithAnyBufferSize) {
  std::mt19937 rng(20261210);
  for (int round = 0; round < 300; ++round) {
    const std::string bytes = test::RandomBytes(rng);
    const Lines expected = ReadAll(bytes, 1 << 20);
    for (int k = 0; k < 4; ++k) {
      const auto size = static_cast<int32_t>(std::uniform_int_distribution<int>(1, 1100)(rng));
      ASSERT_EQ(ReadAll(bytes, size), expected) << "round " << round << " buffer " << size;
      ASSERT_EQ(ReadAll(bytes, size, TReadMode::Buffer), expected) << "round " << round << " buffer " << size;
      ASSERT_EQ(CountLines(bytes, size), expected.size()) << "round " << round << " buffer " << size;
    }
  }
}

TEST(StreamReaderExTest, CharacterReadsAndTheEnd) {
  TBytesStream stream("ab\ncd");
  TStreamReaderEx reader(&stream);
  EXPECT_EQ(reader.Peek(), 'a');
  EXPECT_EQ(reader.Read(), 'a');
  char16_t block[4] = {};
  EXPECT_EQ(reader.Read(block, 1, 2), 2);
  EXPECT_EQ(std::u16string(block + 1, 2), u"b\n");
  EXPECT_EQ(reader.ReadToEnd(), u"cd");
  EXPECT_EQ(reader.Read(), -1);
  EXPECT_EQ(reader.Read(block, 0, 4), -1);
  std::u16string buffer;
  EXPECT_EQ(reader.ReadLineBuffer(buffer), 0);
  ASSERT_FALSE(buffer.empty());
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_TRUE(reader.EndOfStream());
  reader.Close();
  EXPECT_EQ(reader.ReadLine(), u"");
  EXPECT_THROW(TStreamReaderEx(nullptr), Exception);
}

TEST(StreamReaderExTest, BufferCopiesCheckTheirRange) {
  TStringBuilderEx builder;
  builder.Chars() = std::u16string(u"ab\0cd", 5);
  std::u16string buffer(10, u'x');
  EXPECT_EQ(builder.ToStringBuffer(buffer, 3, 2), 2);
  EXPECT_EQ(buffer.substr(0, 3), std::u16string(u"cd\0", 3));
  EXPECT_EQ(buffer.size(), 10u);
  EXPECT_EQ(builder.ToNotNullStringBuffer(buffer, 2, 3), 0);
  EXPECT_EQ(builder.ToNotNullString(2, 3), u"");
  EXPECT_EQ(builder.ToNotNullString(0, 2), u"ab");
  struct Bad {
    int64_t Start, Length;
    const char* Message;
  };
  for (const Bad& bad : {Bad{-1, 1, "Parameter StartIndex cannot be a negative value"},
                         Bad{0, -1, "Parameter StrLength cannot be a negative value"},
                         Bad{6, 0, "List index out of bounds (6)"}, Bad{4, 2, "List index out of bounds (6)"}}) {
    try {
      builder.ToNotNullString(bad.Start, bad.Length);
      ADD_FAILURE() << bad.Message;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), bad.Message);
    }
  }
}

}  // namespace
}  // namespace korrin
