#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "run_process.h"
#include "tests/support/temp_folder.h"

namespace korrin::test {
namespace {

// The user's own settings file is looked for under XDG_CONFIG_HOME: pointed at an empty folder,
// the user has none.
class SettingsCommand : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", (FFolder / "config").c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

  TTempFolder FFolder;
};

TEST_F(SettingsCommand, ListsStoredSetsAndShowsChoices) {
  const std::string file = FFolder / "k.ini";
  WriteBytes(file,
             "Mode=1\r\nIPRangeN=1\r\nIPRange1=10.0.0.0/30\r\nStoredListN=2\r\n"
             "StoredList1.Name=Office\r\nStoredList1.Count=2\r\nStoredList1.Setting1=Mode=2\r\n"
             "StoredList1.Setting2=Random=1\r\nStoredList2.Name=Lab\r\n");
  const std::string missing = FFolder / "none.ini";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;  // expected start of standard output
    std::string err;
  } cases[] = {
      {{"settings", "list", file}, 0, "Office\nLab\n", ""},
      {{"settings", "show", "--settings", file},
       0,
       "ResolveCountry=0\nMMDBField=country_code\nAppend=0\nIPRange1=10.0.0.0/30\n",
       ""},
      {{"settings", "list"}, 0, "", ""},  // no file of the user's yet
      {{"settings", "show"}, 0, "ResolveCountry=0\nMMDBField=country_code\nAppend=0\nIPRangeN=0\n", ""},
      {{"settings", "show", "Nope", "--settings", file}, 1, "", "Settings \"Nope\" not found\n"},
      {{"settings", "show", "Nope"}, 1, "", "Settings \"Nope\" not found\n"},
      {{"settings", "list", missing}, 1, "", "Cannot open file \"" + missing + "\". No such file or directory\n"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const ProcessResult r = RunCli(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.out.starts_with(c.out)) << r.out;
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(RunCli({"settings"}).status, 2);

  // A stored set applies over the file's choices: its own keys, and the file's range lines kept.
  const ProcessResult office = RunCli({"settings", "show", "office", "--settings", file});
  EXPECT_NE(office.out.find("IPRange1=10.0.0.0/30\n"), std::string::npos);
  EXPECT_NE(office.out.find("Mode=2\n"), std::string::npos);
  EXPECT_NE(office.out.find("Random=1\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(FFolder / "config"));  // reading never creates a folder
}

}  // namespace
}  // namespace korrin::test
