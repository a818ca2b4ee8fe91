#pragma once
// The columns a look-up puts beside an address: the country code, found in whichever of the
// common layouts the database's records use, and any other field by its path. The texts are
// remembered per data record, since many addresses share one record.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_reader.h"

namespace korrin {

// The field name that stands for the country code of any layout.
inline constexpr std::string_view kCountryCodeField = "country_code";

// "city.names.en" as its steps; raises with the path named when a step is empty.
std::vector<std::string> ParseFieldPath(std::string_view path);

// What a record's fields are named by: its top-level keys, or the paths of its scalar values
// ("city.names.en", "subdivisions.0.iso_code").
enum class TFieldNames { TopLevel, Paths };

// The fields the records of `rows` hold, each once in the order met, at most `limit`: the
// columns a database can offer, learnt from its first networks.
std::vector<std::string> FieldsOfRecords(const TMMDBReader& reader, std::span<const TMMDBNetworkRow> rows,
                                         TFieldNames names, size_t limit);

// The field paths a user can choose a column from: the country code first, then the paths the
// records of the database's first networks hold.
std::vector<std::string> ChoosableFields(TMMDBReader& reader);

class TMMDBColumns {
 public:
  // One column per field, in order; kCountryCodeField gives the country code. Raises when a
  // path does not read. Without `remember`, each record's texts are found anew, for callers
  // that use them at once: in random order a table of every record met costs more than it saves.
  TMMDBColumns(const TMMDBReader& reader, const std::vector<std::string>& fields, bool remember = true);

  // The texts of the data record's columns, empty where it lacks the field; record 0 (no data)
  // gives empty texts. Remembered, they are kept as long as this object (the records are bounded
  // by the database's data section); else only until the next call. Raises on a corrupt record,
  // which is then not remembered.
  const std::vector<std::string>& Of(uint32_t record);
  // After a run: why its country column is empty when the records met hold no country field
  // at all, naming the fields the first of them holds; empty otherwise.
  std::string Warning() const;

 private:
  struct TColumn {
    bool Country = false;
    std::vector<std::string> Path;
  };
  std::string CountryCode(uint32_t record);
  void Fill(uint32_t record, std::vector<std::string>& texts);

  const TMMDBReader& FReader;
  std::vector<TColumn> FColumns;
  bool FHasCountryColumn = false;
  std::unordered_map<uint32_t, std::vector<std::string>> FTexts;  // by data record
  std::vector<std::string> FNone;
  bool FRemember;
  std::vector<std::string> FLatest;  // the texts of the last record, when not remembered
  uint32_t FFirstRecord = 0;         // the first record met, 0 before
  // Addresses in order mostly fall in the network of the one before: its texts without a search.
  uint32_t FLastRecord = 0;
  const std::vector<std::string>* FLastTexts = nullptr;
  bool FCountryFieldSeen = false;
};

}  // namespace korrin
