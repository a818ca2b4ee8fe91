#pragma once
// The settings file as a whole: the window's choices followed by the stored sets, read into and
// written from the value types, so that the window and the command line share one reader.
#include <string>
#include <string_view>

#include "settings/korrin_settings.h"
#include "settings/stored_settings_list.h"

namespace korrin {

constexpr std::string_view kStoredSettingsName = "StoredList";
constexpr std::string_view kSettingName = "Setting";

// False, with nothing changed, when the file does not exist; a file that cannot be read raises.
bool LoadSettings(const std::string& FileName, TKorrinSettings& Settings, TStoredSettingsList& Stored);

// Rebuilds the file from nothing; it is replaced whole or, on failure, left as it was.
void SaveSettings(const std::string& FileName, const TKorrinSettings& Settings,
                  const TStoredSettingsList& Stored);

// The choices kept in stored set `Name` applied over `Settings`; false when there is no such set.
bool LoadStoredSettings(const TStoredSettingsList& Stored, std::string_view Name,
                        TKorrinSettings& Settings);

// The Save button: the choices into the set of that name (letter case ignored), created when
// missing; an existing set keeps its name and is updated in place.
void StoreSettings(TStoredSettingsList& Stored, std::string_view Name, const TKorrinSettings& Settings);

}  // namespace korrin
