// korrin-cli settings, run as a process: what a user of the command line sees.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "tests/settings/temp_folder.h"

namespace korrin {
namespace {

struct TRun {
  int status;
  std::string out;
};

TRun RunCli(const std::string& args, const std::string& config_home) {
  const std::string command = "XDG_CONFIG_HOME='" + config_home + "' '" KORRIN_CLI "' " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(SettingsCli, ListsStoredSetsAndShowsChoices) {
  test::TTempFolder folder;
  const std::string file = folder / "k.ini";
  test::WriteBytes(file,
                   "Mode=1\r\nIPRangeN=1\r\nIPRange1=10.0.0.0/30\r\nStoredListN=2\r\n"
                   "StoredList1.Name=Office\r\nStoredList1.Count=2\r\nStoredList1.Setting1=Mode=2\r\n"
                   "StoredList1.Setting2=Random=1\r\nStoredList2.Name=Lab\r\n");
  struct Case {
    std::string args;
    int status;
    std::string out;  // expected start of the output
  } cases[] = {
      {"settings list " + file, 0, "Office\nLab\n"},
      {"settings show --settings " + file, 0, "ResolveCountry=0\nAppend=0\nIPRange1=10.0.0.0/30\n"},
      {"settings list", 0, ""},  // no file of the user's yet
      {"settings show", 0, "ResolveCountry=0\nAppend=0\nIPRangeN=0\n"},
      {"settings show Nope --settings " + file, 1, "Settings \"Nope\" not found\n"},
      {"settings show Nope", 1, "Settings \"Nope\" not found\n"},
      {"settings list " + folder / "none.ini", 1,
       "Cannot open file \"" + folder / "none.ini" + "\". No such file or directory\n"},
      {"settings", 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const TRun run = RunCli(c.args, folder / "config");
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(run.out.starts_with(c.out)) << run.out;
  }
  // A stored set applies over the file's choices: its flags, and the file's range lines kept.
  const TRun office = RunCli("settings show office --settings " + file, folder / "config");
  EXPECT_NE(office.out.find("IPRange1=10.0.0.0/30\n"), std::string::npos);
  EXPECT_NE(office.out.find("Mode=2\n"), std::string::npos);
  EXPECT_NE(office.out.find("Random=1\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder / "config"));  // reading never creates the folder
}

}  // namespace
}  // namespace korrin
