#include "viewer/mmdb_meta_reader.h"

#include "common/text.h"
#include "common/utf16.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_metadata_lines.h"

namespace korrin {

namespace {

const char* const kCountryHeader =
    "network,continent_code,continent_geoname_id,country_iso_code,country_geoname_id,registered_country_iso_code,"
    "registered_country_geoname_id";
const char* const kCityColumns = ",city_geoname_id,en_city_name,en_state_name,postal_code";

// A value as one CSV field: quoted, its quotes doubled, when it holds the delimiter, a quote or a
// line break ("Blaine, Minnesota"), so that the columns never shift.
std::string Field(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string EnglishName(const TMMDBDictionary& names) {
  const auto en = names.find("en");
  return en == names.end() ? std::string() : en->second;
}

template <class T>
std::string CountryColumns(const TMMDBIteratorNode<T>& item) {
  const T& r = item.Data();
  return Format("%s,%s,%lld,%s,%lld,%s,%lld", item.Start().NetworkText(item.Prefix()).c_str(),
                Field(r.Continent().Code()).c_str(), static_cast<long long>(r.Continent().GeonameId()),
                Field(r.Country().ISOCode()).c_str(), static_cast<long long>(r.Country().GeonameId()),
                Field(r.RegisteredCountry().ISOCode()).c_str(),
                static_cast<long long>(r.RegisteredCountry().GeonameId()));
}

std::string FormatCountryRow(const TMMDBIteratorNode<TMMDBIPCountryInfo>& item) { return CountryColumns(item); }

std::string FormatCityRow(const TMMDBIteratorNode<TMMDBIPCountryCityInfoEx>& item) {
  const TMMDBIPCountryCityInfoEx& r = item.Data();
  std::string state;
  for (const auto& subdivision : r.Subdivisions()) {
    state = EnglishName(subdivision.Names());
    if (!state.empty()) break;
  }
  return CountryColumns(item) + Format(",%lld,%s,%s,%s", static_cast<long long>(r.City().GeonameId()),
                                       Field(EnglishName(r.City().Names())).c_str(), Field(state).c_str(),
                                       Field(r.Postal().Code()).c_str());
}

template <class T, class F>
void AppendRows(TMMDBReader& reader, TStringList& lines, F format) {
  TMMDBEnumerator<T> walk = TMMDBEnumerable<T>(reader, true).GetEnumerator();
  while (static_cast<int>(lines.size()) < TMMDBMetaReader::kMaxLines && walk.MoveNext())
    lines.push_back(Utf8ToUtf16(format(*walk.Current())));
}

}  // namespace

TMMDBMetaReader::TMMDBMetaReader(const std::string& Filename, int32_t /*BufferSize*/)
    : TLineReader(TStringList{}), FMMDBReader(std::make_unique<TMMDBReader>(Filename)) {
  TStringList& lines = Lines();
  for (const auto& [name, value] : MMDBMetadataFields(FMMDBReader->Metadata()))
    lines.push_back(Utf8ToUtf16(name + "," + Field(value)));
  if (FMMDBReader->Metadata().IsCityDatabase()) {
    lines.push_back(Utf8ToUtf16(std::string(kCountryHeader) + kCityColumns));
    AppendRows<TMMDBIPCountryCityInfoEx>(*FMMDBReader, lines, FormatCityRow);
  } else {
    lines.push_back(Utf8ToUtf16(kCountryHeader));
    AppendRows<TMMDBIPCountryInfo>(*FMMDBReader, lines, FormatCountryRow);
  }
}

}  // namespace korrin
