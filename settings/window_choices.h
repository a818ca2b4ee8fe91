#pragma once
// Every choice of the main window as one plain value, with its defaults, and its form as the
// name=value keys of the settings file; the window binds its controls to it and the command line
// reads it, so both see the same choices the same way.
#include <cstdint>
#include <string>
#include <vector>

#include "mmdb/mmdb_columns.h"
#include "settings/hashed_string_list.h"

namespace korrin {

// The count choice; the numbers are those the settings file stores under "Mode".
enum class TCountChoice : int32_t { AllIPs = 0, TotalCount = 1, ForEachRange = 2 };

// Item counts of the delimiter drop-downs: names "Whitespace", "Tab", "Comma", "Semicolon",
// "Custom"; lists "End-Of-Line", "Comma", "Semicolon".
constexpr int32_t kNameDelimiterCount = 5;
constexpr int32_t kNameDelimiterCustom = 4;
constexpr int32_t kListDelimiterCount = 3;

// The reverse lookup's queries in flight: one asks one address at a time.
constexpr int32_t kMaxQueriesInFlight = 1000;
constexpr int32_t kDefaultQueriesInFlight = 64;

struct TKorrinSettings {
  bool ResolveCountry = false;
  std::string MMDBFilePath;
  std::string MMDBField{kCountryCodeField};  // the record field of the database column
  bool Append = false;
  std::vector<std::string> IPRanges;
  bool UsableHostIPAddresses = false;
  bool Exclude = false;
  std::vector<std::string> ExcludeMasks;
  std::vector<std::string> DNSServers{"8.8.8.8", "8.8.4.4"};
  int32_t DNSQueriesInFlight = kDefaultQueriesInFlight;  // 1 to kMaxQueriesInFlight
  TCountChoice Mode = TCountChoice::AllIPs;
  // The count boxes hold text: what the user typed is checked only when a job starts.
  std::string TotalCount = "10";
  std::string EachCount = "10";
  bool RandomOrder = false;
  bool UniqueAddresses = false;  // each address once, however many ranges hold it
  bool EscapeIPv6 = false;
  bool AddPort = false;
  std::string Ports = "80";
  bool GenerateNames = false;
  std::string NameTemplate = "mail#.example.com";
  std::string CounterSymbol = "#";
  std::string FirstCounter = "1";
  std::string CounterStep = "1";
  std::string CounterDigits = "1";
  int32_t NameDelimiter = 0;  // index into the name delimiters; the custom box shows at 4
  std::string NameCustomDelimiter = "|";
  int32_t IPDelimiter = 0;  // index into the list delimiters, for the output list
  int32_t ResolvedDelimiter = 0;
  int32_t UnresolvedDelimiter = 0;
  // Where the window was and how its panels were split, as the window encodes them (base64 text);
  // the window checks them against the screens it finds, so any text is safe here.
  std::string WindowGeometry;
  std::string WindowSplitter;
  std::string ViewerSize;  // "width x height" of the database's viewer, as last closed

  bool operator==(const TKorrinSettings&) const = default;
};

// Writes every choice by name, in the order of the settings file; empty texts are not written.
void SaveSettingsToList(const TKorrinSettings& Settings, TVHashedStringList& List);

// Applies the keys of `List` to `Settings`: flags and the database path always, the other texts
// and the lists only where their key is present, numbers falling back to their defaults.
void LoadSettingsFromList(const TVHashedStringList& List, TKorrinSettings& Settings);

// Every choice in which `Changed` differs from `Base` copied into `Into`; the others are left as
// `Into` has them: how a save keeps what another window changed meanwhile.
void TakeChangedChoices(const TKorrinSettings& Base, const TKorrinSettings& Changed, TKorrinSettings& Into);

}  // namespace korrin
