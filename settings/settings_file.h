#pragma once
// The settings file as a whole: the window's choices followed by the stored sets, read into and
// written from the value types, so that the window and the command line share one reader.
#include <string>
#include <string_view>

#include "settings/stored_settings_list.h"
#include "settings/window_choices.h"

namespace korrin {

constexpr std::string_view kStoredSettingsName = "StoredList";
constexpr std::string_view kSettingName = "Setting";

// False, with nothing changed, when the file does not exist; a file that cannot be read raises.
bool LoadSettings(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored);

// As LoadSettings, but a missing file is an error too: for files that the user names.
void LoadExistingSettings(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored);

// Rebuilds the file from nothing; it is replaced whole or, on failure, left as it was.
void SaveSettings(const std::string& FileName, const TKorrinSettings& Settings, const TStoredSettingsList& Stored);

// The choices kept in stored set `Name` applied over `Settings`; false when there is no such set.
bool LoadStoredSettings(const TStoredSettingsList& Stored, std::string_view Name, TKorrinSettings& Settings);

// The choices a settings file holds, from defaults; with `StoredName`, then that stored set applied
// over them, as loading the set right after start-up would. Raises when the file cannot be read
// (a missing one too) or holds no such set.
TKorrinSettings LoadChoicesFromFile(const std::string& FileName, std::string_view StoredName = {});

// "Settings "%s" not found": the warning of the Load and Delete buttons, and the error above.
std::string SettingsNotFoundMessage(std::string_view Name);

// The Save button: the choices into the set of that name (letter case ignored), created when
// missing; an existing set keeps its name and is updated in place.
void StoreSettings(TStoredSettingsList& Stored, std::string_view Name, const TKorrinSettings& Settings);

}  // namespace korrin
