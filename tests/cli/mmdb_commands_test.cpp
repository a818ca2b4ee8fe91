// korrin-cli's lookup and mmdb-meta, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>

namespace {

struct CliRun {
  int status;
  std::string out;  // standard output and error, in that order
};

CliRun Cli(const std::string& arguments, const std::string& input = "") {
  const std::string err =
      testing::TempDir() + "korrin-cli-" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".err";
  std::string command = std::string(KORRIN_CLI) + " " + arguments + " 2>" + err;
  if (!input.empty()) command = "printf '" + input + "' | " + command;
  FILE* pipe = popen(command.c_str(), "r");
  CliRun run{-1, {}};
  std::array<char, 4096> buffer;
  for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (FILE* e = fopen(err.c_str(), "r")) {
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), e)) > 0;) run.out.append(buffer.data(), n);
    fclose(e);
  }
  return run;
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
