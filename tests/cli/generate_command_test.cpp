#include <gtest/gtest.h>

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

const std::vector<std::string> kDecorated = {"generate", "A=192.168.1.100/16/24", "--names", "host#-%s", "--digits", "3",
                                             "--delimiter", "comma", "--ports", "80,3128-3130", "--quiet"};

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
  for (auto& c : expected) if (c == '\n') c = ',';
  EXPECT_EQ(ReadFile(file), expected);

  args.back() = "eol";
  ASSERT_EQ(RunCli(args).status, 0);
  EXPECT_EQ(ReadFile(file).substr(0, 28), "host001-A,192.168.0.100:80\r\n");
  EXPECT_NE(ReadFile(file).back(), '\n');
}

TEST(GenerateCommand, RangeSourcesAndResultText) {
  const ProcessResult fromStdin = RunCli({"generate", "--usable"}, "10.0.0.0/30\r\n; comment\n::1/127\n");
  EXPECT_EQ(fromStdin.status, 0);
  EXPECT_EQ(fromStdin.out, "10.0.0.1\n10.0.0.2\n");
  EXPECT_EQ(fromStdin.err, "2 IPs generated.\n");

  const std::string ranges = TempPath("ranges.txt");
  std::ofstream(ranges) << "10.0.0.0/29\n";
  const std::string masks = TempPath("masks.txt");
  std::ofstream(masks) << "*.1\n";
  const ProcessResult fromFile = RunCli({"generate", "--ranges", ranges, "--exclude-file", masks, "--exclude", "*.2",
                                         "--total", "3", "--quiet"});
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
  EXPECT_EQ(RunCli({"generate", "--settings", ini, "--total", "1", "--delimiter", "tab", "--first", "7", "--quiet"}).out,
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
  EXPECT_EQ(noPath.status, 1);
  EXPECT_EQ(noPath.err, "Please, enter GeoIP2 MMDB File Path\n");
  EXPECT_EQ(RunCli({"generate", "10.0.0.1", "--country", "--mmdb", "/nonexistent.mmdb"}).err, "MMDB File not found\n");
}

TEST(GenerateCommand, SeedMakesRandomOutputReproducible) {
  const std::vector<std::string> args = {"generate", "10.0.0.0/8", "--total", "1000", "--random", "--seed", "7", "--quiet"};
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
      {{"generate", "10.0.0.0/8"}, 1, "Too many IPs (2^24)\r\nMax. IP count: 1000000\n"},
      {{"generate", "10.0.0.0/24", "--exclude", "[1-"}, 1, "'[1-' is an invalid mask at (4)\n"},
      {{"generate", "10.0.0.0/24", "--ranges", "/nonexistent"}, 0, nullptr},
      {{"generate", "10.0.0.0/8", "--total", "0"}, 0, "0 IPs generated.\n"},
      {{"generate", "10.0.0.0/8", "--each", "-1"}, 0, "0 IPs generated.\n"},
      {{"generate", "--ranges", "/nonexistent/r.txt"}, 1, "Cannot open file \"/nonexistent/r.txt\". No such file or directory\n"},
      {{"generate", "--bogus"}, 2, nullptr},
      {{"generate", "--total", "x"}, 2, nullptr},
      {{"generate", "--total", "1", "--each", "2"}, 2, nullptr},
      {{"generate", "10.0.0.0/24", "--output", "/dev/full"}, 1, "Cannot write file \"/dev/full\". No space left on device\n"},
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

TEST(GenerateCommand, HelpListsEveryFlag) {
  const ProcessResult r = RunCli({"generate", "--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* flag : {"--ranges", "--all", "--total", "--each", "--random", "--seed", "--usable", "--exclude",
                           "--exclude-file", "--ports", "--brackets", "--names", "--counter-symbol", "--first", "--step",
                           "--digits", "--delimiter", "--country", "--mmdb", "--settings", "--stored", "--output",
                           "--join", "--quiet"})
    EXPECT_NE(r.out.find(flag), std::string::npos) << flag;
  EXPECT_EQ(RunCli({"--version"}).status, 0);
}

}  // namespace
}  // namespace korrin::test
