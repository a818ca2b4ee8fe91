#include "settings/app_settings_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace korrin {
namespace {

using test::ReadBytes;
using test::WriteBytes;

TEST(AppSettingsLocation, CommandLineOptionsInEveryOrder) {
  const std::string app = "/opt/korrin", user = "/home/u/.config";
  struct Case {
    std::vector<std::string> args;
    const char* file;
  } cases[] = {
      {{}, "/home/u/.config/Korrin2/korrin2.ini"},
      {{"-appsettingsdir"}, "/opt/korrin/korrin2.ini"},
      {{"-settingsdir", "/srv/d"}, "/srv/d/korrin2.ini"},
      {{"-settingsdir", "/srv/d", "-appsettingsdir"}, "/opt/korrin/korrin2.ini"},
      {{"-appsettingsdir", "-settingsdir", "/srv/d"}, "/srv/d/korrin2.ini"},
      {{"-config", "/etc/k.ini"}, "/etc/k.ini"},
      {{"-config", "x.ini"}, "/opt/korrin/x.ini"},
      {{"-settingsdir", "/srv/d", "-config", "x.ini"}, "/srv/d/x.ini"},
      {{"-config", "x.ini", "-settingsdir", "/srv/d"}, "/srv/d/x.ini"},
      {{"-config", "x.ini", "-appsettingsdir"}, "/opt/korrin/x.ini"},
      {{"-config", "a.ini", "-config", "b.ini"}, "/opt/korrin/b.ini"},
      {{"-settingsdir", "rel/dir"}, "rel/dir/korrin2.ini"},
      {{"-config", "sub/x.ini"}, "/opt/korrin/sub/x.ini"},
      // A missing value is ignored; an empty one is taken as none.
      {{"-settingsdir"}, "/home/u/.config/Korrin2/korrin2.ini"},
      {{"-config"}, "/home/u/.config/Korrin2/korrin2.ini"},
      {{"-config", ""}, "/home/u/.config/Korrin2/korrin2.ini"},
      {{"-settingsdir", "", "-config", "x.ini"}, "/opt/korrin/x.ini"},
      // The value is consumed, even when it looks like an option; comparison is exact.
      {{"-settingsdir", "-appsettingsdir"}, "-appsettingsdir/korrin2.ini"},
      {{"-AppSettingsDir", "--config", "x.ini", "other"}, "/home/u/.config/Korrin2/korrin2.ini"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += "[" + a + "] ";
    SCOPED_TRACE(joined);
    const TAppSettingsLocation location(c.args, app, user);
    EXPECT_EQ(location.GetAppSettingsFileName("korrin2.ini", location.PeekAppSettingsFolder("Korrin2")), c.file);
  }
  const TAppSettingsLocation no_user({}, app, std::nullopt);
  EXPECT_EQ(no_user.PeekAppSettingsFolder("Korrin2"), app);
  EXPECT_EQ(TAppSettingsLocation({}, app, user).PeekAppSettingsFolder("/Korrin2"), user + "/Korrin2");
}

TEST(AppSettingsLocation, FirstRunCreatesTheFolderAndSeedsItWithoutOverwriting) {
  test::TTempFolder temp;
  const std::string app = temp / "app", user = temp / "config/nested";
  std::filesystem::create_directory(app);
  WriteBytes(app + "/korrin2.ini", "Mode=1\r\n");
  WriteBytes(app + "/extra.txt", "extra");
  WriteBytes(app + "/other.dat", "other");
  const TAppSettingsLocation location({}, app, user);

  const std::string folder = location.GetAppSettingsFolder("Korrin2", " korrin2.ini ;; *.txt");
  EXPECT_EQ(folder, user + "/Korrin2");
  EXPECT_EQ(ReadBytes(folder + "/korrin2.ini"), "Mode=1\r\n");
  EXPECT_EQ(ReadBytes(folder + "/extra.txt"), "extra");
  EXPECT_FALSE(std::filesystem::exists(folder + "/other.dat"));

  // The next runs use the copy: an existing folder is neither seeded nor overwritten.
  WriteBytes(folder + "/korrin2.ini", "Mode=2\r\n");
  std::filesystem::remove(folder + "/extra.txt");
  EXPECT_EQ(location.GetAppSettingsFolder("Korrin2", "korrin2.ini;*.txt"), folder);
  EXPECT_EQ(ReadBytes(folder + "/korrin2.ini"), "Mode=2\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder + "/extra.txt"));
  EXPECT_EQ(location.GetAppSettingsFileName("korrin2.ini", folder), folder + "/korrin2.ini");
}

TEST(AppSettingsLocation, AFolderThatCannotBeMadeFallsBackToTheApplicationFolder) {
  test::TTempFolder temp;
  WriteBytes(temp / "file", "x");
  const TAppSettingsLocation blocked({}, temp / "app", temp / "file");
  EXPECT_EQ(blocked.GetAppSettingsFolder("Korrin2", "korrin2.ini"), temp / "app");
  WriteBytes(temp / "Korrin2", "a file in the folder's place");
  const TAppSettingsLocation taken({}, temp / "app", temp.Path());
  EXPECT_EQ(taken.GetAppSettingsFolder("Korrin2", ""), temp / "app");
  // Moved by the command line: returned as given, nothing is created.
  const TAppSettingsLocation moved({"-settingsdir", temp / "absent"}, temp / "app", temp.Path());
  EXPECT_EQ(moved.GetAppSettingsFolder("Korrin2", "korrin2.ini"), temp / "absent");
  EXPECT_FALSE(std::filesystem::exists(temp / "absent"));
}

TEST(AppSettingsLocation, ForProcessUsesTheExecutableFolderAndXdgConfigHome) {
  test::TTempFolder temp;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_value = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
  const auto location = TAppSettingsLocation::ForProcess({});
  EXPECT_EQ(location.PeekAppSettingsFolder("Korrin2"), temp / "Korrin2");
  EXPECT_EQ(location.ApplicationFolder(), std::filesystem::canonical("/proc/self/exe").parent_path().string());
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the XDG rules say
  EXPECT_NE(TAppSettingsLocation::ForProcess({}).PeekAppSettingsFolder("Korrin2"), "relative/Korrin2");
  if (saved) ::setenv("XDG_CONFIG_HOME", saved_value.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace korrin
