#include "settings/stored_settings_list.h"

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"
#include "settings/numbered_keys.h"

namespace korrin {

std::string TStoredSettingsList::NameKey(std::string_view AName) {
  std::string key(AName);
  for (char& c : key) c = AsciiLower(c);
  return key;
}

void TStoredSettingsList::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= Count()) throw Exception(Format("List index out of bounds (%d)", Index));
}

int32_t TStoredSettingsList::IndexOfName(std::string_view AName) const {
  const auto found = FIndexOfName.find(NameKey(AName));
  return found == FIndexOfName.end() ? -1 : found->second;
}

void TStoredSettingsList::RebuildNameIndex() {
  FIndexOfName.clear();
  for (int32_t i = 0; i < Count(); ++i) FIndexOfName.emplace(NameKey(FItems[i]->Name()), i);
}

void TStoredSettingsList::Clear() {
  FItems.clear();
  FIndexOfName.clear();
}

TStoredSettings* TStoredSettingsList::GetSettingsByName(std::string_view AName) {
  const int32_t index = IndexOfName(AName);
  return index < 0 ? nullptr : FItems[index].get();
}

const TStoredSettings* TStoredSettingsList::GetSettingsByName(std::string_view AName) const {
  const int32_t index = IndexOfName(AName);
  return index < 0 ? nullptr : FItems[index].get();
}

TStoredSettings& TStoredSettingsList::GetSettings(int32_t Index) {
  CheckIndex(Index);
  return *FItems[Index];
}

const TStoredSettings& TStoredSettingsList::GetSettings(int32_t Index) const {
  CheckIndex(Index);
  return *FItems[Index];
}

void TStoredSettingsList::SetSettings(int32_t Index, std::unique_ptr<TStoredSettings> Value) {
  CheckIndex(Index);
  FItems[Index] = std::move(Value);
  RebuildNameIndex();
}

TStoredSettings& TStoredSettingsList::Add(std::unique_ptr<TStoredSettings> Value) {
  FItems.push_back(std::move(Value));
  FIndexOfName.emplace(NameKey(FItems.back()->Name()), Count() - 1);
  return *FItems.back();
}

void TStoredSettingsList::Delete(int32_t Index) {
  CheckIndex(Index);
  FItems.erase(FItems.begin() + Index);
  RebuildNameIndex();
}

void TStoredSettingsList::SaveToList(TVHashedStringList& lst, std::string_view AStoredSettingsName,
                                     std::string_view ASettingName) const {
  const std::string S(AStoredSettingsName);
  std::string T = ".";
  T += ASettingName;
  lst.SetValues(S + "N", std::to_string(Count()));
  for (int32_t i = 1; i <= Count(); ++i) {
    const TVHashedStringList& lines = FItems[i - 1]->Settings();
    lst.SetValues(NumberedKey(S, i, ".Name"), FItems[i - 1]->Name());
    lst.SetValues(NumberedKey(S, i, ".Count"), std::to_string(lines.Count()));
    const std::string prefix = NumberedKey(S, i, T);
    for (int32_t j = 1; j <= lines.Count(); ++j) lst.SetValues(NumberedKey(prefix, j), lines.Get(j - 1));
  }
}

void TStoredSettingsList::LoadFromList(const TVHashedStringList& lst, std::string_view AStoredSettingsName,
                                       std::string_view ASettingName) {
  const std::string S(AStoredSettingsName);
  std::string T = ".";
  T += ASettingName;
  const int32_t n = StrToIntDef(lst.Values(S + "N"), -1);
  if (n <= 0) return;
  const auto lines = PresentNumberedKeyPairs(lst, S, T);
  for (const int32_t i : PresentNumberedKeys(lst, S, ".Name", n)) {
    const std::string name = lst.Values(NumberedKey(S, i, ".Name"));
    if (name.empty()) continue;
    TStoredSettings* set = GetSettingsByName(name);
    if (set) set->Settings().Clear();
    else set = &Add(std::make_unique<TStoredSettings>(name));
    const int32_t count = StrToIntDef(lst.Values(NumberedKey(S, i, ".Count")), -1);
    const std::string prefix = NumberedKey(S, i, T);
    for (auto it = std::lower_bound(lines.begin(), lines.end(), std::pair{i, 1});
         it != lines.end() && it->first == i && it->second <= count; ++it) {
      std::string line = lst.Values(NumberedKey(prefix, it->second));
      if (!line.empty()) set->Settings().Add(std::move(line));
    }
  }
}

}  // namespace korrin
