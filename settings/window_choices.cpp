#include "settings/window_choices.h"

#include "common/text.h"
#include "settings/numbered_keys.h"

namespace korrin {

namespace {

void SaveFlag(TVHashedStringList& list, std::string_view key, bool value) { list.SetValues(key, value ? "1" : "0"); }

void LoadFlag(const TVHashedStringList& list, std::string_view key, bool& value) { value = list.Values(key) == "1"; }

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

// A selection outside the drop-down's items (a number outside its range) leaves the current one.
void LoadIndex(const TVHashedStringList& list, std::string_view key, int32_t first, int32_t item_count,
               int32_t& index) {
  const int32_t value = StrToIntDef(list.Values(key), 0);
  if (value >= first && value < item_count) index = value;
}

enum class TKeyKind { Flag, Text, TextIfPresent, Count, Lines, Mode, Index };

// One key of the settings file and the field it holds; exactly one member pointer is set.
struct TKeyRule {
  const char* Key;
  TKeyKind Kind;
  bool TKorrinSettings::*Flag = nullptr;
  std::string TKorrinSettings::*Text = nullptr;
  std::vector<std::string> TKorrinSettings::*Lines = nullptr;
  int32_t TKorrinSettings::*Index = nullptr;
  int32_t ItemCount = 0;
  int32_t First = 0;  // the lowest index, for a number kept as an index
};

using S = TKorrinSettings;
using K = TKeyKind;

// The keys in the order in which the file holds them; saving and loading both walk this table.
const TKeyRule kKeyRules[] = {
    {.Key = "ResolveCountry", .Kind = K::Flag, .Flag = &S::ResolveCountry},
    {.Key = "MMDBFilePath", .Kind = K::Text, .Text = &S::MMDBFilePath},
    {.Key = "MMDBField", .Kind = K::TextIfPresent, .Text = &S::MMDBField},
    {.Key = "Append", .Kind = K::Flag, .Flag = &S::Append},
    {.Key = "IPRange", .Kind = K::Lines, .Lines = &S::IPRanges},
    {.Key = "UsableHostIPAddresses", .Kind = K::Flag, .Flag = &S::UsableHostIPAddresses},
    {.Key = "Exclude", .Kind = K::Flag, .Flag = &S::Exclude},
    {.Key = "Exclude", .Kind = K::Lines, .Lines = &S::ExcludeMasks},
    {.Key = "DNS", .Kind = K::Lines, .Lines = &S::DNSServers},
    {.Key = "DNSQueriesInFlight",
     .Kind = K::Index,
     .Index = &S::DNSQueriesInFlight,
     .ItemCount = kMaxQueriesInFlight + 1,
     .First = 1},
    {.Key = "Mode", .Kind = K::Mode},
    {.Key = "TotalCount", .Kind = K::Count, .Text = &S::TotalCount},
    {.Key = "EachCount", .Kind = K::Count, .Text = &S::EachCount},
    {.Key = "Random", .Kind = K::Flag, .Flag = &S::RandomOrder},
    {.Key = "UniqueAddresses", .Kind = K::Flag, .Flag = &S::UniqueAddresses},
    {.Key = "EscapeIPv6", .Kind = K::Flag, .Flag = &S::EscapeIPv6},
    {.Key = "AddPort", .Kind = K::Flag, .Flag = &S::AddPort},
    {.Key = "Ports", .Kind = K::TextIfPresent, .Text = &S::Ports},
    {.Key = "GenerateNames", .Kind = K::Flag, .Flag = &S::GenerateNames},
    {.Key = "NameTemplate", .Kind = K::TextIfPresent, .Text = &S::NameTemplate},
    {.Key = "CounterSymbol", .Kind = K::TextIfPresent, .Text = &S::CounterSymbol},
    {.Key = "FirstCounter", .Kind = K::TextIfPresent, .Text = &S::FirstCounter},
    {.Key = "CounterStep", .Kind = K::TextIfPresent, .Text = &S::CounterStep},
    {.Key = "CounterDigits", .Kind = K::TextIfPresent, .Text = &S::CounterDigits},
    {.Key = "NameDelimiter", .Kind = K::Index, .Index = &S::NameDelimiter, .ItemCount = kNameDelimiterCount},
    {.Key = "NameCustomDelimiter", .Kind = K::TextIfPresent, .Text = &S::NameCustomDelimiter},
    {.Key = "IPDelimiter", .Kind = K::Index, .Index = &S::IPDelimiter, .ItemCount = kListDelimiterCount},
    {.Key = "ResolvedDelimiter", .Kind = K::Index, .Index = &S::ResolvedDelimiter, .ItemCount = kListDelimiterCount},
    {.Key = "UnresolvedDelimiter",
     .Kind = K::Index,
     .Index = &S::UnresolvedDelimiter,
     .ItemCount = kListDelimiterCount},
    {.Key = "WindowGeometry", .Kind = K::TextIfPresent, .Text = &S::WindowGeometry},
    {.Key = "WindowSplitter", .Kind = K::TextIfPresent, .Text = &S::WindowSplitter},
    {.Key = "ViewerSize", .Kind = K::TextIfPresent, .Text = &S::ViewerSize},
};

TCountChoice CountChoiceOf(int32_t value) {
  switch (value) {
    case 1: return TCountChoice::TotalCount;
    case 2: return TCountChoice::ForEachRange;
    default: return TCountChoice::AllIPs;
  }
}

}  // namespace

void SaveSettingsToList(const TKorrinSettings& Settings, TVHashedStringList& List) {
  for (const TKeyRule& rule : kKeyRules) {
    switch (rule.Kind) {
      case K::Flag: SaveFlag(List, rule.Key, Settings.*rule.Flag); break;
      case K::Text:
      case K::TextIfPresent:
      case K::Count: List.SetValues(rule.Key, Settings.*rule.Text); break;
      case K::Lines: SaveLines(List, rule.Key, Settings.*rule.Lines); break;
      case K::Mode: List.SetValues(rule.Key, std::to_string(static_cast<int32_t>(Settings.Mode))); break;
      case K::Index: List.SetValues(rule.Key, std::to_string(Settings.*rule.Index)); break;
    }
  }
}

void LoadSettingsFromList(const TVHashedStringList& List, TKorrinSettings& Settings) {
  for (const TKeyRule& rule : kKeyRules) {
    switch (rule.Kind) {
      case K::Flag: LoadFlag(List, rule.Key, Settings.*rule.Flag); break;
      case K::Text: Settings.*rule.Text = List.Values(rule.Key); break;
      case K::TextIfPresent: LoadIfPresent(List, rule.Key, Settings.*rule.Text); break;
      case K::Count: Settings.*rule.Text = LoadCount(List, rule.Key); break;
      case K::Lines: LoadLines(List, rule.Key, Settings.*rule.Lines); break;
      case K::Mode: Settings.Mode = CountChoiceOf(StrToIntDef(List.Values(rule.Key), 0)); break;
      case K::Index: LoadIndex(List, rule.Key, rule.First, rule.ItemCount, Settings.*rule.Index); break;
    }
  }
}

void TakeChangedChoices(const TKorrinSettings& Base, const TKorrinSettings& Changed, TKorrinSettings& Into) {
  const auto take = [&](auto member) {
    if (!(Base.*member == Changed.*member)) Into.*member = Changed.*member;
  };
  for (const TKeyRule& rule : kKeyRules) {
    switch (rule.Kind) {
      case K::Flag: take(rule.Flag); break;
      case K::Text:
      case K::TextIfPresent:
      case K::Count: take(rule.Text); break;
      case K::Lines: take(rule.Lines); break;
      case K::Mode: take(&S::Mode); break;
      case K::Index: take(rule.Index); break;
    }
  }
}

}  // namespace korrin
