#include "generator/name_template.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

std::vector<std::string> Names(TNameTemplate t, int count, const char* address = "10.1.2.3", const char* range = "A") {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(t.Next(StrToIPAddr(address), range));
  return names;
}

TEST(NameTemplate, CounterPaddingStepAndSymbols) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Names(TNameTemplate("h#", "#", 7, 1, 3), 2), (V{"h007", "h008"}));
  EXPECT_EQ(Names(TNameTemplate("h#", "#", 1234, 1, 3), 1), (V{"h1234"}));
  EXPECT_EQ(Names(TNameTemplate("h#", "#", -5, 1, 3), 1), (V{"h0-5"}));
  EXPECT_EQ(Names(TNameTemplate("h#", "#", 4, 0, 1), 2), (V{"h4", "h4"}));
  EXPECT_EQ(Names(TNameTemplate("h#", "#", 4, -2, 1), 3), (V{"h4", "h2", "h0"}));
  EXPECT_EQ(Names(TNameTemplate("x#y#", "#", 1, 1, 1), 2), (V{"x1y1", "x2y2"}));
  EXPECT_EQ(Names(TNameTemplate("n-ctr-", "ctr", 9, 1, 2), 1), (V{"n-09-"}));
  EXPECT_EQ(Names(TNameTemplate("plain", "", 1, 1, 1), 2), (V{"plain", "plain"}));
  EXPECT_EQ(Names(TNameTemplate("plain", "#", 1, 1, 1), 1), (V{"plain"}));
  EXPECT_EQ(Names(TNameTemplate("", "#", 1, 1, 1), 1), (V{""}));
  EXPECT_EQ(Names(TNameTemplate("c#", "#", INT32_MAX, 1, 1), 2), (V{"c2147483647", "c-2147483648"}));
}

TEST(NameTemplate, QuadrantsAndRangeName) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Names(TNameTemplate("host-%1-%2-%3-%4.%s", "#", 1, 1, 1), 1), (V{"host-10-1-2-3.A"}));
  EXPECT_EQ(Names(TNameTemplate("[%5]", "#", 1, 1, 1), 1), (V{"[]"}));
  EXPECT_EQ(Names(TNameTemplate("%1.%8", "#", 1, 1, 1), 1, "fdc7::fb05"), (V{"fdc7.fb05"}));
  // A counter symbol inside the inserted range name stays as it is.
  EXPECT_EQ(Names(TNameTemplate("#%s", "#", 1, 1, 1), 1, "10.0.0.1", "r#"), (V{"1r#"}));
}

}  // namespace
}  // namespace korrin
