// Exclusions as exact sets of addresses, ranges as one set with unique addresses, and the
// target-file notations of range lines, through the engine as the front ends drive it.
#include <gtest/gtest.h>

#include <set>

#include "address/ip_types.h"
#include "common/exception.h"
#include "generator/address_progression.h"
#include "generator/generation_engine.h"

namespace korrin {
namespace {

using Lines = std::vector<std::string>;

struct AddressSets : ::testing::Test {
  TKorrinUtils engine{nullptr};
  std::string result;

  Lines Run(Lines ranges, Lines excludes = {}, TGenerateCounts mode = TGenerateCounts::gcAllCount, int32_t count = 0) {
    engine.IPRanges().Assign(ranges);
    engine.SetDoExclude(!excludes.empty());
    engine.ExcludeMasks() = std::move(excludes);
    engine.SetGenerateCountMode(mode);
    engine.SetGenerateCount(count);
    engine.PerformGenerateIPList(result);
    return engine.IPList().ToVector();
  }
  std::string Count(Lines ranges, Lines excludes = {}, TGenerateCounts mode = TGenerateCounts::gcAllCount,
                    int32_t count = 0) {
    engine.IPRanges().Assign(ranges);
    engine.SetDoExclude(!excludes.empty());
    engine.ExcludeMasks() = std::move(excludes);
    engine.SetGenerateCountMode(mode);
    engine.SetGenerateCount(count);
    const TLineCount c = engine.CountIPList();
    return (c.Exact ? "" : "at most ") + c.Lines.ToString();
  }
};

// The address values of lines, whatever text form they are written in.
std::set<TUInt128> Values(const Lines& lines) {
  std::set<TUInt128> values;
  for (const std::string& line : lines) values.insert(IPAddrValue(StrToIPAddr(line)));
  return values;
}

TUInt128 ValueOfText(const char* text) { return IPAddrValue(StrToIPAddr(text)); }

TEST_F(AddressSets, EverySpellingOfAnAddressOrANetworkExcludesIt) {
  const struct {
    const char* range;
    const char* entry;
    size_t left;
    const char* gone;  // an address the entry must have removed
  } cases[] = {
      {"10.0.0.0/29", "10.0.0.7", 7, "10.0.0.7"},
      {"10.0.0.0/29", "010.000.000.007", 7, "10.0.0.7"},
      {"10.0.0.0/29", "[10.0.0.7]", 7, "10.0.0.7"},
      {"10.0.0.0/29", " 10.0.0.7 \t", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0.7 # the printer", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0.7/32", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0.7-10.0.0.7", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0.7-7", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0-1.7", 7, "10.0.0.7"},
      {"10.0.0.0/29", "10.0.0.0/30", 4, "10.0.0.3"},
      {"10.0.0.0/29", "10.0.0.2/30", 4, "10.0.0.3"},
      {"10.0.0.0/29", "10.0.0.0 - 10.0.0.3", 4, "10.0.0.3"},
      {"10.0.0.0/29", "10.0.0.0-3", 4, "10.0.0.3"},
      {"10.0.0.0/29", "10.0.0-0.0-3", 4, "10.0.0.3"},
      {"10.0.0.0/29", "10.0.0.0/30, 10.0.0.6", 3, "10.0.0.6"},
      {"2001:db8:0:1::/126", "2001:db8:0:1::1", 3, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "2001:db8:0:1:0:0:0:1", 3, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "2001:0DB8:0000:0001:0000:0000:0000:0001", 3, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "[2001:db8:0:1::1]", 3, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "2001:db8:0:1::1/128\r", 3, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "2001:db8:0:1::/127", 2, "2001:db8:0:1::1"},
      {"2001:db8:0:1::/126", "2001:db8:0:1::1-2001:db8:0:1:0:0:0:2", 2, "2001:db8:0:1::2"},
      {"fd00::/125", "fd00::0001", 7, "fd00::1"},
      {"10.0.1.0/24/32", "10.0.1-3.7", 255, "10.0.1.7"},
      {"192.168.1.100/16/24", "192.168.0.0/23", 254, "192.168.1.100"},
  };
  for (const auto& c : cases) {
    for (const bool brackets : {false, true}) {
      engine.SetEscapeIPv6(brackets);
      Lines lines = Run({c.range}, {c.entry});
      for (std::string& line : lines)
        if (line.front() == '[') line = line.substr(1, line.size() - 2);
      const std::set<TUInt128> values = Values(lines);
      EXPECT_EQ(values.size(), c.left) << c.entry;
      EXPECT_EQ(values.count(ValueOfText(c.gone)), 0u) << c.entry;
    }
  }
}

TEST_F(AddressSets, MasksStayMasksWhereTheEntryHoldsAWildcard) {
  EXPECT_EQ(Run({"10.0.0.0/28"}, {"*.1?", "*.0"}), (Lines{"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5",
                                                          "10.0.0.6", "10.0.0.7", "10.0.0.8", "10.0.0.9"}));
  EXPECT_EQ(Run({"10.0.0.0/29"}, {"10.0.0.[!3-7]", "# a comment alone", ""}),
            (Lines{"10.0.0.3", "10.0.0.4", "10.0.0.5", "10.0.0.6", "10.0.0.7"}));
  EXPECT_EQ(Run({"fd00::/125"}, {"fd00::/126", "*:[4-5]"}), (Lines{"fd00::6", "fd00::7"}));
  engine.SetEscapeIPv6(true);
  EXPECT_EQ(Run({"fd00::/126"}, {"?fd00::[12]?"}), (Lines{"[fd00::]", "[fd00::3]"}));
}

// A typo is an error that names it, raised before anything is generated.
TEST_F(AddressSets, AnEntryThatIsNeitherASetNorAMaskIsAnError) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.0.0.256", "'10.0.0.256' is an invalid exclusion: IPv4 part '256' is not a number from 0 to 255"},
      {" 10.0.0 ", "'10.0.0' is an invalid exclusion: an IPv4 address has 4 parts, not 3"},
      {"10.0.0.1, 10.0.0.300 # two",
       "'10.0.0.300' is an invalid exclusion: IPv4 part '300' is not a number from 0 to 255"},
      {"fd00::/129", "'fd00::/129' is an invalid exclusion: prefix length '129' is not a number from 0 to 128"},
      {"10.0.1-300.1",
       "'10.0.1-300.1' is an invalid exclusion: IPv4 part '1-300' is not a number or a range from 0 to 255"},
      {"10.0.3-1.1", "'10.0.3-1.1' is an invalid exclusion: IPv4 part '3-1' ends below its start"},
      {"[10.0.0.1", "'[10.0.0.1' is an invalid mask at (10)"},
      {"0-255.0-255.0-255.1-254",
       "'0-255.0-255.0-255.1-254' is an invalid exclusion: the octet ranges make 16777216 separate spans, more than "
       "65536"},
      {"printer", "'printer' is an invalid exclusion: an IPv4 address has 4 parts, not 1"},
  };
  for (const auto& [entry, message] : cases) {
    engine.IPList() = {"kept"};
    try {
      Run({"10.0.0.0/24"}, {"*.0", entry});
      ADD_FAILURE() << entry;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), message) << entry;
    }
    EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"}) << entry;
  }
}

// The cost is in the exclusions' number, not in the addresses they cover.
TEST_F(AddressSets, HugeRangesLessHugeExclusionsAreCountedWalkedAndSampledAtOnce) {
  EXPECT_EQ(Count({"0.0.0.0/0"}, {"0.0.0.0/2"}), "3221225472");
  EXPECT_EQ(Count({"2001:db8::/32"}, {"2001:db8::/33"}), "39614081257132168796771975168");
  const Lines upper = Run({"2001:db8::/32"}, {"2001:db8::/33"}, TGenerateCounts::gcTotalCount, 10);
  ASSERT_EQ(upper.size(), 10u);
  EXPECT_EQ(*Values(upper).begin(), ValueOfText("2001:db8:8000::"));
  EXPECT_EQ(Run({"0.0.0.0/0"}, {"0.0.0.0/2"}, TGenerateCounts::gcTotalCount, 2), (Lines{"64.0.0.0", "64.0.0.1"}));
  engine.SetRandomOrder(true);
  engine.SetRandomSeed(1);
  const std::set<TUInt128> sample =
      Values(Run({"2001:db8::/32"}, {"2001:db8::/33"}, TGenerateCounts::gcTotalCount, 10));
  EXPECT_EQ(sample.size(), 10u);
  EXPECT_GE(*sample.begin(), ValueOfText("2001:db8:8000::"));
  // 2,000 networks over a /12: every one of them is gone, and nothing else.
  Lines excludes;
  for (int i = 0; i < 2000; ++i)
    excludes.push_back("10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".0/25");
  EXPECT_EQ(Count({"10.0.0.0/12"}, excludes), std::to_string((1 << 20) - 2000 * 128));
  const std::set<TUInt128> left = Values(Run({"10.0.0.0/12"}, excludes, TGenerateCounts::gcTotalCount, 1000));
  EXPECT_EQ(left.size(), 1000u);
  for (const TUInt128 v : left) EXPECT_TRUE((v & 0x80) != 0 || v >= ValueOfText("10.7.208.0"));
}

TEST_F(AddressSets, RangeLinesTakeCommentsListsAndOctetRanges) {
  EXPECT_EQ(Run({"# targets", "10.0.0.0/31, 10.0.1.0/31 # lab", "10.0.2-3.1-2"}),
            (Lines{"10.0.0.0", "10.0.0.1", "10.0.1.0", "10.0.1.1", "10.0.2.1", "10.0.2.2", "10.0.3.1", "10.0.3.2"}));
  EXPECT_EQ(engine.RangeLinesRead(), 2);
  EXPECT_EQ(engine.SkippedLineCount(), 0);
  EXPECT_EQ(Count({"10.0.1-3.1-254"}), "762");
  EXPECT_EQ(Run({"10.0.1-3.1-254"}, {"10.0.2.0/24"}, TGenerateCounts::gcTotalCount, 3),
            (Lines{"10.0.1.1", "10.0.1.2", "10.0.1.3"}));
  EXPECT_EQ(Run({"10.0.1-3.1-254"}, {"10.0.1.0/24", "10.0.2.0/24"}, TGenerateCounts::gcTotalCount, 2),
            (Lines{"10.0.3.1", "10.0.3.2"}));
  Run({"10.0.0.0/31,10.0.0.256", "10.0.0.5"});
  ASSERT_EQ(engine.SkippedLines().size(), 1u);
  EXPECT_EQ(engine.SkippedLines()[0].Reason, "item '10.0.0.256': IPv4 part '256' is not a number from 0 to 255");
}

TEST_F(AddressSets, UniqueAddressesComeOnceUnderTheFirstRangesName) {
  engine.SetUniqueAddresses(true);
  engine.SetGenerateNames(true);
  engine.SetNameTemplate("%s");
  engine.SetCounterSymbol("#");
  engine.SetNameDelimiter(" ");
  EXPECT_EQ(Run({"A=10.0.0.0/30", "B=10.0.0.2/31, 10.0.0.4"}),
            (Lines{"A 10.0.0.0", "A 10.0.0.1", "A 10.0.0.2", "A 10.0.0.3", "B 10.0.0.4"}));
  EXPECT_EQ(engine.OverlappingLineCount(), 0);
  engine.SetGenerateNames(false);
  // Patterns of other strides, in both orders; spans and octet ranges.
  const struct {
    Lines ranges;
    const char* count;
  } cases[] = {
      {{"192.168.0.0/16", "192.168.1.100/16/24"}, "65536"},
      {{"192.168.1.100/16/24", "192.168.0.0/16"}, "65536"},
      {{"192.168.1.100/16/24", "192.168.1.0/16/24"}, "512"},
      {{"192.168.1.100/16/24", "192.168.0.100-192.168.3.100"}, "1021"},
      {{"10.0.0-1.1-2", "10.0.0.0/31", "10.0.1.2"}, "5"},
      {{"fd00::/64", "fd00::/65", "fd00::1"}, "18446744073709551616"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Count(c.ranges), c.count) << c.ranges[0];
    if (c.ranges[0] == "fd00::/64") continue;
    const Lines lines = Run(c.ranges);
    EXPECT_EQ(std::to_string(Values(lines).size()), c.count) << c.ranges[0];
    EXPECT_EQ(std::to_string(lines.size()), c.count) << c.ranges[0];
  }
}

// A random total is a sample without replacement of the ranges' union.
TEST_F(AddressSets, UniqueSamplesNeverRepeatAnAddress) {
  engine.SetUniqueAddresses(true);
  engine.SetRandomOrder(true);
  const std::set<TUInt128> all = Values(Run({"10.0.0.0/29"}));
  for (uint64_t seed = 0; seed < 300; ++seed) {
    engine.SetRandomSeed(seed);
    const Lines lines =
        Run({"10.0.0.0/30", "10.0.0.2/31", "10.0.0.0-10.0.0.5", "10.0.0.4-7"}, {}, TGenerateCounts::gcTotalCount, 7);
    const std::set<TUInt128> values = Values(lines);
    ASSERT_EQ(values.size(), 7u) << seed;
    for (const TUInt128 v : values) EXPECT_EQ(all.count(v), 1u);
  }
}

TEST_F(AddressSets, WithoutUniqueOverlapsAreNamedWithTheirRepeats) {
  EXPECT_EQ(Run({"10.0.0.0/30", "10.0.0.2/31"}).size(), 6u);
  EXPECT_EQ(engine.OverlappingLineCount(), 1);
  ASSERT_EQ(engine.OverlappingLines().size(), 1u);
  EXPECT_EQ(engine.OverlappingLines()[0].Line, 2);
  EXPECT_EQ(engine.OverlappingLines()[0].Text, "10.0.0.2/31");
  EXPECT_EQ(engine.OverlappingLines()[0].Repeats, TWideCount(2));
  EXPECT_EQ(engine.RepeatedAddresses(), TWideCount(2));
  Count({"192.168.0.0/16", "x", "192.168.1.100/16/24", "10.0.0.0/8", "10.0.0.0/31, 10.0.0.5", "::1"}, {"10.0.0.1"});
  EXPECT_EQ(engine.OverlappingLineCount(), 2);
  ASSERT_EQ(engine.OverlappingLines().size(), 2u);
  EXPECT_EQ(engine.OverlappingLines()[0].Line, 3);
  EXPECT_EQ(engine.OverlappingLines()[0].Repeats, TWideCount(256));
  EXPECT_EQ(engine.OverlappingLines()[1].Line, 5);
  EXPECT_EQ(engine.OverlappingLines()[1].Repeats, TWideCount(2));  // 10.0.0.1 is excluded
  EXPECT_EQ(engine.RepeatedAddresses(), TWideCount(258));
  Run({"10.0.0.0/30", "10.0.0.4/30"});
  EXPECT_EQ(engine.OverlappingLineCount(), 0);
}

}  // namespace
}  // namespace korrin
