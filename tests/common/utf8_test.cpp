#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "common/utf16.h"

namespace korrin {
namespace {

const std::u16string F(1, kReplacementChar);

// One U+FFFD per maximal invalid subpart, wherever the bytes come from.
TEST(Utf8, ReplacesEachMaximalInvalidSubpartOnce) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"valid of every length", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00E9\u20AC\U0001F600"},
      {"a spelled U+FFFD", "\xEF\xBF\xBD", F},
      {"cut sequence, then ASCII",
       "\xE2\x82"
       "A",
       F + u"A"},
      {"overlong two bytes", "\xC0\x80", F + F},
      {"overlong three bytes", "\xE0\x80\x80", F + F + F},
      {"encoded surrogate", "\xED\xA0\x80", F + F + F},
      {"above U+10FFFF", "\xF4\x90\x80\x80", F + F + F + F},
      {"lone continuation bytes", "\x80\xBF", F + F},
      {"cut four-byte sequence at the end", "x\xF0\x9F\x98", u"x" + F},
      {"lead byte that never starts",
       "\xFF"
       "a",
       F + u"a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.what;
}

TEST(Utf8, TellsMalformedBytesFromASpelledReplacement) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xEF\xBF\xBD"));
  EXPECT_FALSE(IsValidUtf8("caf\xC3"));
  EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));  // a surrogate is not a character

  const TDecodedCodePoint cut = DecodeUtf8At(
      "\xE2\x82"
      "A",
      0);
  EXPECT_EQ(cut.Value, kReplacementCodePoint);
  EXPECT_EQ(cut.Length, 2);
  EXPECT_FALSE(cut.Valid);
}

TEST(Utf8, IncompleteTailIsOnlyASequenceMoreBytesCouldComplete) {
  struct Case {
    std::string bytes;
    size_t tail;
  } cases[] = {
      {"", 0},         {"abc", 0}, {"a\xC3", 1}, {"a\xE2\x82", 2}, {"\xF0\x9F\x98", 3}, {"\xC3\xA9", 0},  // complete
      {"\xE0\x80", 0},  // can never become valid
      {"\xFF", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IncompleteUtf8Tail(c.bytes), c.tail) << testing::PrintToString(c.bytes);
}

TEST(Utf8, EncodesEveryLength) {
  std::string out;
  for (char32_t c : {U'a', U'\u00E9', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) AppendUtf8(out, c);
  EXPECT_EQ(out, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
}

}  // namespace
}  // namespace korrin
