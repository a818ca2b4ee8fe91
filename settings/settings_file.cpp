#include "settings/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

bool LoadSettings(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored) {
  struct stat st {};
  // Only a missing file is the first run; any other failure is reported by the read.
  if (::stat(FileName.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) return false;
  TVHashedStringList list(256);
  list.LoadFromFile(FileName);
  LoadSettingsFromList(list, Settings);
  Stored.LoadFromList(list, kStoredSettingsName, kSettingName);
  return true;
}

void SaveSettings(const std::string& FileName, const TKorrinSettings& Settings, const TStoredSettingsList& Stored) {
  TVHashedStringList list(256);
  SaveSettingsToList(Settings, list);
  Stored.SaveToList(list, kStoredSettingsName, kSettingName);
  list.SaveToFile(FileName);
}

bool LoadStoredSettings(const TStoredSettingsList& Stored, std::string_view Name, TKorrinSettings& Settings) {
  const TStoredSettings* set = Stored.GetSettingsByName(Name);
  if (!set) return false;
  LoadSettingsFromList(set->Settings(), Settings);
  return true;
}

void LoadExistingSettings(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored) {
  if (!LoadSettings(FileName, Settings, Stored))
    throw Exception(Format("Cannot open file \"%s\". %s", FileName.c_str(), std::strerror(ENOENT)));
}

TKorrinSettings LoadChoicesFromFile(const std::string& FileName, std::string_view StoredName) {
  TKorrinSettings settings;
  TStoredSettingsList stored;
  LoadExistingSettings(FileName, settings, stored);
  if (!StoredName.empty() && !LoadStoredSettings(stored, StoredName, settings))
    throw Exception(SettingsNotFoundMessage(StoredName));
  return settings;
}

std::string SettingsNotFoundMessage(std::string_view Name) {
  return "Settings \"" + std::string(Name) + "\" not found";
}

void StoreSettings(TStoredSettingsList& Stored, std::string_view Name, const TKorrinSettings& Settings) {
  TStoredSettings* set = Stored.GetSettingsByName(Name);
  if (!set) set = &Stored.Add(std::make_unique<TStoredSettings>(std::string(Name)));
  SaveSettingsToList(Settings, set->Settings());
}

}  // namespace korrin
