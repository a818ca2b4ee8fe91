#include "viewer/mmdb_meta_reader.h"

#include <algorithm>

#include "common/text.h"
#include "common/utf16.h"
#include "mmdb/mmdb_columns.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_json.h"
#include "mmdb/mmdb_metadata_lines.h"

namespace korrin {

namespace {

const char* const kCountryHeader =
    "network,continent_code,continent_geoname_id,country_iso_code,country_geoname_id,registered_country_iso_code,"
    "registered_country_geoname_id";
const char* const kCityColumns = ",city_geoname_id,en_city_name,en_state_name,postal_code";

std::string Field(const std::string& value) { return CSVField(value); }

std::string EnglishName(const TMMDBDictionary& names) {
  const auto en = names.find("en");
  return en == names.end() ? std::string() : en->second;
}

template <class T>
std::string CountryColumns(const std::string& network, const T& r) {
  return Format("%s,%s,%lld,%s,%lld,%s,%lld", network.c_str(), Field(r.Continent().Code()).c_str(),
                static_cast<long long>(r.Continent().GeonameId()), Field(r.Country().ISOCode()).c_str(),
                static_cast<long long>(r.Country().GeonameId()), Field(r.RegisteredCountry().ISOCode()).c_str(),
                static_cast<long long>(r.RegisteredCountry().GeonameId()));
}

std::string CityRow(const std::string& network, const TMMDBIPCountryCityInfoEx& r) {
  std::string state;
  for (const auto& subdivision : r.Subdivisions()) {
    state = EnglishName(subdivision.Names());
    if (!state.empty()) break;
  }
  return CountryColumns(network, r) + Format(",%lld,%s,%s,%s", static_cast<long long>(r.City().GeonameId()),
                                             Field(EnglishName(r.City().Names())).c_str(), Field(state).c_str(),
                                             Field(r.Postal().Code()).c_str());
}

// The vendor's layout keeps the country, its continent and the registered country as maps.
bool VendorLayout(const TMMDBReader& reader, const std::vector<TMMDBNetworkRow>& rows) {
  if (reader.Metadata().IsCityDatabase()) return true;
  if (rows.empty()) return true;
  std::string text;
  for (const char* key : {"country", "registered_country", "continent"}) {
    const std::string path[] = {key};
    if (reader.RecordField(rows.front().Record, path, text, true) && text.starts_with('{')) return true;
  }
  return false;
}

template <class T, class F>
void AppendVendorRows(const TMMDBReader& reader, const std::vector<TMMDBNetworkRow>& rows, TStringList& lines,
                      F format) {
  T record;
  for (const TMMDBNetworkRow& row : rows) {
    // Cleared first, so a row carries only its own network's values.
    record.Clear();
    reader.ResolveRecordInto(row.Record, record);
    lines.push_back(Utf8ToUtf16(format(row.Network, record)));
  }
}

// Any other layout: a column per top-level key of the first records, in the order met, and one
// with the keys of later records as JSON.
void AppendOtherRows(const TMMDBReader& reader, const std::vector<TMMDBNetworkRow>& rows, TStringList& lines) {
  constexpr size_t kSampledRecords = 100;
  constexpr size_t kMaxColumns = 32;
  const std::vector<std::string> columns = FieldsOfRecords(
      reader, std::span(rows).first(std::min(rows.size(), kSampledRecords)), TFieldNames::TopLevel, kMaxColumns);
  std::string header = "network";
  for (const std::string& column : columns) header += "," + Field(column);
  lines.push_back(Utf8ToUtf16(header + ",other_fields"));
  std::string text;
  for (const TMMDBNetworkRow& row : rows) {
    std::string line = Field(row.Network);
    for (const std::string& column : columns) {
      const std::string path[] = {column};
      line += ',';
      if (reader.RecordField(row.Record, path, text)) line += Field(text);
    }
    std::string rest;
    for (const std::string& key : reader.RecordKeys(row.Record)) {
      if (std::find(columns.begin(), columns.end(), key) != columns.end()) continue;
      const std::string path[] = {key};
      reader.RecordField(row.Record, path, text, true);
      rest += (rest.empty() ? "{" : ",") + MMDBStringJson(key) + ":" + text;
    }
    lines.push_back(Utf8ToUtf16(line + "," + Field(rest.empty() ? rest : rest + "}")));
  }
}

}  // namespace

TMMDBMetaReader::TMMDBMetaReader(const std::string& Filename, int32_t /*BufferSize*/)
    : TLineReader(TStringList{}), FMMDBReader(std::make_unique<TMMDBReader>(Filename)) {
  TStringList& lines = Lines();
  for (const auto& [name, value] : MMDBMetadataFields(FMMDBReader->Metadata()))
    lines.push_back(Utf8ToUtf16(name + "," + Field(value)));
  const std::vector<TMMDBNetworkRow> rows =
      MMDBFirstNetworks(*FMMDBReader, kMaxLines - std::min<size_t>(kMaxLines, lines.size() + 1));
  if (!VendorLayout(*FMMDBReader, rows)) {
    AppendOtherRows(*FMMDBReader, rows, lines);
  } else if (FMMDBReader->Metadata().IsCityDatabase()) {
    lines.push_back(Utf8ToUtf16(std::string(kCountryHeader) + kCityColumns));
    AppendVendorRows<TMMDBIPCountryCityInfoEx>(*FMMDBReader, rows, lines, CityRow);
  } else {
    lines.push_back(Utf8ToUtf16(kCountryHeader));
    AppendVendorRows<TMMDBIPCountryInfo>(*FMMDBReader, rows, lines, CountryColumns<TMMDBIPCountryInfo>);
  }
}

}  // namespace korrin
