#include "mmdb/mmdb_meta_reader.h"

#include <algorithm>

#include "common/text.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_metadata_lines.h"
#include "viewer/tolerant_utf8.h"

namespace korrin {

namespace {

const char* const kCountryHeader =
    "network,continent_code,continent_geoname_id,country_iso_code,country_geoname_id,registered_country_iso_code,"
    "registered_country_geoname_id";
const char* const kCityColumns = ",city_geoname_id,en_city_name,en_state_name,postal_code";

std::string EnglishName(const TMMDBDictionary& names) {
  const auto en = names.find("en");
  return en == names.end() ? std::string() : en->second;
}

// The network's first address with the host bits cleared, a "/" and the prefix length.
std::string NetworkText(const TMMDBIPAddress& start, int prefix) {
  std::vector<uint8_t> bytes = start.GetAddressBytes();
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int kept = std::clamp(prefix - static_cast<int>(i) * 8, 0, 8);
    bytes[i] &= static_cast<uint8_t>(0xFF00u >> kept);
  }
  return TMMDBIPAddress(bytes).ToString() + "/" + std::to_string(prefix);
}

template <class T>
std::string CountryColumns(const TMMDBIteratorNode<T>& item) {
  const T& r = item.Data();
  return Format("%s,%s,%lld,%s,%lld,%s,%lld", NetworkText(item.Start(), item.Prefix()).c_str(),
                r.Continent().Code().c_str(), static_cast<long long>(r.Continent().GeonameId()),
                r.Country().ISOCode().c_str(), static_cast<long long>(r.Country().GeonameId()),
                r.RegisteredCountry().ISOCode().c_str(), static_cast<long long>(r.RegisteredCountry().GeonameId()));
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
                                       EnglishName(r.City().Names()).c_str(), state.c_str(),
                                       r.Postal().Code().c_str());
}

template <class T, class F>
void AppendRows(TMMDBReader& reader, TStringList& lines, F format) {
  TMMDBEnumerator<T> walk = TMMDBEnumerable<T>(reader, true).GetEnumerator();
  while (static_cast<int>(lines.size()) < TMMDBMetaReader::kMaxLines && walk.MoveNext())
    lines.push_back(Utf8ToUtf16(format(*walk.Current())));
}

}  // namespace

TMMDBMetaReader::TMMDBMetaReader(const std::string& Filename, int32_t /*BufferSize*/)
    : TLineReader(new TStringList, true), FMMDBReader(std::make_unique<TMMDBReader>(Filename)) {
  TStringList& lines = *Lines();
  for (const auto& line : MMDBMetadataLines(FMMDBReader->Metadata())) lines.push_back(Utf8ToUtf16(line));
  if (FMMDBReader->Metadata().IsCityDatabase()) {
    lines.push_back(Utf8ToUtf16(std::string(kCountryHeader) + kCityColumns));
    AppendRows<TMMDBIPCountryCityInfoEx>(*FMMDBReader, lines, FormatCityRow);
  } else {
    lines.push_back(Utf8ToUtf16(kCountryHeader));
    AppendRows<TMMDBIPCountryInfo>(*FMMDBReader, lines, FormatCountryRow);
  }
}

}  // namespace korrin
