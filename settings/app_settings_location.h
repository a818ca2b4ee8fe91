#pragma once
// Where the settings file lives: the per-user configuration folder unless the command line moves
// it ("-appsettingsdir", "-settingsdir FOLDER", "-config FILE"), with the application folder as
// the fallback, and the first-run seeding of a new per-user folder from the application folder.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

constexpr std::string_view kAppSettingsFolderName = "Korrin2";
constexpr std::string_view kAppSettingsFileName = "korrin2.ini";

class TAppSettingsLocation {
 public:
  // `Args` are the command-line arguments after the program name, examined once, here.
  // `UserConfigFolder` is the per-user configuration folder, or none when there is none.
  TAppSettingsLocation(const std::vector<std::string>& Args, std::string ApplicationFolder,
                       std::optional<std::string> UserConfigFolder);

  // The running process: the executable's folder and $XDG_CONFIG_HOME, else ~/.config.
  static TAppSettingsLocation ForProcess(const std::vector<std::string>& Args);

  // The settings folder, created on first use and seeded with the application folder's files
  // that match the ";"-separated masks of `SeedFiles`, never overwriting one.
  std::string GetAppSettingsFolder(std::string_view AppFolderName, std::string_view SeedFiles) const;
  // The same folder without creating or seeding anything, for readers that must not write.
  std::string PeekAppSettingsFolder(std::string_view AppFolderName) const;
  std::string GetAppSettingsFileName(std::string_view FileName, std::string_view Folder) const;

  const std::string& ApplicationFolder() const { return FApplicationFolder; }

 private:
  std::string FApplicationFolder;
  std::optional<std::string> FUserConfigFolder;
  bool FUseApplicationFolder = false;
  std::optional<std::string> FSettingsDir;
  std::optional<std::string> FConfigFile;
};

}  // namespace korrin
