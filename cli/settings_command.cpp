// korrin-cli settings: shows what a settings file holds, without ever writing one.
#include <sys/stat.h>

#include <iostream>
#include <memory>
#include <string>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "common/exception.h"
#include "settings/app_settings_location.h"
#include "settings/settings_file.h"

namespace korrin::cli {

namespace {

// Without a named file: the user's own settings file, found as the window finds it but without
// creating its folder. It may not exist yet, which reads as a file without settings; a named
// file must exist.
std::string FileToRead(const std::string& file) {
  if (!file.empty()) return file;
  const auto location = TAppSettingsLocation::ForProcess({});
  const std::string path =
      location.GetAppSettingsFileName(kAppSettingsFileName, location.PeekAppSettingsFolder(kAppSettingsFolderName));
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? path : std::string();
}

void ListStoredSets(const std::string& file) {
  const std::string path = FileToRead(file);
  TKorrinSettings settings;
  TStoredSettingsList stored;
  if (!path.empty()) {
    ReadingInput(path);
    LoadExistingSettings(path, settings, stored);
  }
  for (int32_t i = 0; i < stored.Count(); ++i) std::cout << stored.GetSettings(i).Name() << '\n';
}

void ShowChoices(const std::string& file, const std::string& name) {
  const std::string path = FileToRead(file);
  if (path.empty() && !name.empty()) throw Exception(SettingsNotFoundMessage(name));
  if (!path.empty()) ReadingInput(path);
  const TKorrinSettings settings = path.empty() ? TKorrinSettings() : LoadChoicesFromFile(path, name);
  TVHashedStringList lines(256);
  SaveSettingsToList(settings, lines);
  for (int32_t i = 0; i < lines.Count(); ++i) std::cout << lines.Get(i) << '\n';
}

// Errors of the core go to standard error as their message, with the failure status.
template <typename Action>
int Run(Action action) {
  try {
    action();
    return kExitOk;
  } catch (const Exception& e) {
    std::cerr << e.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace

void AddSettingsCommand(CLI::App& app, int& status) {
  auto* settings = app.add_subcommand("settings", "Show what a settings file holds (never writes one)");
  settings->require_subcommand(1);

  auto list_file = std::make_shared<std::string>();
  auto* list = settings->add_subcommand("list", "Print the names of the stored settings");
  list->add_option("FILE", *list_file, "Settings file (default: the user's korrin2.ini)");
  list->callback([list_file, &status] { status = Run([&] { ListStoredSets(*list_file); }); });

  auto show_file = std::make_shared<std::string>();
  auto show_name = std::make_shared<std::string>();
  auto* show =
      settings->add_subcommand("show", "Print the choices as name=value lines, as the settings file stores them");
  show->add_option("NAME", *show_name, "A stored set, applied over the file's choices");
  show->add_option("--settings", *show_file, "Settings file (default: the user's korrin2.ini)");
  show->callback([show_file, show_name, &status] { status = Run([&] { ShowChoices(*show_file, *show_name); }); });
}

}  // namespace korrin::cli
