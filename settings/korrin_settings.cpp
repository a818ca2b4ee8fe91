#include "settings/korrin_settings.h"

#include "common/text.h"
#include "settings/numbered_keys.h"

namespace korrin {

namespace {

void SaveFlag(TVHashedStringList& list, std::string_view key, bool value) {
  list.SetValues(key, value ? "1" : "0");
}

void LoadFlag(const TVHashedStringList& list, std::string_view key, bool& value) {
  value = list.Values(key) == "1";
}

// The non-empty lines as Stem1, Stem2, ... and their number as StemN, which is written also as 0.
void SaveLines(TVHashedStringList& list, std::string_view stem, const std::vector<std::string>& lines) {
  int32_t n = 0;
  for (const auto& line : lines)
    if (!line.empty()) list.SetValues(NumberedKey(stem, ++n), line);
  list.SetValues(std::string(stem) + "N", std::to_string(n));
}

// Without a usable StemN the lines stay as they are; StemN=0 empties them.
void LoadLines(const TVHashedStringList& list, std::string_view stem, std::vector<std::string>& lines) {
  const auto n = TryStrToInt(list.Values(std::string(stem) + "N"));
  if (!n || *n < 0) return;
  lines.clear();
  for (const int32_t i : PresentNumberedKeys(list, stem, "", *n)) {
    std::string value = list.Values(NumberedKey(stem, i));
    if (!value.empty()) lines.push_back(std::move(value));
  }
}

void LoadIfPresent(const TVHashedStringList& list, std::string_view key, std::string& value) {
  if (list.IndexOfName(key) >= 0) value = list.Values(key);
}

// A count box shows the number read back in decimal, or its default for text that is no number.
std::string LoadCount(const TVHashedStringList& list, std::string_view key) {
  return std::to_string(StrToIntDef(list.Values(key), 10));
}

// A selection outside the drop-down's items leaves the current one.
void LoadIndex(const TVHashedStringList& list, std::string_view key, int32_t item_count,
               int32_t& index) {
  const int32_t value = StrToIntDef(list.Values(key), 0);
  if (value >= 0 && value < item_count) index = value;
}

}  // namespace

void SaveSettingsToList(const TKorrinSettings& Settings, TVHashedStringList& List) {
  SaveFlag(List, "ResolveCountry", Settings.ResolveCountry);
  List.SetValues("MMDBFilePath", Settings.MMDBFilePath);
  SaveFlag(List, "Append", Settings.Append);
  SaveLines(List, "IPRange", Settings.IPRanges);
  SaveFlag(List, "UsableHostIPAddresses", Settings.UsableHostIPAddresses);
  SaveFlag(List, "Exclude", Settings.Exclude);
  SaveLines(List, "Exclude", Settings.ExcludeMasks);
  SaveLines(List, "DNS", Settings.DNSServers);
  List.SetValues("Mode", std::to_string(static_cast<int32_t>(Settings.Mode)));
  List.SetValues("TotalCount", Settings.TotalCount);
  List.SetValues("EachCount", Settings.EachCount);
  SaveFlag(List, "Random", Settings.RandomOrder);
  SaveFlag(List, "EscapeIPv6", Settings.EscapeIPv6);
  SaveFlag(List, "AddPort", Settings.AddPort);
  List.SetValues("Ports", Settings.Ports);
  SaveFlag(List, "GenerateNames", Settings.GenerateNames);
  List.SetValues("NameTemplate", Settings.NameTemplate);
  List.SetValues("CounterSymbol", Settings.CounterSymbol);
  List.SetValues("FirstCounter", Settings.FirstCounter);
  List.SetValues("CounterStep", Settings.CounterStep);
  List.SetValues("CounterDigits", Settings.CounterDigits);
  List.SetValues("NameDelimiter", std::to_string(Settings.NameDelimiter));
  List.SetValues("NameCustomDelimiter", Settings.NameCustomDelimiter);
  List.SetValues("IPDelimiter", std::to_string(Settings.IPDelimiter));
  List.SetValues("ResolvedDelimiter", std::to_string(Settings.ResolvedDelimiter));
  List.SetValues("UnresolvedDelimiter", std::to_string(Settings.UnresolvedDelimiter));
}

void LoadSettingsFromList(const TVHashedStringList& List, TKorrinSettings& Settings) {
  LoadFlag(List, "ResolveCountry", Settings.ResolveCountry);
  Settings.MMDBFilePath = List.Values("MMDBFilePath");
  LoadFlag(List, "Append", Settings.Append);
  LoadLines(List, "IPRange", Settings.IPRanges);
  LoadFlag(List, "UsableHostIPAddresses", Settings.UsableHostIPAddresses);
  LoadFlag(List, "Exclude", Settings.Exclude);
  LoadLines(List, "Exclude", Settings.ExcludeMasks);
  LoadLines(List, "DNS", Settings.DNSServers);
  switch (StrToIntDef(List.Values("Mode"), 0)) {
    case 1: Settings.Mode = TCountChoice::TotalCount; break;
    case 2: Settings.Mode = TCountChoice::ForEachRange; break;
    default: Settings.Mode = TCountChoice::AllIPs; break;
  }
  Settings.TotalCount = LoadCount(List, "TotalCount");
  Settings.EachCount = LoadCount(List, "EachCount");
  LoadFlag(List, "Random", Settings.RandomOrder);
  LoadFlag(List, "EscapeIPv6", Settings.EscapeIPv6);
  LoadFlag(List, "AddPort", Settings.AddPort);
  LoadIfPresent(List, "Ports", Settings.Ports);
  LoadFlag(List, "GenerateNames", Settings.GenerateNames);
  LoadIfPresent(List, "NameTemplate", Settings.NameTemplate);
  LoadIfPresent(List, "CounterSymbol", Settings.CounterSymbol);
  LoadIfPresent(List, "FirstCounter", Settings.FirstCounter);
  LoadIfPresent(List, "CounterStep", Settings.CounterStep);
  LoadIfPresent(List, "CounterDigits", Settings.CounterDigits);
  LoadIndex(List, "NameDelimiter", kNameDelimiterCount, Settings.NameDelimiter);
  LoadIfPresent(List, "NameCustomDelimiter", Settings.NameCustomDelimiter);
  LoadIndex(List, "IPDelimiter", kListDelimiterCount, Settings.IPDelimiter);
  LoadIndex(List, "ResolvedDelimiter", kListDelimiterCount, Settings.ResolvedDelimiter);
  LoadIndex(List, "UnresolvedDelimiter", kListDelimiterCount, Settings.UnresolvedDelimiter);
}

}  // namespace korrin
