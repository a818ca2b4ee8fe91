#include "settings/choices_to_engine.h"

#include <gtest/gtest.h>

#include "common/exception.h"

namespace korrin {
namespace {

TEST(CopySettingsToUtils, EveryChoiceReachesTheEngine) {
  TKorrinSettings s;
  s.IPRanges = {"10.0.0.0/30", ""};
  s.Mode = TCountChoice::ForEachRange;
  s.EachCount = "$10";
  s.TotalCount = "not read";
  s.GenerateNames = true;
  s.NameTemplate = "h#";
  s.CounterSymbol = "#";
  s.FirstCounter = "5";
  s.CounterStep = "-1";
  s.CounterDigits = "3";
  s.NameDelimiter = kNameDelimiterCustom;
  s.NameCustomDelimiter = "|";
  s.AddPort = true;
  s.Ports = "80";
  s.Exclude = true;
  s.ExcludeMasks = {"*.0"};
  s.RandomOrder = s.Append = s.EscapeIPv6 = s.UsableHostIPAddresses = s.UniqueAddresses = true;
  s.ResolveCountry = true;
  s.MMDBFilePath = "/db.mmdb";
  TKorrinUtils u(nullptr);
  ASSERT_TRUE(CopySettingsToUtils(s, u));
  EXPECT_EQ(u.GenerateCountMode(), TGenerateCounts::gcForEach);
  EXPECT_EQ(u.GenerateCount(), 16);
  EXPECT_EQ(u.NameTemplate(), "h#");
  EXPECT_EQ(u.FirstCounter(), 5);
  EXPECT_EQ(u.CounterStep(), -1);
  EXPECT_EQ(u.CounterDigits(), 3);
  EXPECT_EQ(u.NameDelimiter(), "|");
  EXPECT_EQ(u.PortNumbers(), "80");
  EXPECT_EQ(u.IPRanges().ToVector(), (std::vector<std::string>{"10.0.0.0/30", ""}));
  EXPECT_EQ(u.ExcludeMasks(), std::vector<std::string>{"*.0"});
  EXPECT_TRUE(u.RandomOrder() && u.Append() && u.EscapeIPv6() && u.UsableHostIPAddresses() && u.DoExclude() &&
              u.UniqueAddresses());
  EXPECT_TRUE(u.ResolveIPCountry());
  EXPECT_EQ(u.MMDBFilePath(), "/db.mmdb");

  // Names and ports off: the substitutes, whatever the boxes hold.
  s.GenerateNames = s.AddPort = s.Exclude = false;
  s.FirstCounter = "garbage";
  ASSERT_TRUE(CopySettingsToUtils(s, u));
  EXPECT_EQ(u.NameTemplate(), "");
  EXPECT_EQ(u.FirstCounter(), 1);
  // The delimiter stays: it also comes before the database column.
  EXPECT_EQ(u.NameDelimiter(), "|");
  EXPECT_EQ(u.PortNumbers(), "");
  EXPECT_TRUE(u.ExcludeMasks().empty());
}

TEST(CopySettingsToUtils, StrictIntegersAndTheMissingDatabasePath) {
  TKorrinSettings s;
  s.Mode = TCountChoice::TotalCount;
  s.TotalCount = "1e3";
  TKorrinUtils u(nullptr);
  try {
    CopySettingsToUtils(s, u);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "'1e3' is not a valid integer value");
  }
  s.TotalCount = "7";
  s.ResolveCountry = true;
  EXPECT_FALSE(CopySettingsToUtils(s, u));
  EXPECT_EQ(NameDelimiterOf(1, "x"), "\t");
  EXPECT_EQ(NameDelimiterOf(9, "x"), " ");
}

}  // namespace
}  // namespace korrin
