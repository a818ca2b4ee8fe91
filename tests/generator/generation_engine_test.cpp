#include "generator/generation_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
    engine.IPRanges().Assign(ranges);
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
  EXPECT_EQ(Run({"10.0.0.0/12"}).size(), 1048576u);
}

// A count below one or a port list that does not read is a typo: the run and the count end with
// a message naming it, before anything is generated or the kept lines are touched.
TEST_F(EngineFixture, TyposAreErrorsThatChangeNothing) {
  const struct {
    TGenerateCounts mode;
    int32_t count;
    const char* ports;
    const char* message;
  } cases[] = {
      {TGenerateCounts::gcTotalCount, 0, nullptr, "Too few IPs (0)\r\nMin. IP count: 1"},
      {TGenerateCounts::gcForEach, -3, nullptr, "Too few IPs (-3)\r\nMin. IP count: 1"},
      {TGenerateCounts::gcAllCount, 0, "80,htps,443", "port 'htps' is not a number from 1 to 65535"},
      {TGenerateCounts::gcTotalCount, 5, "70000", "port '70000' is not a number from 1 to 65535"},
      {TGenerateCounts::gcForEach, 5, "80-70", "port range '80-70' ends below its start"},
  };
  for (const auto& c : cases) {
    engine.IPList() = {"kept"};
    engine.SetAddPortNumbers(c.ports != nullptr);
    engine.SetPortNumbers(c.ports ? c.ports : "");
    EXPECT_EQ(Error({"10.0.0.0/24"}, c.mode, c.count), c.message);
    EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
    try {
      engine.CountIPList();
      ADD_FAILURE() << c.message;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST_F(EngineFixture, SizeLimits) {
  EXPECT_EQ(Error({"10.0.0.0/11"}), "Too many IPs (2^21)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 1000001),
            "Too many IPs (1000001)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"10.0.0.0/24", "10.1.0.0/24"}, TGenerateCounts::gcForEach, 600000),
            "Too many IPs (1200000)\r\nMax. IP count: 1000000");
  // Exclusions shrink the ranges, so they are read before the sizes are checked; neither error
  // touches the kept lines.
  engine.IPList() = {"kept"};
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"[1-"};
  EXPECT_EQ(Error({"10.0.0.0/11"}), "'[1-' is an invalid mask at (4)");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
  engine.ExcludeMasks() = {"10.0.0.0/13"};  // the size is what is left
  EXPECT_EQ(Error({"10.0.0.0/11"}), "Too many IPs (1572864)\r\nMax. IP count: 1000000");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
}

TEST_F(EngineFixture, PortsCannotMultiplyLinesWithoutBound) {
  engine.SetAddPortNumbers(true);
  engine.SetPortNumbers("1-65535");
  EXPECT_EQ(Error({"10.0.0.0/12"}), "Too many lines (68718428160)\r\nMax. line count: 10000000");
  EXPECT_EQ(Run({"10.0.0.0/31"}).size(), 131070u);
  engine.SetPortNumbers("");
  EXPECT_EQ(Run({"10.0.0.0/30"}), Lines{});  // addresses collected, but no port gives a line
  EXPECT_EQ(progress.Processed(), 4);
  // Counted before any port or address is held: a list of 16 KB names 131 million ports.
  std::string ports;
  while (ports.size() < 16384) ports += "1-65535,";
  engine.SetPortNumbers(ports);
  EXPECT_EQ(Error({"10.0.0.1"}),
            "Too many lines (" + std::to_string(65535 * (ports.size() / 8)) + ")\r\nMax. line count: 10000000");
  engine.SetPortNumbers("1-65535");
  EXPECT_EQ(Error({"fd00::/64"}, TGenerateCounts::gcTotalCount, 1000000),
            "Too many lines (65535000000)\r\nMax. line count: 10000000");
}

TEST_F(EngineFixture, TheLinesOfAllWindowsTogetherAreBounded) {
  Lines windows;
  for (int i = 0; i < 10; ++i) windows.push_back("10." + std::to_string(16 * i) + ".0.0/12");
  EXPECT_EQ(Error(windows), "Too many lines (10485760)\r\nMax. line count: 10000000");
  EXPECT_EQ(Error({"::/0"}), "Too many IPs (2^128)\r\nMax. IP count: 1000000");
  // A count narrows the lines to what the count takes.
  engine.SetRandomOrder(true);
  EXPECT_EQ(Run(windows, TGenerateCounts::gcForEach, 10).size(), 100u);
}

// A run with a sink holds one batch at a time and keeps nothing, so only the bound on the lines,
// when set, limits it; the window's limits are for runs that keep their lines.
TEST_F(EngineFixture, ASinkTakesTheLinesInBatchesWithoutTheWindowsLimits) {
  size_t lines = 0, largest = 0;
  std::string first, last;
  engine.SetLineSink([&](const TTextLines& batch) {
    if (lines == 0) first = batch[0];
    lines += batch.size();
    largest = std::max(largest, batch.size());
    last = batch[batch.size() - 1];
  });
  EXPECT_TRUE(Run({"10.0.0.0/11"}).empty());
  EXPECT_EQ(lines, size_t{1} << 21);
  EXPECT_EQ(result, "2097152 IPs generated.");
  EXPECT_LE(largest, 65536u);
  EXPECT_EQ(first, "10.0.0.0");
  EXPECT_EQ(last, "10.31.255.255");
  engine.SetMaxLines(1000000);
  EXPECT_EQ(Error({"10.0.0.0/11"}), "Too many lines (2097152)\r\nMax. line count: 1000000");
}

TEST_F(EngineFixture, CounterDigitsAreBounded) {
  engine.SetGenerateNames(true);
  engine.SetNameTemplate("h#");
  engine.SetCounterSymbol("#");
  engine.SetCounterDigits(2147483647);
  EXPECT_EQ(Error({"10.0.0.1"}), "Too many digits (2147483647)\r\nMax. digit count: 64");
  engine.SetCounterDigits(64);
  EXPECT_EQ(Run({"10.0.0.1"}), Lines{"h" + std::string(63, '0') + "1 10.0.0.1"});
}

TEST_F(EngineFixture, UsableHostsAndExclusions) {
  engine.SetUsableHostIPAddresses(true);
  // A network's first and last address are its own; a point-to-point /31 (/127) has none of its
  // own (RFC 3021, RFC 6164), and a /32 (/128) is its one host.
  const std::pair<Lines, Lines> usable[] = {
      {{"10.0.0.0/30"}, {"10.0.0.1", "10.0.0.2"}},
      {{"10.0.0.0/31"}, {"10.0.0.0", "10.0.0.1"}},
      {{"10.0.0.7/32"}, {"10.0.0.7"}},
      {{"10.0.0.5/30/31"}, {"10.0.0.5", "10.0.0.7"}},
      {{"10.0.0.0-10.0.0.1"}, {"10.0.0.0", "10.0.0.1"}},
      {{"fd00::/127"}, {"fd00::", "fd00::1"}},
      {{"::1"}, {"::1"}},
      {{"fd00::/126"}, {"fd00::1", "fd00::2"}},
  };
  for (const auto& [ranges, expected] : usable) EXPECT_EQ(Run(ranges), expected) << ranges.front();
  const Lines mid = Run({"192.168.1.100/16/24"});
  EXPECT_EQ(mid.size(), 254u);
  EXPECT_EQ(mid.front(), "192.168.1.100");
  engine.SetUsableHostIPAddresses(false);

  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"", "*.0"};
  EXPECT_EQ(Run({"10.0.0.0/23"}).size(), 510u);
  EXPECT_EQ(Run({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 3), (Lines{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
  engine.ExcludeMasks() = {"10.0.0.1 "};
  EXPECT_EQ(Run({"10.0.0.0/30"}).size(), 3u);
  engine.SetEscapeIPv6(true);
  engine.ExcludeMasks() = {"[::1]"};
  EXPECT_EQ(Run({"::1", "::2"}), Lines{"[::2]"});
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
  engine.SetEscapeIPv6(false);  // with a port the brackets stay: fdc7::1:80 is another address
  EXPECT_EQ(Run({"fdc7::1"}), Lines{"host001,[fdc7::1]:80"});
  engine.SetAddPortNumbers(false);
  engine.SetNameTemplate("host-%1-%2-%3-%4.%s");
  EXPECT_EQ(Run({"A=10.1.2.0/30"}), (Lines{"host-10-1-2-0.A,10.1.2.0", "host-10-1-2-1.A,10.1.2.1",
                                           "host-10-1-2-2.A,10.1.2.2", "host-10-1-2-3.A,10.1.2.3"}));
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
  EXPECT_EQ(Error({"1.1.1.16"}),
            "The MaxMind DB file's data section contains bad data: pointer larger than the database.");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{});  // cleared before the database was opened
  // A failure after whole batches were made: the list to append to stays as it was.
  engine.SetAppend(true);
  engine.IPList() = {"kept"};
  EXPECT_NE(Error({"10.0.0.0/16", "1.1.1.16"}), "no error");
  EXPECT_EQ(engine.IPList().ToVector(), Lines{"kept"});
  engine.SetAppend(false);
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

// A Break that comes once every address is taken, so only the phases after the walk see it: the
// batches finished before it are kept, whole, and the one it met is left out.
TEST(EngineStop, ABreakInTheNameOrCountryPhaseKeepsOnlyFinishedLines) {
  struct TBreakAfterTheWalk : TProgressCounters {
    bool Terminated() const override { return Processed() >= (1 << 17); }
  };
  const struct { bool names, country; } cases[] = {{true, false}, {false, true}, {true, true}};
  for (const auto& c : cases) {
    const auto run = [&c](TProgressCounters& progress) {
      TKorrinUtils engine(&progress);
      engine.SetNameDelimiter(",");
      engine.SetGenerateNames(c.names);
      engine.SetNameTemplate("h#");
      engine.SetCounterSymbol("#");
      engine.SetFirstCounter(1);
      engine.SetCounterStep(1);
      engine.SetCounterDigits(1);
      engine.SetResolveIPCountry(c.country);
      engine.SetMMDBFilePath(kTestData + "GeoIP2-Country-Test.mmdb");
      engine.IPRanges() = {"81.2.0.0/15"};
      std::string result;
      engine.PerformGenerateIPList(result);
      return engine.IPList().ToVector();
    };
    TProgressCounters whole;
    TBreakAfterTheWalk stopped;
    const Lines all = run(whole), kept = run(stopped);
    ASSERT_EQ(all.size(), size_t{1} << 17);
    EXPECT_GT(kept.size(), 0u) << c.names << c.country;
    EXPECT_LT(kept.size(), all.size()) << c.names << c.country;
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin())) << c.names << c.country;
  }
}

TEST_F(EngineFixture, CountIsTheLinesARunGives) {
  const struct {
    Lines ranges;
    TGenerateCounts mode;
    int32_t count;
    bool usable;
    Lines excludes;
    const char* ports;
    std::string expected;
  } cases[] = {
      {{"10.0.0.0/24", "10.1.0.0/30"}, TGenerateCounts::gcAllCount, 0, true, {}, nullptr, "256"},
      {{"10.0.0.0/31", "10.1.0.0/24"}, TGenerateCounts::gcForEach, 3, true, {}, nullptr, "5"},
      {{"10.0.0.0/24", "10.1.0.0/30"}, TGenerateCounts::gcTotalCount, 1000, false, {"*.1"}, nullptr, "258"},
      {{"10.0.0.0/24", "10.1.0.0/30"}, TGenerateCounts::gcTotalCount, 100, false, {"*.1"}, "80,443", "200"},
      {{"192.168.1.100/16/24"}, TGenerateCounts::gcAllCount, 0, true, {"*.1?"}, "", "0"},
      {{"10.0.0.0/8"}, TGenerateCounts::gcForEach, 10, false, {"*.0"}, nullptr, "10"},
      {{"::/0"}, TGenerateCounts::gcAllCount, 0, false, {}, nullptr, "340282366920938463463374607431768211456"},
      {{"::/0", "::/0"},
       TGenerateCounts::gcAllCount,
       0,
       false,
       {},
       "1-65535",
       "44600809832327404406144509796081859475537920"},
      {{"fd00::/64"}, TGenerateCounts::gcTotalCount, 5, false, {"*"}, nullptr, "at most 5"},
      // Past the walk's budget of 2^22 addresses the rest counts, but for the network ends.
      {{"fd00::/64"}, TGenerateCounts::gcAllCount, 0, true, {"*"}, nullptr, "at most 18446744073705357310"},
      {{"fd00::/64"}, TGenerateCounts::gcForEach, 7, false, {"*:?"}, nullptr, "7"},
      {{}, TGenerateCounts::gcAllCount, 0, false, {}, nullptr, "0"},
  };
  for (const auto& c : cases) {
    engine.IPRanges().Assign(c.ranges);
    engine.SetGenerateCountMode(c.mode);
    engine.SetGenerateCount(c.count);
    engine.SetUsableHostIPAddresses(c.usable);
    engine.SetDoExclude(!c.excludes.empty());
    engine.ExcludeMasks() = c.excludes;
    engine.SetAddPortNumbers(c.ports != nullptr);
    engine.SetPortNumbers(c.ports ? c.ports : "");
    const TLineCount count = engine.CountIPList();
    EXPECT_EQ((count.Exact ? "" : "at most ") + count.Lines.ToString(), c.expected) << c.ranges.size();
    if (count.Exact && count.Lines < TWideCount(100000))
      for (bool random : {false, true}) {
        engine.SetRandomOrder(random);
        EXPECT_EQ(std::to_string(Run(c.ranges, c.mode, c.count).size()), c.expected) << random;
      }
    engine.SetRandomOrder(false);
  }
  // A total the ranges counted exactly already hold is exact, whatever a bounded range after them holds.
  engine.SetAddPortNumbers(false);
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"*:*"};
  engine.IPRanges() = {"10.0.0.0/30", "fd00::/64"};
  engine.SetGenerateCountMode(TGenerateCounts::gcTotalCount);
  engine.SetGenerateCount(3);
  const TLineCount three = engine.CountIPList();
  EXPECT_TRUE(three.Exact);
  EXPECT_EQ(three.Lines, TWideCount(3));
  EXPECT_EQ(Run({"10.0.0.0/30", "fd00::/64"}, TGenerateCounts::gcTotalCount, 3).size(), 3u);
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

// Fixed seeds, and bounds several standard deviations wide: these never flake.
struct RandomFixture : EngineFixture {
  RandomFixture() { engine.SetRandomOrder(true); }
  Lines Draw(uint64_t seed, Lines ranges, TGenerateCounts mode, int32_t count) {
    engine.SetRandomSeed(seed);
    return Run(std::move(ranges), mode, count);
  }
};

TEST_F(RandomFixture, TwoOfAWindowFallInTheSameHalfAboutHalfTheTime) {
  // A small window is shuffled exactly, a larger one through the keyed permutation: both fair.
  const struct {
    const char* window;
    uint32_t topBit;
  } cases[] = {{"10.0.0.0/24", 0x80}, {"10.0.0.0/16", 0x8000}};
  for (const auto& [window, top] : cases) {
    int sameHalf = 0;
    for (uint64_t seed = 0; seed < 200; ++seed) {
      const Lines two = Draw(seed, {window}, TGenerateCounts::gcTotalCount, 2);
      ASSERT_EQ(two.size(), 2u);
      ASSERT_NE(two[0], two[1]);
      sameHalf += ((StrToIPv4(two[0]).Value & top) == 0) == ((StrToIPv4(two[1]).Value & top) == 0);
    }
    // A fair draw: 200 * 127/255, about 100, with a deviation of 7.
    EXPECT_GT(sameHalf, 60) << window;
    EXPECT_LT(sameHalf, 140) << window;
  }
}

TEST_F(RandomFixture, EveryAddressOfAWindowCanBePicked) {
  std::set<std::string> seen;
  std::set<std::string> highEnds;
  for (uint64_t seed = 0; seed < 2000; ++seed) {
    for (const auto& l : Draw(seed, {"10.0.0.7/24"}, TGenerateCounts::gcTotalCount, 3)) seen.insert(l);
    if (seed < 20)
      for (const auto& l : Draw(seed, {"10.255.255.255/8"}, TGenerateCounts::gcTotalCount, 5))
        highEnds.insert(l.substr(l.find('.', 3)));
  }
  EXPECT_EQ(seen.size(), 256u);
  EXPECT_EQ(*seen.begin(), "10.0.0.0");
  EXPECT_GT(highEnds.size(), 90u);  // 100 picks of 2^24: all but never the same x.255.255
}

TEST_F(RandomFixture, ARangeGetsItsShareOfATotal) {
  int fromSmall = 0, fromLarge = 0;
  for (uint64_t seed = 0; seed < 20; ++seed)
    for (const auto& l : Draw(seed, {"10.0.0.0/30", "10.1.0.0/16"}, TGenerateCounts::gcTotalCount, 1000))
      (l.rfind("10.0.0.", 0) == 0 ? fromSmall : fromLarge)++;
  // 20000 picks, each from the /30 with the chance 4/65540: about 1.2.
  EXPECT_EQ(fromSmall + fromLarge, 20000);
  EXPECT_LE(fromSmall, 10);
}

TEST_F(RandomFixture, EachRangeGivesItsOwnSample) {
  std::map<std::string, int> small;
  std::set<std::string> large;
  for (uint64_t seed = 0; seed < 50; ++seed) {
    const Lines lines = Draw(seed, {"A=10.0.0.0/30", "B=10.1.0.0/24"}, TGenerateCounts::gcForEach, 3);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), 6u);
    for (int i = 0; i < 6; ++i) {
      ASSERT_EQ(lines[i].rfind(i < 3 ? "10.0.0." : "10.1.0.", 0), 0u) << lines[i];
      if (i < 3) small[lines[i]]++;
      else large.insert(lines[i]);
    }
  }
  // Each address of the /30 is one of the three about 37 times in 50; 150 picks of the /24
  // reach about 113 distinct addresses.
  ASSERT_EQ(small.size(), 4u);
  for (const auto& [address, times] : small) EXPECT_GT(times, 20) << address;
  EXPECT_GT(large.size(), 80u);
}

TEST_F(RandomFixture, UsableHostsAreNeverTheNetworkEnds) {
  engine.SetUsableHostIPAddresses(true);
  std::set<std::string> seen;
  for (uint64_t seed = 0; seed < 20; ++seed) {
    const Lines two = Draw(seed, {"10.0.0.0/30"}, TGenerateCounts::gcTotalCount, 2);
    EXPECT_EQ(std::set<std::string>(two.begin(), two.end()), (std::set<std::string>{"10.0.0.1", "10.0.0.2"}));
    for (const auto& l : Draw(seed, {"10.0.0.0/24"}, TGenerateCounts::gcForEach, 200)) seen.insert(l);
  }
  EXPECT_EQ(seen.size(), 254u);
  EXPECT_EQ(seen.count("10.0.0.0") + seen.count("10.0.0.255"), 0u);
}

TEST_F(RandomFixture, ExclusionsLeaveExactlyTheCountWhenEnoughAreLeft) {
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"*.1*", "10.2*"};
  for (uint64_t seed = 0; seed < 20; ++seed) {
    const Lines lines = Draw(seed, {"10.0.0.0/8"}, TGenerateCounts::gcTotalCount, 16);
    EXPECT_EQ(lines.size(), 16u);
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), 16u);
    for (const auto& l : lines) EXPECT_TRUE(l.find(".1") == std::string::npos && l.rfind("10.2", 0) != 0) << l;
  }
  // Only x.y.z.7 is left, 256 of a /16: a count beyond them takes them all, and ends.
  engine.ExcludeMasks() = {"*[!7]", "*[0-9]7"};
  const Lines sparse = Draw(1, {"10.0.0.0/16"}, TGenerateCounts::gcTotalCount, 300);
  EXPECT_EQ(std::set<std::string>(sparse.begin(), sparse.end()).size(), 256u);
  EXPECT_EQ(sparse.size(), 256u);
}

TEST_F(RandomFixture, BreakEndsASearchOfAHugeMostlyExcludedSpace) {
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"fd00::*:*"};  // leaves 65536 of 2^64 addresses
  std::thread breaker([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    progress.StoreTerminated(true);
  });
  const Lines lines = Run({"fd00::/64"}, TGenerateCounts::gcTotalCount, 1000);
  breaker.join();
  EXPECT_LT(lines.size(), 1000u);
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

TEST_F(EngineFixture, FirstLastRangesInEveryCountMode) {
  EXPECT_EQ(Run({"10.0.0.1-10.0.0.5"}), Seq("10.0.0.", 1, 5));
  EXPECT_EQ(result, "5 IPs generated.");
  EXPECT_EQ(Run({"10.0.0.250-10.0.1.1"}), (Lines{"10.0.0.250", "10.0.0.251", "10.0.0.252", "10.0.0.253", "10.0.0.254",
                                                 "10.0.0.255", "10.0.1.0", "10.0.1.1"}));
  EXPECT_EQ(Run({"fd00::fe-fd00::101"}), (Lines{"fd00::fe", "fd00::ff", "fd00::100", "fd00::101"}));
  EXPECT_EQ(Run({"255.255.255.254-255.255.255.255"}), (Lines{"255.255.255.254", "255.255.255.255"}));
  EXPECT_EQ(Run({"10.0.0.1-5", "10.0.1.0/30"}, TGenerateCounts::gcTotalCount, 7),
            (Lines{"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5", "10.0.1.0", "10.0.1.1"}));
  EXPECT_EQ(Run({"10.0.0.1-5", "10.0.1.0/30"}, TGenerateCounts::gcForEach, 2),
            (Lines{"10.0.0.1", "10.0.0.2", "10.0.1.0", "10.0.1.1"}));
  EXPECT_EQ(Error({"0.0.0.0-255.255.255.255"}), "Too many IPs (2^32)\r\nMax. IP count: 1000000");
  EXPECT_EQ(Error({"::-1::"}), "Too many IPs (5192296858534827628530496329220097)\r\nMax. IP count: 1000000");
  // Counted modes never walk more of a huge range than they need.
  EXPECT_EQ(Run({"::-1::"}, TGenerateCounts::gcTotalCount, 3), (Lines{"::", "::1", "::2"}));
}

TEST_F(EngineFixture, FirstLastRangesInRandomOrder) {
  engine.SetRandomOrder(true);
  engine.SetRandomSeed(7);
  Lines all = Run({"10.0.0.1-10.0.0.200"});
  std::sort(all.begin(), all.end());
  Lines expected = Seq("10.0.0.", 1, 200);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(all, expected);
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    engine.SetRandomSeed(seed);
    const Lines picked = Run({"10.0.0.0-10.255.255.255"}, TGenerateCounts::gcTotalCount, 5);
    ASSERT_EQ(picked.size(), 5u);
    EXPECT_EQ(std::set<std::string>(picked.begin(), picked.end()).size(), 5u);
    for (const auto& line : picked) EXPECT_EQ(line.rfind("10.", 0), 0u) << line;
  }
}

// The ends of a range are hosts unless the range is exactly one network.
TEST_F(EngineFixture, UsableHostsOfFirstLastRanges) {
  engine.SetUsableHostIPAddresses(true);
  EXPECT_EQ(Run({"10.0.0.0-10.0.0.3"}), (Lines{"10.0.0.1", "10.0.0.2"}));
  EXPECT_EQ(Run({"10.0.0.1-10.0.0.3"}), Seq("10.0.0.", 1, 3));
  EXPECT_EQ(Run({"10.0.0.0-10.0.0.4"}), Seq("10.0.0.", 0, 4));
}

TEST_F(EngineFixture, ExclusionsByNetworkAndRange) {
  engine.SetDoExclude(true);
  engine.ExcludeMasks() = {"10.0.0.0/30", "10.0.0.6-10.0.0.8", "*.10"};
  EXPECT_EQ(Run({"10.0.0.0/28"}), (Lines{"10.0.0.4", "10.0.0.5", "10.0.0.9", "10.0.0.11", "10.0.0.12", "10.0.0.13",
                                         "10.0.0.14", "10.0.0.15"}));
  EXPECT_EQ(Run({"10.0.0.1-10.0.0.9"}), (Lines{"10.0.0.4", "10.0.0.5", "10.0.0.9"}));
  engine.ExcludeMasks() = {"fd00::/126", "*:[4-5]"};  // a set with "-" stays a mask
  EXPECT_EQ(Run({"fd00::/125"}), (Lines{"fd00::6", "fd00::7"}));
  engine.SetRandomOrder(true);
  engine.ExcludeMasks() = {"10.0.0.0-10.0.0.249"};
  const Lines left = Run({"10.0.0.0/24"}, TGenerateCounts::gcTotalCount, 300);
  EXPECT_EQ(
      std::set<std::string>(left.begin(), left.end()),
      (std::set<std::string>{"10.0.0.250", "10.0.0.251", "10.0.0.252", "10.0.0.253", "10.0.0.254", "10.0.0.255"}));
  engine.ExcludeMasks() = {"10.0.0.0/33"};
  EXPECT_EQ(Error({"10.0.0.0/24"}),
            "'10.0.0.0/33' is an invalid exclusion: prefix length '33' is not a number from 0 to 32");
  engine.ExcludeMasks() = {"10.0.0.9-10.0.0.1"};
  EXPECT_EQ(Error({"10.0.0.0/24"}), "'10.0.0.9-10.0.0.1' is an invalid exclusion: last address below the first");
}

TEST_F(EngineFixture, SkippedLinesAreCountedWithTheirReasons) {
  Run({"10.0.0.1", "", "; comment", "10.0.0.256/24", "1.2.3.4.5", "10.0.0.2"});
  EXPECT_EQ(engine.IPList().ToVector(), (Lines{"10.0.0.1", "10.0.0.2"}));
  EXPECT_EQ(result, "2 IPs generated.");
  ASSERT_EQ(engine.SkippedLineCount(), 2);
  ASSERT_EQ(engine.SkippedLines().size(), 2u);
  EXPECT_EQ(engine.SkippedLines()[0].Line, 4);
  EXPECT_EQ(engine.SkippedLines()[0].Text, "10.0.0.256/24");
  EXPECT_EQ(engine.SkippedLines()[0].Reason, "IPv4 part '256' is not a number from 0 to 255");
  EXPECT_EQ(engine.SkippedLines()[1].Line, 5);
  EXPECT_EQ(SkippedLinesSummary(engine),
            "2 range lines skipped: line 4 '10.0.0.256/24': IPv4 part '256' is not a number from 0 to 255");
  Lines many(25, "x");
  Run(many);
  EXPECT_EQ(engine.SkippedLineCount(), 25);
  EXPECT_EQ(engine.SkippedLines().size(), 20u);
  Run({"10.0.0.1"});
  EXPECT_EQ(engine.SkippedLineCount(), 0);
  EXPECT_EQ(SkippedLinesSummary(engine), "");
}

}  // namespace
}  // namespace korrin
