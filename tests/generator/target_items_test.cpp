#include "generator/target_items.h"

#include <gtest/gtest.h>

#include "generator/range_line.h"

namespace korrin {
namespace {

std::string SpansText(const std::vector<TIPAddrSpan>& spans) {
  std::string text;
  for (const TIPAddrSpan& span : spans)
    text += (text.empty() ? "" : " ") + IPAddrToStr(span.First, false) + "-" + IPAddrToStr(span.Last, false);
  return text;
}

TEST(TargetItems, CommentsAndLists) {
  EXPECT_EQ(WithoutComment("10.0.0.0/24 # office"), "10.0.0.0/24 ");
  EXPECT_EQ(WithoutComment("#10.0.0.0/24"), "");
  EXPECT_EQ(WithoutComment("web#1=10.0.0.0/24\t#x"), "web#1=10.0.0.0/24\t");
  EXPECT_EQ(ListItems(" 10.0.0.1, ,10.0.0.2 ,"), (std::vector<std::string_view>{"10.0.0.1", "10.0.0.2"}));
  EXPECT_TRUE(ListItems(" , ").empty());
}

TEST(TargetItems, SetsOfAddresses) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.0.0.7", "10.0.0.7-10.0.0.7"},
      {" [fd00::1] ", "fd00::1-fd00::1"},
      {"10.0.0.9/30", "10.0.0.8-10.0.0.11"},
      {"10.0.0.1-5", "10.0.0.1-10.0.0.5"},
      {"10.0.1-3.1-254", "10.0.1.1-10.0.1.254 10.0.2.1-10.0.2.254 10.0.3.1-10.0.3.254"},
      {"10.0-1.0-255.0-255", "10.0.0.0-10.1.255.255"},
      {"10.0-1.2.0-255", "10.0.2.0-10.0.2.255 10.1.2.0-10.1.2.255"},
      {"0-255.0-255.0-255.0-255", "0.0.0.0-255.255.255.255"},
      {"10.0.0-0.5", "10.0.0.5-10.0.0.5"},
  };
  for (const auto& [item, expected] : cases) {
    std::vector<TIPAddrSpan> spans;
    std::string problem;
    EXPECT_TRUE(TryReadAddressSet(item, spans, problem)) << item << ": " << problem;
    EXPECT_EQ(SpansText(spans), expected) << item;
  }
  std::vector<TIPAddrSpan> spans;
  std::string problem;
  EXPECT_FALSE(TryReadAddressSet("10.0.0-1.0-255.1-254", spans, problem));
  EXPECT_FALSE(TryReadAddressSet("0-255.0-255.0-255.1-254", spans, problem));
  EXPECT_EQ(problem, "the octet ranges make 16777216 separate spans, more than 65536");
  EXPECT_TRUE(TryReadAddressSet("0-255.0-255.0-255", spans, problem) == false);
  EXPECT_FALSE(IsOctetRange("10.0.0.1-5"));  // the short span form
  EXPECT_FALSE(IsOctetRange("10.0.0.1-10.0.0.5"));
  EXPECT_FALSE(IsOctetRange("*.0-1.0.1"));
}

TEST(TargetItems, RangeLinesListSeveralUnderOneName) {
  std::string problem;
  const auto ranges = ReadRangeItems("A = 10.0.0.0/30, 10.0.1-2.1 # lab", problem);
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[0].Name, "A ");
  EXPECT_EQ(ranges[0].Prefix, 30);
  EXPECT_EQ(ranges[1].Name, "A ");
  EXPECT_EQ(SpansText(ranges[1].Pieces), "10.0.1.1-10.0.1.1 10.0.2.1-10.0.2.1");
  EXPECT_EQ(ReadRangeItems("10.0.0.1,10.0.0.2", problem)[1].Name, "10.0.0.2");
  EXPECT_TRUE(ReadRangeItems("# 10.0.0.0/24", problem).empty());
  EXPECT_EQ(problem, "");
  EXPECT_TRUE(ReadRangeItems("A=,", problem).empty());
  EXPECT_EQ(problem, "no range after '='");
  EXPECT_TRUE(ReadRangeItems("10.0.0.1, 10.0.0/24", problem).empty());
  EXPECT_EQ(problem, "item '10.0.0/24': an IPv4 address has 4 parts, not 3");
  // An item of a list never drops out as a comment would.
  for (const char* line : {"10.0.0.1, ;10.0.0.2", "A=10.0.0.1, ;10.0.0.2", "10.0.0.1, B=;x"}) {
    EXPECT_TRUE(ReadRangeItems(line, problem).empty()) << line;
    EXPECT_NE(problem.find("a ';' comment can only start a line"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace korrin
