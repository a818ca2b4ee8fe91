#include "common/value_encoding.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(ValueEncoding, EscapesControlCharactersAndBackslashAndReadsThemBack) {
  const struct {
    std::string plain, encoded;
  } cases[] = {
      {"a\tb\\", "a\\tb\\\\"},
      {"line1\r\nline2", "line1\\r\\nline2"},
      {"", ""},
      {"C:\\temp\\new", "C:\\\\temp\\\\new"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeValue(c.plain), c.encoded) << c.plain;
    EXPECT_EQ(DecodeValue(c.encoded), c.plain) << c.encoded;
  }
}

TEST(ValueEncoding, DecodingTakesUnknownEscapesLiterallyAndKeepsAFinalBackslash) {
  EXPECT_EQ(DecodeValue("\\x\\\\y"), "x\\y");
  EXPECT_EQ(DecodeValue("end\\"), "end\\");
  EXPECT_EQ(DecodeValue("\\\\n"), "\\n");  // the escaped backslash does not start a new escape
}

}  // namespace
}  // namespace korrin
