#include "common/utf16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {
namespace {

TEST(Utf16, PairsSurrogatesAndReplacesUnpairedOnes) {
  struct Case {
    const char* what;
    std::u16string units;
    std::string text;
  } cases[] = {
      {"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"high surrogate, then a letter", std::u16string{0xD83D, u'A'},
       "\xEF\xBF\xBD"
       "A"},
      {"low surrogate first", std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"high surrogate at the end", std::u16string{u'x', 0xD83D}, "x\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(c.units), c.text) << c.what;
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(Utf16, ReadsUnitsInEitherByteOrderAndMarksADanglingByte) {
  const std::vector<uint8_t> little = {'A', 0, 0xAC, 0x20, 'z'};
  std::u16string out;
  AppendUtf16Units(little, false, out);
  EXPECT_EQ(out, std::u16string(u"A\u20AC") + kReplacementChar);
  const std::vector<uint8_t> big = {0xD8, 0x3D, 0xDE, 0x00};
  AppendUtf16Units(big, true, out);
  EXPECT_EQ(out.substr(3), u"\U0001F600");
}

}  // namespace
}  // namespace korrin
