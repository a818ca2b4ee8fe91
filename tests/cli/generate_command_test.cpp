#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "run_process.h"
#include "tests/support/temp_folder.h"

namespace korrin::test {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// In a folder of this process, removed at its exit: runs side by side never share a file.
std::string TempPath(const char* name) {
  static const TTempFolder folder;
  return folder / (std::string("korrin-") + name);
}

const std::vector<std::string> kDecorated = {"generate", "A=192.168.1.100/16/24", "--names", "host#-%s", "--digits",
                                             "3",        "--delimiter",           "comma",   "--ports",  "80,3128-3130",
                                             "--quiet"};

TEST(GenerateCommand, DecoratedLinesToStdoutAndToAFile) {
  const ProcessResult r = RunCli(kDecorated);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty());
  EXPECT_EQ(r.out.substr(0, r.out.find("host005")),
            "host001-A,192.168.0.100:80\nhost002-A,192.168.0.100:3128\nhost003-A,192.168.0.100:3129\n"
            "host004-A,192.168.0.100:3130\n");
  EXPECT_NE(r.out.find("host1024-A,192.168.255.100:3130\n"), std::string::npos);

  const std::string file = TempPath("joined.txt");
  auto args = kDecorated;
  args.insert(args.end(), {"--output", file, "--join", "comma"});
  ASSERT_EQ(RunCli(args).status, 0);
  std::string expected = r.out;
  expected.pop_back();
  for (auto& c : expected)
    if (c == '\n') c = ',';
  EXPECT_EQ(ReadFile(file), expected);

  args.back() = "eol";
  ASSERT_EQ(RunCli(args).status, 0);
  EXPECT_EQ(ReadFile(file).substr(0, 28), "host001-A,192.168.0.100:80\r\n");
  EXPECT_NE(ReadFile(file).back(), '\n');
}

TEST(GenerateCommand, RangeSourcesAndResultText) {
  const ProcessResult fromStdin = RunCli({"generate", "--usable"}, "10.0.0.0/30\r\n; comment\n::1/127\n");
  EXPECT_EQ(fromStdin.status, 0);
  EXPECT_EQ(fromStdin.out, "10.0.0.1\n10.0.0.2\n::\n::1\n");
  EXPECT_EQ(fromStdin.err, "4 IPs generated.\n");

  const std::string ranges = TempPath("ranges.txt");
  std::ofstream(ranges) << "10.0.0.0/29\n";
  const std::string masks = TempPath("masks.txt");
  std::ofstream(masks) << "*.1\n";
  const ProcessResult fromFile =
      RunCli({"generate", "--ranges", ranges, "--exclude-file", masks, "--exclude", "*.2", "--total", "3", "--quiet"});
  EXPECT_EQ(fromFile.out, "10.0.0.0\n10.0.0.3\n10.0.0.4\n");

  const ProcessResult example = RunCli({"generate", "--example", "--each", "1", "--brackets", "--quiet"});
  EXPECT_EQ(example.out, "127.0.0.0\n192.168.0.100\n[fdc7:200d:3e17::]\n[fdc7:200d:3e17::fb05]\n");
}

TEST(GenerateCommand, ChoicesFromASettingsFileAndAStoredSetWithFlagsOverThem) {
  const std::string ini = TempPath("korrin2.ini");
  std::ofstream(ini, std::ios::binary)
      << "IPRange1=10.0.0.0/29\r\nIPRangeN=1\r\nMode=1\r\nTotalCount=3\r\nGenerateNames=1\r\n"
         "NameTemplate=n#\r\nNameDelimiter=2\r\n"
         "StoredListN=1\r\nStoredList1.Name=Web\r\nStoredList1.Count=2\r\n"
         "StoredList1.Setting1=AddPort=1\r\nStoredList1.Setting2=Ports=443\r\n";
  EXPECT_EQ(RunCli({"generate", "--settings", ini, "--quiet"}).out, "n1,10.0.0.0\nn2,10.0.0.1\nn3,10.0.0.2\n");
  // A stored set is a whole snapshot: what it does not hold falls back (flags off, all addresses).
  const std::string web = RunCli({"generate", "--settings", ini, "--stored", "web", "--quiet"}).out;
  EXPECT_EQ(web.substr(0, 26), "10.0.0.0:443\n10.0.0.1:443\n");
  EXPECT_EQ(std::count(web.begin(), web.end(), '\n'), 8);
  EXPECT_EQ(
      RunCli({"generate", "--settings", ini, "--total", "1", "--delimiter", "tab", "--first", "7", "--quiet"}).out,
      "n7\t10.0.0.0\n");
  EXPECT_EQ(RunCli({"generate", "--settings", ini, "192.168.0.1", "--quiet"}).out, "n1,192.168.0.1\n");
  const ProcessResult missing = RunCli({"generate", "--settings", ini, "--stored", "nope"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Settings \"nope\" not found\n");
  EXPECT_EQ(RunCli({"generate", "--stored", "web"}).status, 2);
}

TEST(GenerateCommand, CountryColumn) {
  const std::string db = KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-City-Test.mmdb";
  EXPECT_EQ(RunCli({"generate", "81.2.69.160/31", "--country", "--mmdb", db, "--names", "h#", "--delimiter", "comma",
                    "--quiet"})
                .out,
            "h1,81.2.69.160,GB\nh2,81.2.69.161,GB\n");
  const ProcessResult noPath = RunCli({"generate", "10.0.0.1", "--country"});
  EXPECT_EQ(noPath.status, 2);
  EXPECT_EQ(noPath.err, "--country needs --mmdb FILE, the database of the country codes\n");
  // Asked for by the settings file, not a flag: the message names no flag the user did not give.
  const std::string ini = TempPath("country-without-database.ini");
  std::ofstream(ini, std::ios::binary) << "IPRange1=10.0.0.1\r\nIPRangeN=1\r\nResolveCountry=1\r\n";
  const ProcessResult fromSettings = RunCli({"generate", "--settings", ini});
  EXPECT_EQ(fromSettings.status, 2);
  EXPECT_EQ(fromSettings.err, "The settings ask for the country column but name no database: give --mmdb FILE\n");
  EXPECT_EQ(RunCli({"generate", "10.0.0.1", "--country", "--mmdb", "/nonexistent.mmdb"}).err, "MMDB File not found\n");
}

// Ctrl+C ends a run of the whole IPv4 space with names and country codes: status 130, and what
// was written is whole lines, each with its name and column, in order.
TEST(GenerateCommand, CtrlCEndsARunWithNamesAndCountriesKeepingFinishedLines) {
  const std::string db = KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-Country-Test.mmdb";
  bool sent = false;
  const ProcessResult run =
      RunCli({"generate", "0.0.0.0/0", "--names", "h#", "--country", "--mmdb", db, "--delimiter", "comma", "--quiet"},
             "", "", [&sent](pid_t pid, const ProcessResult& sofar) {
               if (!sent && !sofar.out.empty()) sent = kill(pid, SIGINT) == 0;
             });
  EXPECT_TRUE(sent);
  EXPECT_EQ(run.status, 130);
  ASSERT_FALSE(run.out.empty());
  EXPECT_EQ(run.out.back(), '\n');
  std::istringstream lines(run.out);
  std::string line;
  for (uint64_t n = 1; std::getline(lines, line); ++n) {
    const std::string name = "h" + std::to_string(n) + ",";
    ASSERT_EQ(line.rfind(name, 0), 0u) << line;
    ASSERT_NE(line.find(',', name.size()), std::string::npos) << line;
  }
}

TEST(GenerateCommand, SeedMakesRandomOutputReproducible) {
  const std::vector<std::string> args = {"generate", "10.0.0.0/8", "--total", "1000",
                                         "--random", "--seed",     "7",       "--quiet"};
  const ProcessResult a = RunCli(args), b = RunCli(args);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 1000);
  auto other = args;
  other[6] = "8";
  EXPECT_NE(RunCli(other).out, a.out);
}

TEST(GenerateCommand, FailuresAndUsage) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
  } cases[] = {
      {{"generate", "10.0.0.0/8", "--max-lines", "1000000"},
       1,
       "Too many lines (16777216)\r\nMax. line count: 1000000\n"},
      {{"generate", "10.0.0.0/8", "--max-lines", "0"}, 2, nullptr},
      {{"generate", "10.0.0.0/24", "--exclude", "[1-"}, 1, "'[1-' is an invalid mask at (4)\n"},
      {{"generate", "10.0.0.0/24", "--ranges", "/nonexistent"}, 0, nullptr},
      {{"generate", "--ranges", "/nonexistent/r.txt"},
       1,
       "Cannot open file \"/nonexistent/r.txt\". No such file or directory\n"},
      {{"generate", "--ranges", "/"}, 1, "Cannot read file \"/\". Is a directory\n"},
      {{"generate", "--bogus"}, 2, nullptr},
      {{"generate", "--total", "x"}, 2, nullptr},
      {{"generate", "--total", "1", "--each", "2"}, 2, nullptr},
      {{"generate", "10.0.0.0/24", "--output", "/dev/full"},
       1,
       "Cannot write file \"/dev/full\". No space left on device\n"},
      {{"generate", "10.0.0.0/30", "--random", "--seed", "-1"}, 2, nullptr},
      {{"generate", "10.0.0.0/30", "--random", "--seed", "18446744073709551616"}, 2, nullptr},
      {{"generate", "10.0.0.0/30", "--random", "--seed", "18446744073709551615", "--quiet"}, 0, ""},
      {{"generate", "10.0.0.0/30", "--shard", "0/2"}, 2, nullptr},
      {{"generate", "10.0.0.0/30", "--shard", "3/2"}, 2, nullptr},
      {{"generate", "10.0.0.0/30", "--shard", "2"}, 2, nullptr},
      {{"generate", "10.0.0.0/30", "--shard", "1/2", "--random"},
       2,
       "--shard with random order needs --seed, so that every shard splits the same list\n"},
      {{"generate", "10.0.0.0/30", "--shard", "1/2", "--count"}, 2, nullptr},
      {{}, 2, nullptr},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunCli(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.err) {
      EXPECT_EQ(r.err, c.err);
    }
  }
  const ProcessResult full = RunCli({"generate", "10.0.0.0/24", "--quiet"}, "", "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "Cannot write to standard output: No space left on device\n");
}

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// The same runs counted, generated whole and generated in shards.
const std::vector<std::vector<std::string>> kRuns = {
    {"10.0.0.0/24", "10.1.0.0/30", "--usable", "--exclude", "*.1?"},
    {"10.0.0.0/30", "fd00::/120", "--ports", "80,443", "--each", "100"},
    {"A=10.0.0.0/16", "--total", "1001", "--names", "h#-%s"},
};

TEST(GenerateCommand, CountIsTheNumberOfLinesGenerated) {
  for (const auto& run : kRuns)
    for (const bool random : {false, true}) {
      std::vector<std::string> args = {"generate", "--quiet"};
      args.insert(args.end(), run.begin(), run.end());
      if (random) args.insert(args.end(), {"--random", "--seed", "3"});
      const ProcessResult whole = RunCli(args);
      args.push_back("--count");
      const ProcessResult count = RunCli(args);
      ASSERT_EQ(count.status, 0) << count.err;
      EXPECT_EQ(count.out, std::to_string(LineCount(whole.out)) + "\n") << run[0];
    }
  const ProcessResult v6 = RunCli({"generate", "::/0", "--count"});
  EXPECT_EQ(v6.out, "340282366920938463463374607431768211456\n");
  EXPECT_TRUE(v6.err.empty());
  EXPECT_EQ(RunCli({"generate", "fd00::/64", "--exclude", "*", "--count"}).out, "at most 18446744073705357312\n");
}

TEST(GenerateCommand, ShardsSplitTheListIntoDisjointParts) {
  for (const auto& run : kRuns)
    for (const bool random : {false, true}) {
      std::vector<std::string> args = {"generate", "--quiet"};
      args.insert(args.end(), run.begin(), run.end());
      if (random) args.insert(args.end(), {"--random", "--seed", "3"});
      const std::string whole = RunCli(args).out;
      std::string joined;
      for (int k = 1; k <= 3; ++k) {
        auto shard = args;
        shard.insert(shard.end(), {"--shard", std::to_string(k) + "/3"});
        const std::string part = RunCli(shard).out;
        EXPECT_LE(LineCount(part), LineCount(whole) / 3 + 1);
        EXPECT_GE(LineCount(part), LineCount(whole) / 3);
        joined += part;
      }
      EXPECT_EQ(joined, whole) << run[0] << random;
    }
  // More parts than lines: some parts are empty, and the result text counts the part.
  const ProcessResult empty = RunCli({"generate", "10.0.0.0/31", "--shard", "1/3"});
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "0 IPs generated.\n");
  EXPECT_EQ(RunCli({"generate", "10.0.0.0/31", "--shard", "3/3"}).out, "10.0.0.1\n");
}

// Runs where every address is eligible reach a shard's start by arithmetic instead of walking
// to it, as the shards of a /8 or of 0.0.0.0/0 do: their parts must still join into the list.
TEST(GenerateCommand, ShardsReachTheirStartWithoutWalkingAndJoinIntoTheList) {
  const std::vector<std::vector<std::string>> runs = {
      {"10.0.0.0/18", "10.1.0.0/30"},
      {"10.0.0.0/18", "--random", "--seed", "5"},
      {"A=10.0.0.0/20", "B=fd00::/120", "--usable", "--ports", "80,443,8080", "--names", "h#-%s"},
      {"10.0.0.0/16", "10.1.0.0/16", "--total", "30000", "--random", "--seed", "9"},
      {"10.0.0.0/16", "10.1.0.0/24", "--each", "1000", "--ports", "1-3"},
  };
  for (const auto& run : runs) {
    std::vector<std::string> args = {"generate", "--quiet"};
    args.insert(args.end(), run.begin(), run.end());
    const std::string whole = RunCli(args).out;
    std::string joined;
    for (int k = 1; k <= 4; ++k) {
      auto shard = args;
      shard.insert(shard.end(), {"--shard", std::to_string(k) + "/4"});
      joined += RunCli(shard).out;
    }
    EXPECT_EQ(joined, whole) << run[0] << " " << run[1];
  }
}

// The README's scale-out recipe, run locally: GNU parallel runs the shards, its -k keeps them in
// order, and the parts together are the unsharded list.
TEST(GenerateCommand, TheShardsOfARandomSampleRunUnderGnuParallelJoinIntoTheList) {
  const std::string list = TempPath("parallel-list.txt");
  const std::string command = std::string("parallel --will-cite -k -j 4 '") + KORRIN_CLI +
                              " generate 10.0.0.0/16 --total 20000 --random --seed 42 --shard {}/4 --quiet'"
                              " ::: 1 2 3 4 > " +
                              list;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const ProcessResult whole =
      RunCli({"generate", "10.0.0.0/16", "--total", "20000", "--random", "--seed", "42", "--quiet"});
  EXPECT_EQ(LineCount(whole.out), 20000u);
  EXPECT_EQ(ReadFile(list), whole.out);
}

TEST(GenerateCommand, HelpListsEveryFlag) {
  const ProcessResult r = RunCli({"generate", "--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* flag :
       {"--ranges",  "--all",          "--total",     "--each",     "--random", "--seed",           "--usable",
        "--exclude", "--exclude-file", "--ports",     "--brackets", "--names",  "--counter-symbol", "--first",
        "--step",    "--digits",       "--delimiter", "--country",  "--mmdb",   "--settings",       "--stored",
        "--output",  "--join",         "--quiet",     "--count",    "--shard",  "--max-lines"})
    EXPECT_NE(r.out.find(flag), std::string::npos) << flag;
  EXPECT_EQ(RunCli({"--version"}).status, 0);
}

// Each typo is reported with its reason and never becomes another address; with nothing read the
// run fails.
TEST(GenerateCommand, MalformedAddressesAreSkippedWithTheirReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.0.0.256/24", "IPv4 part '256' is not a number from 0 to 255"},
      {"1.2.3.4.5", "an IPv4 address has 4 parts, not 5"},
      {"10.0.0.5 /32", "IPv4 part '5 ' is not a number from 0 to 255"},
      {"10.0.0", "an IPv4 address has 4 parts, not 3"},
      {"10.0.0.x", "IPv4 part 'x' is not a number from 0 to 255"},
      {"0x0A.0.0.1", "IPv4 part '0x0A' is not a number from 0 to 255"},
      {"10.0.0.5-10.0.0.1", "last address below the first"},
      {"10.0.0.1-300", "last part '300' is not a number from 0 to 255"},
      {"::ffff:1.2.3.4.5", "an IPv4 address has 4 parts, not 5"},
      {"x::ffff:1.2.3.4", "IPv6 group 'x' is not a hex number up to ffff"},
      {"1.2.3.4::", "an IPv4 part may only end an IPv6 address"},
      {"1:2:3:4:5:6:7:8:9", "an IPv6 address has 8 groups, not 9"},
      {"fdc7::1::2", "more than one '::'"},
      {"fdc7::g", "IPv6 group 'g' is not a hex number up to ffff"},
      {"[::1]", "IPv6 group '[' is not a hex number up to ffff"},
      {"10.0.0.0/33", "prefix length '33' is not a number from 0 to 32"},
  };
  for (const auto& [line, reason] : cases) {
    const ProcessResult r = RunCli({"generate", line});
    EXPECT_EQ(r.status, 1) << line;
    EXPECT_EQ(r.out, "") << line;
    EXPECT_EQ(r.err, std::string("line 1 skipped: ") + line + ": " + reason +
                         "\nNo range line could be read: nothing generated.\n")
        << line;
  }
}

TEST(GenerateCommand, SkippedLinesAreWarnedWithTheirNumbers) {
  const ProcessResult r = RunCli({"generate"}, "10.0.0.1\n\n; note\n10.0.0.300\n10.0.0.2-3\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "10.0.0.1\n10.0.0.2\n10.0.0.3\n");
  EXPECT_EQ(r.err, "line 4 skipped: 10.0.0.300: IPv4 part '300' is not a number from 0 to 255\n3 IPs generated.\n");

  const ProcessResult tooMany = RunCli({"generate", "--max-lines", "1000"}, "bad\n10.0.0.0/8\n");
  EXPECT_EQ(tooMany.status, 1);
  EXPECT_EQ(tooMany.err,
            "line 1 skipped: bad: an IPv4 address has 4 parts, not 1\n"
            "Too many lines (16777216)\r\nMax. line count: 1000\n");

  std::string many = "10.0.0.1\n";
  for (int i = 0; i < 25; ++i) many += "bad\n";
  const ProcessResult m = RunCli({"generate", "--quiet"}, many);
  EXPECT_EQ(m.status, 0);
  EXPECT_NE(m.err.find("line 21 skipped: bad: an IPv4 address has 4 parts, not 1\n"), std::string::npos);
  EXPECT_EQ(m.err.find("line 22 skipped"), std::string::npos);
  EXPECT_NE(m.err.find("... and 5 more range lines skipped\n"), std::string::npos);
}

TEST(GenerateCommand, NothingReadLeavesTheOutputFileAlone) {
  const std::string file = TempPath("kept-output.txt");
  std::ofstream(file) << "old list";
  const ProcessResult r = RunCli({"generate", "--output", file}, "10.0.0.999\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(file), "old list");
  // Only blanks and comments: nothing was given, so nothing failed.
  EXPECT_EQ(RunCli({"generate", "--quiet"}, "\n; none\n").status, 0);
}

// A typo on the command line is a usage error that names the flag and the culprit; nothing is
// generated and nothing is written.
TEST(GenerateCommand, TyposAreUsageErrorsNamingTheCulprit) {
  const std::string file = TempPath("typo-output.txt");
  std::ofstream(file) << "old list";
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--ports", "80,htps,443"}, "--ports: port 'htps' is not a number from 1 to 65535"},
      {{"--ports", "0"}, "--ports: port '0' is not a number from 1 to 65535"},
      {{"--ports", "65536"}, "--ports: port '65536' is not a number from 1 to 65535"},
      {{"--ports", "70000"}, "--ports: port '70000' is not a number from 1 to 65535"},
      {{"--ports", "80-70"}, "--ports: port range '80-70' ends below its start"},
      {{"--ports", "80-"}, "--ports: port range '80-' is not two numbers from 1 to 65535"},
      {{"--total", "0"}, "--total: Too few IPs (0)\r\nMin. IP count: 1"},
      {{"--each", "-1"}, "--each: Too few IPs (-1)\r\nMin. IP count: 1"},
      {{"--total", "0", "--count"}, "--total: Too few IPs (0)\r\nMin. IP count: 1"},
  };
  for (const auto& [flags, message] : cases) {
    std::vector<std::string> args = {"generate", "10.0.0.0/30", "--output", file};
    args.insert(args.end(), flags.begin(), flags.end());
    const ProcessResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(message) + "\nRun with --help for more information.\n");
    EXPECT_EQ(ReadFile(file), "old list") << message;
  }
  const ProcessResult noDatabase = RunCli({"generate", "10.0.0.0/30", "--country", "--output", file});
  EXPECT_EQ(noDatabase.status, 2);
  EXPECT_EQ(noDatabase.err, "--country needs --mmdb FILE, the database of the country codes\n");
  EXPECT_EQ(ReadFile(file), "old list");
}

// The output file is replaced only by a run that succeeds with lines to write.
TEST(GenerateCommand, OutputFileIsReplacedOnlyBySuccessWithLines) {
  const std::string file = TempPath("replaced-output.txt");
  std::ofstream(file) << "old list";
  const ProcessResult failed = RunCli({"generate", "10.0.0.0/24", "--max-lines", "10", "--output", file});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(ReadFile(file), "old list");
  const ProcessResult nothing = RunCli({"generate", "10.0.0.0/30", "--ports=", "--output", file, "--quiet"});
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(nothing.err,
            "Warning: the port list '' has no port: no lines are generated\n"
            "Warning: no lines to write: \"" +
                file + "\" is left as it was\n");
  EXPECT_EQ(ReadFile(file), "old list");
  EXPECT_EQ(RunCli({"generate", "10.0.0.0/31", "--output", file, "--quiet"}).status, 0);
  EXPECT_EQ(ReadFile(file), "10.0.0.0\r\n10.0.0.1");
}

TEST(GenerateCommand, RangeFormsWithUsableHostsExclusionsAndPorts) {
  EXPECT_EQ(RunCli({"generate", "--quiet", "10.0.0.1-5"}).out, "10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.4\n10.0.0.5\n");
  EXPECT_EQ(RunCli({"generate", "--quiet", "--usable", "10.0.0.0-10.0.0.3", "10.0.1.0-10.0.1.2"}).out,
            "10.0.0.1\n10.0.0.2\n10.0.1.0\n10.0.1.1\n10.0.1.2\n");
  EXPECT_EQ(
      RunCli({"generate", "--quiet", "10.0.0.0/28", "--exclude", "10.0.0.0/29", "--exclude", "10.0.0.9-10.0.0.14"}).out,
      "10.0.0.8\n10.0.0.15\n");
  EXPECT_EQ(RunCli({"generate", "--quiet", "fd00::1-fd00::2", "--ports", "80"}).out, "[fd00::1]:80\n[fd00::2]:80\n");
  EXPECT_EQ(RunCli({"generate", "--quiet", "--each", "2", "--random", "--seed", "3", "10.0.0.1-10.0.0.9"}).out.size(),
            std::string("10.0.0.1\n10.0.0.2\n").size());
}

// A do-not-scan list is honoured whatever its spelling, and a typo in it stops the run.
TEST(GenerateCommand, ExclusionFilesTargetFilesAndUniqueAddresses) {
  const std::string masks = TempPath("do-not-scan.txt");
  std::ofstream(masks) << "10.0.0.7 \n# lab\n10.0.0.1,10.0.0.2\t# printers\n";
  EXPECT_EQ(RunCli({"generate", "--quiet", "10.0.0.0/29", "--exclude-file", masks}).out,
            "10.0.0.0\n10.0.0.3\n10.0.0.4\n10.0.0.5\n10.0.0.6\n");
  const ProcessResult typo = RunCli({"generate", "--quiet", "10.0.0.0/29", "--exclude", "10.0.0.256"});
  EXPECT_EQ(typo.status, 1);
  EXPECT_EQ(typo.out, "");
  EXPECT_EQ(typo.err, "'10.0.0.256' is an invalid exclusion: IPv4 part '256' is not a number from 0 to 255\n");

  const std::string targets = TempPath("targets.txt");
  std::ofstream(targets) << "# scope\n10.0.1-2.1-2, 10.0.3.0/31 # lab\n";
  EXPECT_EQ(RunCli({"generate", "--quiet", "--ranges", targets}).out,
            "10.0.1.1\n10.0.1.2\n10.0.2.1\n10.0.2.2\n10.0.3.0\n10.0.3.1\n");

  const ProcessResult repeated = RunCli({"generate", "--quiet", "10.0.0.0/30", "10.0.0.2/31"});
  EXPECT_EQ(repeated.out, "10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.2\n10.0.0.3\n");
  EXPECT_EQ(repeated.err,
            "Warning: line 2 '10.0.0.2/31' repeats 2 of the addresses of the lines before it\n"
            "Warning: 2 addresses repeat; --unique gives each address once\n");
  EXPECT_EQ(RunCli({"generate", "--quiet", "10.0.0.0/30", "10.0.0.3"}).err,
            "Warning: line 2 '10.0.0.3' repeats 1 of the addresses of the lines before it\n"
            "Warning: 1 address repeats; --unique gives each address once\n");
  const ProcessResult unique = RunCli({"generate", "--quiet", "--unique", "10.0.0.0/30", "10.0.0.2/31"});
  EXPECT_EQ(unique.out, "10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3\n");
  EXPECT_EQ(unique.err, "");
  EXPECT_EQ(RunCli({"generate", "--unique", "--count", "10.0.0.0/30", "10.0.0.2/31", "10.0.0.0-10.0.0.9"}).out, "10\n");
}

TEST(GenerateCommand, EmptyOptionValuesAreEmpty) {
  const ProcessResult names = RunCli({"generate", "--names=", "10.0.0.1", "--quiet"});
  EXPECT_EQ(names.status, 0);
  EXPECT_EQ(names.out, " 10.0.0.1\n");
  EXPECT_EQ(RunCli({"generate", "--names", "", "10.0.0.1", "--quiet"}).out, " 10.0.0.1\n");
  const ProcessResult ports = RunCli({"generate", "--ports=", "10.0.0.1", "--quiet"});
  EXPECT_EQ(ports.status, 0);
  EXPECT_EQ(ports.out, "");
  EXPECT_EQ(ports.err, "Warning: the port list '' has no port: no lines are generated\n");
  EXPECT_EQ(RunCli({"generate", "--ports", " , ;", "10.0.0.1", "--quiet"}).err,
            "Warning: the port list ' , ;' has no port: no lines are generated\n");
}

TEST(GenerateCommand, OptionsWithoutTheirSwitchAreWarned) {
  const ProcessResult r = RunCli({"generate", "10.0.0.1", "--first", "2", "--step", "2", "--digits", "2", "--delimiter",
                                  "tab", "--counter-symbol", "@", "--seed", "1", "--mmdb", "x.mmdb", "--quiet"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "10.0.0.1\n");
  EXPECT_EQ(r.err,
            "Warning: --first does nothing without --names\n"
            "Warning: --step does nothing without --names\n"
            "Warning: --digits does nothing without --names\n"
            "Warning: --counter-symbol does nothing without --names\n"
            "Warning: --delimiter does nothing without --names, --country or --field\n"
            "Warning: --seed does nothing without --random\n"
            "Warning: --mmdb does nothing without --country or --field\n");
  EXPECT_EQ(RunCli({"generate", "10.0.0.1", "--names", "h", "--first", "2", "--quiet"}).err, "");
}

// Text files of every common encoding and line end read alike, from a file, standard input and
// as exclusions.
TEST(GenerateCommand, InputFilesInEveryEncoding) {
  const auto utf16 = [](const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
      if (bigEndian) bytes += '\0';
      bytes += c;
      if (!bigEndian) bytes += '\0';
    }
    return bytes;
  };
  const std::string text = "10.0.0.0/30\n; c\n10.0.1.0/31\n";
  const std::pair<const char*, std::string> encodings[] = {
      {"utf-8", text},
      {"utf-8 with BOM", "\xEF\xBB\xBF" + text},
      {"CR LF", "10.0.0.0/30\r\n; c\r\n10.0.1.0/31\r\n"},
      {"CR", "10.0.0.0/30\r; c\r10.0.1.0/31"},
      {"utf-16 LE", utf16(text, false)},
      {"utf-16 BE", utf16("10.0.0.0/30\r\n; c\r\n10.0.1.0/31", true)},
  };
  const std::string expected = "10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.1.0\n10.0.1.1\n";
  const std::string file = TempPath("encoded-ranges.txt");
  const std::string masks = TempPath("encoded-masks.txt");
  for (const auto& [name, bytes] : encodings) {
    std::ofstream(file, std::ios::binary) << bytes;
    EXPECT_EQ(RunCli({"generate", "--quiet", "--ranges", file}).out, expected) << name;
    EXPECT_EQ(RunCli({"generate", "--quiet"}, bytes).out, expected) << name;
    std::ofstream(masks, std::ios::binary) << bytes;
    EXPECT_EQ(RunCli({"generate", "--quiet", "10.0.0.0/29", "--exclude-file", masks}).out,
              "10.0.0.4\n10.0.0.5\n10.0.0.6\n10.0.0.7\n")
        << name;
  }
}

TEST(GenerateCommand, InputIsBounded) {
  const ProcessResult r = RunCli({"generate"}, "10.0.0.1\n" + std::string(70000, '1') + "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Line 2 of the standard input is longer than 65,534 characters\n");
}

}  // namespace
}  // namespace korrin::test
