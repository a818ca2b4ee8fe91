#include "mmdb/mmdb_geo_records.h"

namespace korrin {

using T = TMMDBKeyTable;

const T& TMMDBContinentInfo::KeyTable() {
  static const T table{
      "TMMDBContinentInfo",
      {MMDBKey<&TMMDBContinentInfo::FCode>("code"), MMDBKey<&TMMDBContinentInfo::FGeonameId>("geoname_id")}};
  return table;
}

const T& TMMDBContinentInfoEx::KeyTable() {
  static const T table{
      TMMDBContinentInfo::KeyTable(), "TMMDBContinentInfoEx", {MMDBKey<&TMMDBContinentInfoEx::FNames>("names")}};
  return table;
}

const T& TMMDBCountryInfo::KeyTable() {
  static const T table{
      "TMMDBCountryInfo",
      {MMDBKey<&TMMDBCountryInfo::FGeonameId>("geoname_id"), MMDBKey<&TMMDBCountryInfo::FISOCode>("iso_code"),
       MMDBKey<&TMMDBCountryInfo::FIsInEuropeanUnion>("is_in_european_union")}};
  return table;
}

const T& TMMDBCountryInfoEx::KeyTable() {
  static const T table{
      TMMDBCountryInfo::KeyTable(), "TMMDBCountryInfoEx", {MMDBKey<&TMMDBCountryInfoEx::FNames>("names")}};
  return table;
}

const T& TMMDBRepresentedCountryInfo::KeyTable() {
  static const T table{TMMDBCountryInfo::KeyTable(),
                       "TMMDBRepresentedCountryInfo",
                       {MMDBKey<&TMMDBRepresentedCountryInfo::FRType>("type")}};
  return table;
}

const T& TMMDBRepresentedCountryInfoEx::KeyTable() {
  static const T table{TMMDBCountryInfoEx::KeyTable(),
                       "TMMDBRepresentedCountryInfoEx",
                       {MMDBKey<&TMMDBRepresentedCountryInfoEx::FRType>("type")}};
  return table;
}

const T& TMMDBSubdivisionEx::KeyTable() {
  static const T table{TMMDBCountryInfoEx::KeyTable(), "TMMDBSubdivisionEx", {}};
  return table;
}

const T& TMMDBTraitsInfo::KeyTable() {
  static const T table{"TMMDBTraitsInfo",
                       {MMDBKey<&TMMDBTraitsInfo::FIsAnonymousProxy>("is_anonymous_proxy"),
                        MMDBKey<&TMMDBTraitsInfo::FIsSatelliteProvider>("is_satellite_provider")}};
  return table;
}

const T& TMMDBCityInfo::KeyTable() {
  static const T table{"TMMDBCityInfo", {MMDBKey<&TMMDBCityInfo::FGeonameId>("geoname_id")}};
  return table;
}

const T& TMMDBCityInfoEx::KeyTable() {
  static const T table{TMMDBCityInfo::KeyTable(), "TMMDBCityInfoEx", {MMDBKey<&TMMDBCityInfoEx::FNames>("names")}};
  return table;
}

const T& TMMDBLocation::KeyTable() {
  static const T table{
      "TMMDBLocation",
      {MMDBKey<&TMMDBLocation::FAccuracy>("accuracy_radius"), MMDBKey<&TMMDBLocation::FLatitude>("latitude"),
       MMDBKey<&TMMDBLocation::FLongitude>("longitude"), MMDBKey<&TMMDBLocation::FMetroCode>("metro_code"),
       MMDBKey<&TMMDBLocation::FTimeZone>("time_zone")}};
  return table;
}

const T& TMMDBPostal::KeyTable() {
  static const T table{"TMMDBPostal", {MMDBKey<&TMMDBPostal::FCode>("code")}};
  return table;
}

const T& TMMDBIPCountryInfo::KeyTable() {
  static const T table{
      "TMMDBIPCountryInfo",
      {MMDBKey<&TMMDBIPCountryInfo::FContinent>("continent"), MMDBKey<&TMMDBIPCountryInfo::FCountry>("country"),
       MMDBKey<&TMMDBIPCountryInfo::FRegisteredCountry>("registered_country"),
       MMDBKey<&TMMDBIPCountryInfo::FRepresentedCountry>("represented_country"),
       MMDBKey<&TMMDBIPCountryInfo::FTraits>("traits")}};
  return table;
}

const T& TMMDBIPCountryInfoEx::KeyTable() {
  static const T table{
      "TMMDBIPCountryInfoEx",
      {MMDBKey<&TMMDBIPCountryInfoEx::FContinent>("continent"), MMDBKey<&TMMDBIPCountryInfoEx::FCountry>("country"),
       MMDBKey<&TMMDBIPCountryInfoEx::FRegisteredCountry>("registered_country"),
       MMDBKey<&TMMDBIPCountryInfoEx::FRepresentedCountry>("represented_country"),
       MMDBKey<&TMMDBIPCountryInfoEx::FTraits>("traits")}};
  return table;
}

const T& TMMDBIPCountryCityInfoEx::KeyTable() {
  static const T table{
      TMMDBIPCountryInfoEx::KeyTable(),
      "TMMDBIPCountryCityInfoEx",
      {MMDBKey<&TMMDBIPCountryCityInfoEx::FCity>("city"), MMDBKey<&TMMDBIPCountryCityInfoEx::FLocation>("location"),
       MMDBKey<&TMMDBIPCountryCityInfoEx::FPostal>("postal"),
       MMDBKey<&TMMDBIPCountryCityInfoEx::FSubdivisions>("subdivisions")}};
  return table;
}

}  // namespace korrin
