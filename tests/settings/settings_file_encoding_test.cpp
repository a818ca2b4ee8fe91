#include "settings/settings_file_encoding.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(TextEncoding, DecodesEachKindOfSettingsFile) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"plain ASCII", "A=1\r\n", "A=1\r\n"},
      {"UTF-8 without mark", "T=caf\xC3\xA9", "T=caf\xC3\xA9"},
      {"UTF-8 with mark", "\xEF\xBB\xBFT=\xC3\xA9", "T=\xC3\xA9"},
      {"UTF-8 mark, bad bytes",
       "\xEF\xBB\xBF"
       "a\xFF"
       "b",
       "a\xEF\xBF\xBD"
       "b"},
      {"UTF-8 mark, cut sequence: one U+FFFD",
       "\xEF\xBB\xBF"
       "a\xE2\x82"
       "b",
       "a\xEF\xBF\xBD"
       "b"},
      {"Windows-1252", "T=caf\xE9 \x80 \x93x\x94", "T=caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
      {"Windows-1252 unassigned", "\x81\x8D", "\xC2\x81\xC2\x8D"},
      {"UTF-8 overlong is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"UTF-16 LE",
       "\xFF\xFE"
       "A\0=\0\xE9\0"s,
       "A=\xC3\xA9"},
      {"UTF-16 BE", "\xFE\xFF\0A\0=\x20\xAC"s, "A=\xE2\x82\xAC"},
      {"UTF-16 LE surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
      {"UTF-16 LE lone surrogate",
       "\xFF\xFE\x3D\xD8"
       "A\0"s,
       "\xEF\xBF\xBD"
       "A"},
      {"UTF-16 LE odd byte",
       "\xFF\xFE"
       "A\0B"s,
       "A\xEF\xBF\xBD"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextFile(c.bytes), c.text) << c.what;
}

TEST(TextEncoding, UpperCaseKeepsByteLength) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"mode=a", "MODE=A"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},  // é -> É
      {"\xC3\xBF", "\xC5\xB8"},                    // ÿ -> Ÿ
      {"\xC5\x82\xC4\x8D", "\xC5\x81\xC4\x8C"},    // ł č -> Ł Č
      {"\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3"},    // σ ς -> Σ Σ
      {"\xD0\xB4\xD1\x91", "\xD0\x94\xD0\x81"},    // д ё -> Д Ё
      {"\xC4\xB1\xC5\xBF", "\xC4\xB1\xC5\xBF"},    // dotless i and long s stay
      {"\xC3\xB7\xC3\x9F", "\xC3\xB7\xC3\x9F"},    // ÷ and ß stay
      {"a\xFF"
       "b",
       "A\xFF"
       "B"},  // unreadable bytes pass through
  };
  for (const auto& c : cases) EXPECT_EQ(UpperCase(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace korrin
