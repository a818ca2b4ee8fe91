#include "common/text.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(IntegerText, ReadsDecimalHexAndRejectsTheRest) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 0},
      {"  42", 42},
      {"+7", 7},
      {"-7", -7},
      {"$ff", 255},
      {"x1F", 31},
      {"X1f", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"-$10", -16},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"1 ", std::nullopt},
      {"1a", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"$100000000", std::nullopt},
      {"--1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(StrToIntDef("x", -1), -1);
}

TEST(Text, TrimRemovesControlAndBlankAtBothEnds) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Text, FormatCountUsesThousandsSeparators) {
  EXPECT_EQ(FormatCount(0), "0");
  EXPECT_EQ(FormatCount(999), "999");
  EXPECT_EQ(FormatCount(1000), "1,000");
  EXPECT_EQ(FormatCount(1234567), "1,234,567");
  EXPECT_EQ(FormatCount(-1000), "-1,000");
}

TEST(Text, GroupCountsGroupsOnlyNumbersThatStandAlone) {
  const struct {
    const char* text;
    const char* grouped;
  } cases[] = {
      {"1048576 IPs generated.", "1,048,576 IPs generated."},
      {"999 IPs generated.", "999 IPs generated."},
      {"10000000 IPs generated. 2500 range lines skipped: line 1234 (10.0.0.256/24)",
       "10,000,000 IPs generated. 2,500 range lines skipped: line 1,234 (10.0.0.256/24)"},
      {"Total 12345.", "Total 12,345."},
      {"file 20240101.txt, port 65535:80, fd00::1234, 0123456",
       "file 20240101.txt, port 65535:80, fd00::1234, 0123456"},
  };
  for (const auto& c : cases) EXPECT_EQ(GroupCounts(c.text), c.grouped) << c.text;
}

TEST(Text, ReplaceAllDoesNotRescanInsertedText) {
  EXPECT_EQ(ReplaceAll("a#b#", "#", "#1"), "a#1b#1");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(Text, CSVFieldQuotesOnlyValuesThatWouldShiftTheColumns) {
  struct Case {
    const char* delimiter;
    const char* value;
    const char* field;
  };
  const Case cases[] = {
      {",", "Google, LLC", "\"Google, LLC\""},
      {",", "Google LLC", "Google LLC"},
      {",", "", ""},
      {",", "say \"hi\"", "\"say \"\"hi\"\"\""},
      {",", "two\nlines", "\"two\nlines\""},
      {",", "cr\rhere", "\"cr\rhere\""},
      {",", "a\tb;c", "a\tb;c"},
      {"\t", "a\tb", "\"a\tb\""},
      {"\t", "a, b", "a, b"},
      {";", "a;b", "\"a;b\""},
      {" ", "United States", "\"United States\""},
      {" ", "US", "US"},
      {" | ", "a|b", "a|b"},
      {" | ", "a | b", "\"a | b\""},
      {"", "any text", "any text"},
      {"", "\"", "\"\"\"\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CSVField(c.value, c.delimiter), c.field) << c.value << " with '" << c.delimiter << "'";
    std::string out = "x";
    AppendCSVField(out, c.value, c.delimiter);
    EXPECT_EQ(out, std::string("x") + c.field);
  }
}

}  // namespace
}  // namespace korrin
