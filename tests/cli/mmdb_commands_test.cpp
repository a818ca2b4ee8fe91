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
            "Unable to convert string \"bogus\" to IP address.\n"
            "Unable to convert string \"::89.160.20.112\" to IP address.\n");
  run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test-Broken-Double-Format.mmdb 81.2.69.160");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "The MaxMind DB file's data section contains bad data: invalid size of double.\n");
  EXPECT_EQ(Cli("lookup 1.1.1.1").status, 2);
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
