// korrin-cli's lookup and mmdb-meta, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "run_process.h"

namespace {

struct CliRun {
  int status;
  std::string out;  // standard output and error, in that order
};

// "\\n" in `input` stands for a line break.
CliRun Cli(const std::string& arguments, std::string input = "") {
  for (size_t at; (at = input.find("\\n")) != std::string::npos;) input.replace(at, 2, "\n");
  const auto r = korrin::test::RunCliWords(arguments, input);
  return {r.status, r.out + r.err};
}

const std::string kData = std::string(KORRIN_TEST_DATA_DIR) + "/test-data/";

TEST(LookupCommand, PrintsAddressAndCountryCode) {
  const CliRun run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test.mmdb 81.2.69.160 2001:218::1 10.0.0.1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "81.2.69.160,GB\n2001:218::1,JP\n10.0.0.1,\n");
}

TEST(LookupCommand, ReadsStandardInputAndAddsThePrefix) {
  const CliRun run = Cli("lookup --prefix --mmdb " + kData + "GeoIP2-Country-Test.mmdb", "89.160.20.112\\n\\n  2001:218::5 \\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "89.160.20.112,SE,28\n2001:218::5,JP,32\n");
}

TEST(LookupCommand, FailuresGoToStandardErrorWithStatusOne) {
  // "::a.b.c.d" is IPv6 text in a form the address reader does not take, never IPv4 0.b.c.d.
  CliRun run = Cli("lookup --mmdb " + kData + "GeoIP2-Country-Test.mmdb bogus 89.160.20.112 ::89.160.20.112");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "89.160.20.112,SE\n"
            "Unable to convert string \"bogus\" to IP address. (an IPv4 address has 4 parts, not 1)\n"
            "Unable to convert string \"::89.160.20.112\" to IP address. (only ::ffff: may precede an IPv4 part)\n");
  run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test-Broken-Double-Format.mmdb 81.2.69.160");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "The MaxMind DB file's data section contains bad data: invalid size of double.\n");
  EXPECT_EQ(Cli("lookup 1.1.1.1").status, 2);
}

// The typos that once answered for another address: 999.8.8.8 was looked up as 0.8.8.8.
TEST(LookupCommand, MalformedAddressesAreNeverLookedUp) {
  const std::pair<const char*, const char*> cases[] = {
      {"999.8.8.8", "IPv4 part '999' is not a number from 0 to 255"},
      {"81.2.69.160.5", "an IPv4 address has 4 parts, not 5"},
      {"81.2.69", "an IPv4 address has 4 parts, not 3"},
      {"81.2.69.160/24", "IPv4 part '160/24' is not a number from 0 to 255"},
      {"::ffff:81.2.69.1600", "IPv4 part '1600' is not a number from 0 to 255"},
      {"2001:218::1:", "empty IPv6 group"},
      {"[2001:218::1]", "IPv6 group '[2001' is not a hex number up to ffff"},
  };
  for (const auto& [text, reason] : cases) {
    const CliRun run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test.mmdb " + text);
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out, std::string("Unable to convert string \"") + text + "\" to IP address. (" + reason + ")\n");
  }
  // Leading zeros are decimal, and the mapped form names the IPv4 address.
  EXPECT_EQ(Cli("lookup --mmdb " + kData + "GeoIP2-City-Test.mmdb 081.002.069.160").out, "081.002.069.160,GB\n");
}

TEST(LookupCommand, ReadsInputInEveryEncoding) {
  std::string utf16le = "\xFF\xFE";
  for (char c : std::string("89.160.20.112\n2001:218::5")) utf16le += std::string{c, '\0'};
  const std::string db = kData + "GeoIP2-Country-Test.mmdb";
  for (const std::string& input :
       {std::string("\xEF\xBB\xBF" "89.160.20.112\r\n2001:218::5"), std::string("89.160.20.112\r2001:218::5\r"), utf16le}) {
    const auto r = korrin::test::RunCliWords("lookup --mmdb " + db, input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "89.160.20.112,SE\n2001:218::5,JP\n");
  }
}

TEST(MMDBMetaCommand, PrintsTheMetadataLines) {
  const CliRun run = Cli("mmdb-meta " + kData + "GeoIP2-Country-Test.mmdb");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::regex_match(run.out, std::regex("binary_format_major_version,2\n"
                                                   "binary_format_minor_version,0\n"
                                                   "build_epoch,[0-9]{2}/[0-9]{2}/[0-9]{2}\n"
                                                   "database_type,GeoIP2-Country\n"
                                                   "description.en,GeoIP2 Country Test Database \\(fake GeoIP2 data, for example purposes only\\)\n"
                                                   "ip_version,6\n"
                                                   "language\\[0\\],en\n"
                                                   "node_count,1704\n"
                                                   "record_size,28\n")))
      << run.out;
  EXPECT_EQ(Cli("mmdb-meta " + kData + "missing.mmdb").out,
            "Cannot open file \"" + kData + "missing.mmdb\". No such file or directory\n");
}

}  // namespace
