#pragma once
// The stored sets of settings in their order, owning each set, and their form as numbered
// name=value keys inside the settings file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/hashed_string_list.h"
#include "settings/stored_settings.h"

namespace korrin {

class TStoredSettingsList {
 public:
  // The form in which names compare: the 26 ASCII letters without their case.
  static std::string NameKey(std::string_view AName);

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // First set whose name equals `AName` ignoring the case of A to Z, or -1.
  int32_t IndexOfName(std::string_view AName) const;
  TStoredSettings* GetSettingsByName(std::string_view AName);
  const TStoredSettings* GetSettingsByName(std::string_view AName) const;
  TStoredSettings& GetSettings(int32_t Index);
  const TStoredSettings& GetSettings(int32_t Index) const;
  void SetSettings(int32_t Index, std::unique_ptr<TStoredSettings> Value);
  TStoredSettings& Add(std::unique_ptr<TStoredSettings> Value);
  void Delete(int32_t Index);
  void Clear();

  // Keys: S + "N" (also 0), then per set i from 1: S i ".Name", S i ".Count", S i "." T j.
  void SaveToList(TVHashedStringList& lst, std::string_view AStoredSettingsName, std::string_view ASettingName) const;
  // A set whose name is already present (any letter case) has its lines replaced by the later one.
  void LoadFromList(const TVHashedStringList& lst, std::string_view AStoredSettingsName, std::string_view ASettingName);

 private:
  void CheckIndex(int32_t Index) const;
  void RebuildNameIndex();

  std::vector<std::unique_ptr<TStoredSettings>> FItems;
  // The first set of each name, its A to Z lower-cased: finding a set by name costs the same with
  // a hundred thousand sets as with ten, so loading and storing them stays linear.
  std::unordered_map<std::string, int32_t> FIndexOfName;
};

}  // namespace korrin
