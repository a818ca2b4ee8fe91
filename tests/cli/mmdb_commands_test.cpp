// korrin-cli's lookup and mmdb-meta, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "mmdb_test_writer.h"
#include "run_process.h"
#include "test_json.h"
#include "tests/support/temp_folder.h"

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

// This process's own folder, removed at its end: tests running side by side write files of the
// same name.
const korrin::test::TTempFolder& Scratch() {
  static const korrin::test::TTempFolder folder;
  return folder;
}

// A database written by the test writer, as a file the commands open.
std::string WriteDatabase(const std::string& name, const korrin::test::Bytes& bytes) {
  const std::string path = Scratch() / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// An IPv4-only database of the free country layout: {"country_code":"US"}.
std::string FreeCountryDatabase() {
  using namespace korrin::test;
  MMDBWriter w(4, 24, "ip-country");
  w.Insert("8.8.8.0/24", Map({{Str("country_code"), Str("US")}, {Str("asn"), U32(15169)}}));
  return WriteDatabase("korrin-free-country.mmdb", w.Build());
}

TEST(LookupCommand, FieldsReasonsAndIPv6OnlyThroughTheAliasesInAnIPv4Database) {
  const std::string db = FreeCountryDatabase();
  const CliRun run = Cli("lookup --reasons --field asn --field missing --prefix --mmdb " + db +
                         " 8.8.8.8 9.9.9.9 101:101:: ::ffff:8.8.8.8 2002:808:808::1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "8.8.8.8,US,15169,,24,\n"
            "9.9.9.9,,,,8,not in the database\n"
            "101:101::,,,,0,IPv6 address in an IPv4-only database\n"
            "::ffff:8.8.8.8,US,15169,,120,\n"
            "2002:808:808::1,US,15169,,40,\n");
  // Every command refuses it: the country column of generate too.
  const CliRun generate = Cli("generate --quiet --country --mmdb " + db + " 101:101::/127 8.8.8.8");
  EXPECT_EQ(generate.out, "101:101:: \n101:101::1 \n8.8.8.8 US\n");
}

TEST(GenerateCommand, CountryAndFieldsWithTheDelimiterAndWithoutANameTemplate) {
  const std::string db = FreeCountryDatabase();
  EXPECT_EQ(Cli("generate --quiet --country --delimiter comma --mmdb " + db + " 8.8.8.8").out, "8.8.8.8,US\n");
  EXPECT_EQ(Cli("generate --quiet --country --field asn --delimiter tab --mmdb " + db + " 8.8.8.8").out,
            "8.8.8.8\tUS\t15169\n");
  EXPECT_EQ(Cli("generate --quiet --field asn --mmdb " + db + " 8.8.8.8").out, "8.8.8.8 15169\n");
  EXPECT_EQ(Cli("generate --quiet --field a..b --mmdb " + db + " 8.8.8.8").out,
            "The field path 'a..b' has an empty step\n");
}

// Values that hold the delimiter, a quote or a line break are quoted as CSV quotes them, so the
// columns after them never shift; plain values stay as they were.
TEST(Subcommands, ValuesHoldingTheDelimiterAreQuoted) {
  using namespace korrin::test;
  MMDBWriter w(4, 24, "ip-asn");
  const auto record = [](const char* org) {
    return Map({{Str("country_code"), Str("US")}, {Str("org"), Str(org)}, {Str("asn"), U32(15169)}});
  };
  w.Insert("8.8.8.0/24", record("Google, LLC"));
  w.Insert("8.8.9.0/24", record("Tab\tCo; \"Ltd\""));
  w.Insert("8.8.10.0/24", record("Two\nLines"));
  w.Insert("8.8.11.0/24", record("Plain"));
  const std::string db = WriteDatabase("korrin-quoted.mmdb", w.Build());
  const std::string addresses = " 8.8.8.8 8.8.9.9 8.8.10.10 8.8.11.11";
  struct Case {
    const char* delimiter;
    const char* out;
  };
  const Case cases[] = {
      {"comma",
       "8.8.8.8,US,\"Google, LLC\",15169\n8.8.9.9,US,\"Tab\tCo; \"\"Ltd\"\"\",15169\n"
       "8.8.10.10,US,\"Two\nLines\",15169\n8.8.11.11,US,Plain,15169\n"},
      {"tab",
       "8.8.8.8\tUS\tGoogle, LLC\t15169\n8.8.9.9\tUS\t\"Tab\tCo; \"\"Ltd\"\"\"\t15169\n"
       "8.8.10.10\tUS\t\"Two\nLines\"\t15169\n8.8.11.11\tUS\tPlain\t15169\n"},
      {"semicolon",
       "8.8.8.8;US;Google, LLC;15169\n8.8.9.9;US;\"Tab\tCo; \"\"Ltd\"\"\";15169\n"
       "8.8.10.10;US;\"Two\nLines\";15169\n8.8.11.11;US;Plain;15169\n"},
      {"whitespace",
       "8.8.8.8 US \"Google, LLC\" 15169\n8.8.9.9 US \"Tab\tCo; \"\"Ltd\"\"\" 15169\n"
       "8.8.10.10 US \"Two\nLines\" 15169\n8.8.11.11 US Plain 15169\n"},
      {"/",
       "8.8.8.8/US/Google, LLC/15169\n8.8.9.9/US/\"Tab\tCo; \"\"Ltd\"\"\"/15169\n"
       "8.8.10.10/US/\"Two\nLines\"/15169\n8.8.11.11/US/Plain/15169\n"},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli(std::string("generate --quiet --country --field org --field asn --delimiter ") +
                           c.delimiter + " --mmdb " + db + addresses);
    EXPECT_EQ(run.out, c.out) << c.delimiter;
  }
  // lookup writes commas.
  EXPECT_EQ(Cli("lookup --field org --field asn --mmdb " + db + addresses).out, cases[0].out);
}

TEST(Subcommands, ADatabaseWithoutACountryFieldIsNamedOnceOnStandardError) {
  using namespace korrin::test;
  MMDBWriter w(6, 24, "ASN");
  w.Insert("8.8.8.0/24", Map({{Str("autonomous_system_number"), U32(15169)}}));
  w.Insert("2001:4860::/32", Map({{Str("autonomous_system_number"), U32(15169)}}));
  const std::string db = WriteDatabase("korrin-asn.mmdb", w.Build());
  const std::string warning =
      "Warning: the database's records hold no country code (country.iso_code, country_code or a two-letter "
      "country), so the country column is empty; the first record found holds: autonomous_system_number\n";
  const CliRun lookup = Cli("lookup --mmdb " + db + " 8.8.8.8 2001:4860::1");
  EXPECT_EQ(lookup.status, 0);
  EXPECT_EQ(lookup.out, "8.8.8.8,\n2001:4860::1,\n" + warning);
  EXPECT_EQ(Cli("generate --quiet --country --mmdb " + db + " 8.8.8.8 8.8.8.9").out, "8.8.8.8 \n8.8.8.9 \n" + warning);
  // The viewer's rows: both families, the records' own fields as columns.
  const CliRun preview = Cli("preview " + db);
  EXPECT_NE(preview.out.find("network\tautonomous_system_number\tother_fields\n8.8.8.0/24\t15169\t\n"
                             "2001:4860::/32\t15169\t\n"),
            std::string::npos)
      << preview.out;
}

TEST(LookupCommand, PrintsAddressAndCountryCode) {
  const CliRun run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test.mmdb 81.2.69.160 2001:218::1 10.0.0.1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "81.2.69.160,GB\n2001:218::1,JP\n10.0.0.1,\n");
}

TEST(LookupCommand, ReadsStandardInputAndAddsThePrefix) {
  const CliRun run =
      Cli("lookup --prefix --mmdb " + kData + "GeoIP2-Country-Test.mmdb", "89.160.20.112\\n\\n  2001:218::5 \\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "89.160.20.112,SE,28\n2001:218::5,JP,32\n");
}

TEST(LookupCommand, FailuresGoToStandardErrorWithStatusOne) {
  // "a.b.c.d::" is no address in any form, never IPv4 a.b.c.d.
  CliRun run = Cli("lookup --mmdb " + kData + "GeoIP2-Country-Test.mmdb bogus 89.160.20.112 89.160.20.112::");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "89.160.20.112,SE\n"
            "Unable to convert string \"bogus\" to IP address. (an IPv4 address has 4 parts, not 1)\n"
            "Unable to convert string \"89.160.20.112::\" to IP address. (an IPv4 part may only end an IPv6 "
            "address)\n");
  // A record that fails to decode fails its own line only; its country code still reads.
  run = Cli("lookup --mmdb " + kData + "GeoIP2-City-Test-Broken-Double-Format.mmdb 81.2.69.160 1.2.3.4 --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "1.2.3.4,null\n81.2.69.160: The MaxMind DB file's data section contains bad data: invalid size of "
            "double.\n");
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
  for (const std::string& input : {std::string("\xEF\xBB\xBF"
                                               "89.160.20.112\r\n2001:218::5"),
                                   std::string("89.160.20.112\r2001:218::5\r"), utf16le}) {
    const auto r = korrin::test::RunCliWords("lookup --mmdb " + db, input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "89.160.20.112,SE\n2001:218::5,JP\n");
  }
}

TEST(MMDBMetaCommand, PrintsTheMetadataLines) {
  const CliRun run = Cli("mmdb-meta " + kData + "GeoIP2-Country-Test.mmdb");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::regex_match(
      run.out,
      std::regex("binary_format_major_version,2\n"
                 "binary_format_minor_version,0\n"
                 "build_epoch,[0-9]+ \\([0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z\\)\n"
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

TEST(LookupCommand, AnswersEachLineBeforeTheInputEndsAndGoesOnAfterABadOne) {
  korrin::test::CliSession session({"lookup", "--network", "--mmdb", kData + "GeoIP2-Country-Test.mmdb"});
  session.Write("89.160.20.112\n");
  EXPECT_EQ(session.ReadLine(30000), "89.160.20.112,SE,89.160.20.112/28");
  session.Write("no address\n2001:218::5\n");
  EXPECT_EQ(session.ReadLine(30000), "2001:218::5,JP,2001:218::/32");
  const auto end = session.Finish();
  EXPECT_EQ(end.status, 1);
  EXPECT_EQ(end.err, "Unable to convert string \"no address\" to IP address. (an IPv4 address has 4 parts, not 1)\n");
}

bool SameJson(const korrin::test::Json& a, const korrin::test::Json& b) {
  using korrin::test::Json;
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case Json::Null: return true;
    case Json::Bool: return a.boolean == b.boolean;
    case Json::Number: return a.number == b.number;
    case Json::String: return a.text == b.text;
    case Json::Array:
      return a.items.size() == b.items.size() && std::equal(a.items.begin(), a.items.end(), b.items.begin(), SameJson);
    case Json::Object:
      return a.members.size() == b.members.size() &&
             std::all_of(a.members.begin(), a.members.end(),
                         [&](const auto& m) { return SameJson(m.second, b[m.first]); });
  }
  return false;
}

TEST(LookupCommand, JsonGivesTheWholeRecordAsTheSourceDataHasIt) {
  for (const char* name : {"GeoIP2-City-Test", "GeoIP2-Country-Test"}) {
    const korrin::test::Json source =
        korrin::test::ReadJsonFile(std::string(KORRIN_TEST_DATA_DIR) + "/source-data/" + name + ".json");
    // Each network's first address, asked for with its prefix: an answer at the same prefix
    // comes from that network and not from a more specific one inside it.
    std::string input;
    std::vector<std::pair<int, const korrin::test::Json*>> asked;
    for (const auto& entry : source.items) {
      const auto& [cidr, record] = entry.members.at(0);
      std::string address = cidr.substr(0, cidr.find('/'));
      int prefix = std::stoi(cidr.substr(cidr.find('/') + 1));
      // "::a.b.c.d" networks are IPv4 networks of the IPv6 tree.
      if (address.rfind("::", 0) == 0 && address.find('.') != std::string::npos) address.erase(0, 2), prefix -= 96;
      input += address + "\n";
      asked.emplace_back(prefix, &record);
    }
    const auto run = korrin::test::RunCli({"lookup", "--json", "--prefix", "--mmdb", kData + name + ".mmdb"}, input);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(run.out.substr(start, end - start));
    ASSERT_EQ(lines.size(), asked.size());
    size_t compared = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      const size_t first = lines[i].find(','), second = lines[i].find(',', first + 1);
      if (std::stoi(lines[i].substr(first + 1, second - first - 1)) != asked[i].first) continue;
      EXPECT_TRUE(SameJson(korrin::test::ParseJson(lines[i].substr(second + 1)), *asked[i].second)) << lines[i];
      ++compared;
    }
    EXPECT_GT(compared, asked.size() * 3 / 4) << name;
  }
  EXPECT_EQ(Cli("lookup --json --mmdb " + kData + "GeoIP2-Country-Test.mmdb 10.0.0.1").out, "10.0.0.1,null\n");
}

TEST(Subcommands, EveryOneEndsWithAMessageWhenReadingRunsOutOfMemory) {
  const std::string db = kData + "GeoIP2-Country-Test.mmdb";
  const std::string csv = Scratch() / "korrin-oom.csv";
  { std::ofstream(csv) << "a,b\n1,2\n"; }
  const std::string ini = Scratch() / "korrin-oom.ini";
  { std::ofstream(ini) << "[Settings]\n"; }
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"lookup", "--mmdb", db, "1.2.3.4"}, "\"" + db + "\""},
      {{"mmdb-meta", db}, "\"" + db + "\""},
      {{"count", csv}, "\"" + csv + "\""},
      {{"preview", csv}, "\"" + csv + "\""},
      {{"generate", "--quiet"}, "standard input"},
      {{"generate", "--settings", ini}, "\"" + ini + "\""},
      {{"reverse", "--server", "127.0.0.1"}, "standard input"},
      {{"settings", "list", ini}, "\"" + ini + "\""},
      {{"settings", "show", "--settings", ini}, "\"" + ini + "\""},
  };
  ::setenv("KORRIN_CLI_TEST_FAIL_READING", "1", 1);
  for (const auto& [args, what] : cases) {
    const auto run = korrin::test::RunCli(args, "10.0.0.1\n");
    EXPECT_EQ(run.status, 1) << args[0];
    EXPECT_EQ(run.err, "Out of memory while reading " + what + ".\n") << args[0];
  }
  ::unsetenv("KORRIN_CLI_TEST_FAIL_READING");
  // A directory where lines are expected fails with a message, never an abort.
  const auto run = korrin::test::RunCli({"reverse", "--server", "127.0.0.1", "/tmp"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot read file \"/tmp\". Is a directory\n");
}

}  // namespace
