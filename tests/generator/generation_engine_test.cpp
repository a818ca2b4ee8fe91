#include "generator/generation_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "address/ip_types.h"
#include "common/exception.h"

namespace korrin {
namespace {

using Lines = std::vector<std::string>;

// An engine with the settings the window gives it when names are off.
struct EngineFixture : ::testing::Test {
  TProgressCounters progress;
  TKorrinUtils engine{&progress};
  std::string result;

  EngineFixture() {
    engine.SetFirstCounter(1);
    engine.SetCounterStep(1);
    engine.SetCounterDigits(1);
    engine.SetNameDelimiter(" ");
  }
  Lines Run(Lines ranges, TGenerateCounts mode = TGenerateCounts::gcAllCount, int32_t count = 0) {
    engine.IPRanges() = std::move(ranges);
    engine.SetGenerateCountMode(mode);
    engine.SetGenerateCount(count);
    engine.PerformGenerateIPList(result);
    return engine.IPList().ToVector();
  }
  std::string Error(Lines ranges, TGenerateCounts mode = TGenerateCounts::gcAllCount, int32_t count = 0) {
    try {
      Run(std::move(ranges), mode, count);
    } catch (const Exception& e) {
      EXPECT_TRUE(result.empty());
      return e.what();
    }
    return "no error";
  }
};

Lines Seq(const std::string& prefix, int from, int to) {
  Lines l;
  for (int i = from; i <= to; ++i) l.push_back(prefix + std::to_string(i));
  return l;
}

TEST_F(EngineFixture, WindowsOfTheRangeForms) {
  EXPECT_EQ(Run({"A=10.0.0.0/30"}), Seq("10.0.0.", 0, 3));
  EXPECT_EQ(result, "4 IPs generated.");
  EXPECT_EQ(Run({"10.0.0.5/30/32"}), Seq("10.0.0.", 4, 7));
  EXPECT_EQ(Run({"10.0.0.0/24/24"}), Lines{"10.0.0.0"});
  EXPECT_EQ(Run({"::1/127", "::/128"}), (Lines{"::", "::1", "::"}));
  EXPECT_EQ(Run({"0.0.0.0/0/0"}), Lines{"0.0.0.0"});
  const Lines mid = Run({"192.168.1.100/16/24"});
  ASSERT_EQ(mid.size(), 256u);
  EXPECT_EQ(mid.front(), "192.168.0.100");
  EXPECT_EQ(mid.back(), "192.168.255.100");
  const Lines v6 = Run({"B=fdc7:200d:3e17::fb05/48/60"});
  ASSERT_EQ(v6.size(), 4096u);
  EXPECT_EQ(v6[1], "fdc7:200d:3e17:10::fb05");
  EXPECT_EQ(v6.back(), "fdc7:200d:3e17:fff0::fb05");
  EXPECT_EQ(Run({}), Lines{});
  EXPECT_EQ(result, "0 IPs generated.");
}

TEST_F(EngineFixture, CountModesInOrder) {
  EXPECT_EQ(Run({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 10), Seq("10.0.0.", 0, 9));
  Lines both = Seq("10.0.0.", 0, 3);
  for (auto& l : Seq("10.1.0.", 0, 5)) both.push_back(l);
  EXPECT_EQ(Run({"10.0.0.0/30", "10.1.0.0/24"}, TGenerateCounts::gcTotalCount, 10), both);
  EXPECT_EQ(Run({"10.0.0.0/30", "10.1.0.0/24"}, TGenerateCounts::gcForEach, 2),
            (Lines{"10.0.0.0", "10.0.0.1", "10.1.0.0", "10.1.0.1"}));
  EXPECT_EQ(Run({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 0), Lines{});
  EXPECT_EQ(Run({"10.0.0.0/24"}, TGenerateCounts::gcForEach, -3), Lines{});
  EXPECT_EQ(Run({"10.0.0.0/12"}).size(), 1048576u);
}

TEST_F(EngineFixture, SizeLimits) {
  EXPECT_EQ(Error({"10.0.0.0/11"}), "Too many IPs (2^21)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 1000001), "Too many IPs (1000001)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"10.0.0.0/24", "10.1.0.0/24"}, TGenerateCounts::gcForEach, 600000),
            "Too many IPs (1200000)\r\nMax. IP count: 1000000");
  // A size error comes before a mask error, and neither touches the kept lines.
  engine.IPList() = {"kept"};
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"[1-"};
  EXPECT_EQ(Error({"10.0.0.0/11"}), "Too many IPs (2^21)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"10.0.0.0/24"}), "'[1-' is an invalid mask at (4)");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
}

TEST_F(EngineFixture, PortsCannotMultiplyLinesWithoutBound) {
  engine.SetAddPortNumbers(true);
  engine.SetPortNumbers("1-65535");
  EXPECT_EQ(Error({"10.0.0.0/12"}), "Too many lines (68718428160)\r\nMax. line count: 10000000");
  EXPECT_EQ(Run({"10.0.0.0/31"}).size(), 131070u);
  engine.SetPortNumbers("0");
  EXPECT_EQ(Run({"10.0.0.0/30"}), Lines{});  // addresses collected, but no port gives a line
  EXPECT_EQ(progress.Processed(), 4);
}

TEST_F(EngineFixture, UsableHostsAndExclusions) {
  engine.SetUsableHostIPAddresses(true);
  EXPECT_EQ(Run({"10.0.0.0/30"}), (Lines{"10.0.0.1", "10.0.0.2"}));
  EXPECT_EQ(Run({"10.0.0.0/31", "10.0.0.7/32", "::1"}), Lines{});
  const Lines mid = Run({"192.168.1.100/16/24"});
  EXPECT_EQ(mid.size(), 254u);
  EXPECT_EQ(mid.front(), "192.168.1.100");
  engine.SetUsableHostIPAddresses(false);

  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"", "*.0"};
  EXPECT_EQ(Run({"10.0.0.0/23"}).size(), 510u);
  EXPECT_EQ(Run({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 3), (Lines{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
  engine.ExcludeMasks() = {"10.0.0.1 "};
  EXPECT_EQ(Run({"10.0.0.0/30"}).size(), 4u);
  engine.SetEscapeIPv6(true);
  engine.ExcludeMasks() = {"[::1]"};
  EXPECT_EQ(Run({"::1"}), Lines{"[::1]"});
  engine.ExcludeMasks() = {"?::1?"};
  EXPECT_EQ(Run({"::1"}), Lines{});
}

TEST_F(EngineFixture, AppendKeepsOldLines) {
  engine.IPList() = {"a", "b", "c"};
  engine.SetAppend(true);
  const Lines lines = Run({"10.0.0.0/30"});
  EXPECT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "c");
  EXPECT_EQ(lines[3], "10.0.0.0");
  EXPECT_EQ(result, "7 IPs generated.");
  engine.SetAppend(false);
  EXPECT_EQ(Run({"bad line"}), Lines{});
}

TEST_F(EngineFixture, LineLayoutWithNamesPortsAndBrackets) {
  engine.SetGenerateNames(true);
  engine.SetNameTemplate("host#");
  engine.SetCounterSymbol("#");
  engine.SetCounterDigits(3);
  engine.SetNameDelimiter(",");
  engine.SetAddPortNumbers(true);
  engine.SetPortNumbers("80,3128-3129");
  EXPECT_EQ(Run({"10.0.0.1"}), (Lines{"host001,10.0.0.1:80", "host002,10.0.0.1:3128", "host003,10.0.0.1:3129"}));
  engine.SetPortNumbers("80");
  engine.SetEscapeIPv6(true);
  EXPECT_EQ(Run({"fdc7::1"}), Lines{"host001,[fdc7::1]:80"});
  engine.SetEscapeIPv6(false);
  EXPECT_EQ(Run({"fdc7::1"}), Lines{"host001,fdc7::1:80"});
  engine.SetAddPortNumbers(false);
  engine.SetNameTemplate("host-%1-%2-%3-%4.%s");
  EXPECT_EQ(Run({"A=10.1.2.0/30"}),
            (Lines{"host-10-1-2-0.A,10.1.2.0", "host-10-1-2-1.A,10.1.2.1", "host-10-1-2-2.A,10.1.2.2",
                   "host-10-1-2-3.A,10.1.2.3"}));
  engine.SetNameTemplate("");
  EXPECT_EQ(Run({"10.0.0.1"}), Lines{",10.0.0.1"});
}

TEST_F(EngineFixture, CountryNeedsAnExistingDatabase) {
  engine.SetResolveIPCountry(true);
  engine.IPList() = {"kept"};
  EXPECT_EQ(Error({"10.0.0.1"}), "Invalid arguments");
  engine.SetMMDBFilePath("/nonexistent/x.mmdb");
  EXPECT_EQ(Error({"10.0.0.1"}), "MMDB File not found");
  EXPECT_EQ(Error({}), "MMDB File not found");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
}

const std::string kTestData = KORRIN_TEST_DATA_DIR "/test-data/";

TEST_F(EngineFixture, CountryColumnFromCountryAndCityDatabases) {
  engine.SetResolveIPCountry(true);
  for (const char* db : {"GeoIP2-Country-Test.mmdb", "GeoIP2-City-Test.mmdb", "GeoLite2-City-Test.mmdb"}) {
    engine.SetMMDBFilePath(kTestData + db);
    // 214.1.1.0/24 has a record without a country, right after an address with one; 10/8 has none.
    EXPECT_EQ(Run({"81.2.69.160", "214.1.1.1", "10.0.0.1", "2001:218::1"}),
              (Lines{"81.2.69.160 GB", "214.1.1.1 ", "10.0.0.1 ", "2001:218::1 JP"}))
        << db;
  }
  engine.SetGenerateNames(true);
  engine.SetNameTemplate("host#");
  engine.SetCounterSymbol("#");
  engine.SetNameDelimiter(",");
  engine.SetAddPortNumbers(true);
  engine.SetPortNumbers("80,443");
  EXPECT_EQ(Run({"89.160.20.112"}), (Lines{"host1,89.160.20.112:80,SE", "host2,89.160.20.112:443,SE"}));
}

TEST_F(EngineFixture, CountryColumnErrorsComeFromTheReader) {
  engine.SetResolveIPCountry(true);
  engine.SetMMDBFilePath(kTestData + "MaxMind-DB-test-broken-pointers-24.mmdb");
  engine.IPList() = {"kept"};
  EXPECT_EQ(Error({"1.1.1.16"}), "The MaxMind DB file's data section contains bad data: pointer larger than the database.");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{});  // cleared before the database was opened
  engine.SetMMDBFilePath(KORRIN_SOURCE_DIR "/README.md");
  EXPECT_NE(Error({"1.1.1.1"}), "no error");
  EXPECT_EQ(Run({}), Lines{});  // no range: the database is not opened
}

TEST_F(EngineFixture, ProgressCountsEveryCollectedAddress) {
  Run({"10.0.0.0/28"});
  EXPECT_EQ(progress.Max(), 16);
  EXPECT_EQ(progress.Position(), 16);
  EXPECT_EQ(progress.Processed(), 16);
  EXPECT_EQ(progress.Status(), "Action: Generate IP List");
}

TEST_F(EngineFixture, TerminationEndsAnEndlessWalkKeepingWhatWasCollected) {
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"fd00::*:*"};  // rejects all but the first 65536 addresses
  std::thread breaker([this] {
    while (progress.Processed() < 3) std::this_thread::yield();
    progress.StoreTerminated(true);
  });
  // Without the termination check this walk over 2^64 addresses never ends.
  const Lines lines = Run({"fd00::/64"}, TGenerateCounts::gcTotalCount, 1000000);
  breaker.join();
  EXPECT_GE(lines.size(), 3u);
  EXPECT_LE(lines.size(), 65536u);
  EXPECT_EQ(lines.front(), "fd00::");
}

// Random order: checked by properties, never by fixed outputs.
TEST_F(EngineFixture, RandomOrderTakesEachAddressOnce) {
  engine.SetRandomOrder(true);
  const Lines all = Run({"10.0.0.0/28"});
  const Lines expected = Seq("10.0.0.", 0, 15);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()), std::set<std::string>(expected.begin(), expected.end()));
  EXPECT_EQ(all.size(), 16u);
  const Lines two = Run({"10.0.0.0/31"}, TGenerateCounts::gcForEach, 3);
  EXPECT_EQ(std::set<std::string>(two.begin(), two.end()), (std::set<std::string>{"10.0.0.0", "10.0.0.1"}));
}

TEST_F(EngineFixture, RandomNarrowingDrawsDistinctTopBits) {
  engine.SetRandomOrder(true);
  const Lines lines = Run({"10.0.0.0/8"}, TGenerateCounts::gcTotalCount, 10);
  ASSERT_EQ(lines.size(), 10u);
  std::set<int> topNibbles;
  for (const auto& l : lines) {
    const TIPv4 v = StrToIPv4(l);
    EXPECT_EQ(v.A(), 10);
    topNibbles.insert(v.B() >> 4);
  }
  EXPECT_EQ(topNibbles.size(), 10u);  // the ten come from ten different walked positions
}

TEST_F(EngineFixture, RandomPositionsAreUniform) {
  engine.SetRandomOrder(true);
  constexpr int kRuns = 4000, kSize = 8;
  std::map<std::string, std::array<int, kSize>> counts;
  for (int run = 0; run < kRuns; ++run) {
    const Lines lines = Run({"10.0.0.0/29"});
    for (int pos = 0; pos < kSize; ++pos) counts[lines[pos]][pos]++;
  }
  // Chi-square over 64 cells with 49 degrees of freedom: 100 is far beyond the 0.9999 quantile.
  const double expected = double(kRuns) / kSize;
  double chi2 = 0;
  for (const auto& [address, byPosition] : counts)
    for (int c : byPosition) chi2 += (c - expected) * (c - expected) / expected;
  EXPECT_EQ(counts.size(), size_t(kSize));
  EXPECT_LT(chi2, 100.0);
}

TEST_F(EngineFixture, SeedMakesRandomRunsReproducible) {
  engine.SetRandomOrder(true);
  engine.SetRandomSeed(42);
  const Lines a = Run({"10.0.0.0/16"}, TGenerateCounts::gcTotalCount, 100);
  const Lines b = Run({"10.0.0.0/16"}, TGenerateCounts::gcTotalCount, 100);
  EXPECT_EQ(a, b);
  engine.SetRandomSeed(43);
  EXPECT_NE(Run({"10.0.0.0/16"}, TGenerateCounts::gcTotalCount, 100), a);
}

}  // namespace
}  // namespace korrin
