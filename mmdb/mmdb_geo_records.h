#pragma once
// The geolocation records a look-up fills, laid out like the Country and City databases' maps.
// The plain family carries codes and ids; the Ex family adds localized names and the City parts.
#include <cstdint>
#include <string>

#include "mmdb/mmdb_record.h"

namespace korrin {

// Adds the localized "names" of the Ex family to a plain class.
template <class Base>
class TMMDBNamed : public Base {
 public:
  const TMMDBDictionary& Names() const { return FNames; }

 protected:
  TMMDBDictionary FNames;
};

// Adds the "type" of a represented country to a country class.
template <class Base>
class TMMDBRepresented : public Base {
 public:
  const std::string& RType() const { return FRType; }

 protected:
  std::string FRType;
};

class TMMDBContinentInfo : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  const std::string& Code() const { return FCode; }
  int64_t GeonameId() const { return FGeonameId; }

 private:
  std::string FCode;
  int64_t FGeonameId = 0;
};

class TMMDBContinentInfoEx : public TMMDBNamed<TMMDBContinentInfo> {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

class TMMDBCountryInfo : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  int64_t GeonameId() const { return FGeonameId; }
  const std::string& ISOCode() const { return FISOCode; }
  bool IsInEuropeanUnion() const { return FIsInEuropeanUnion; }

 private:
  int64_t FGeonameId = 0;
  std::string FISOCode;
  bool FIsInEuropeanUnion = false;
};

class TMMDBCountryInfoEx : public TMMDBNamed<TMMDBCountryInfo> {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

class TMMDBRepresentedCountryInfo : public TMMDBRepresented<TMMDBCountryInfo> {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

class TMMDBRepresentedCountryInfoEx : public TMMDBRepresented<TMMDBCountryInfoEx> {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

// A subdivision takes exactly the keys of a country.
class TMMDBSubdivisionEx : public TMMDBCountryInfoEx {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

class TMMDBTraitsInfo : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  bool IsAnonymousProxy() const { return FIsAnonymousProxy; }
  bool IsSatelliteProvider() const { return FIsSatelliteProvider; }

 private:
  bool FIsAnonymousProxy = false;
  bool FIsSatelliteProvider = false;
};

class TMMDBCityInfo : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  int64_t GeonameId() const { return FGeonameId; }

 private:
  int64_t FGeonameId = 0;
};

class TMMDBCityInfoEx : public TMMDBNamed<TMMDBCityInfo> {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
};

class TMMDBLocation : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  int32_t Accuracy() const { return FAccuracy; }
  double Latitude() const { return FLatitude; }
  double Longitude() const { return FLongitude; }
  int32_t MetroCode() const { return FMetroCode; }
  const std::string& TimeZone() const { return FTimeZone; }

 private:
  int32_t FAccuracy = 0;
  double FLatitude = 0;
  double FLongitude = 0;
  int32_t FMetroCode = 0;
  std::string FTimeZone;
};

class TMMDBPostal : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  const std::string& Code() const { return FCode; }

 private:
  std::string FCode;
};

class TMMDBIPCountryInfo : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  const TMMDBContinentInfo& Continent() const { return FContinent; }
  const TMMDBCountryInfo& Country() const { return FCountry; }
  const TMMDBCountryInfo& RegisteredCountry() const { return FRegisteredCountry; }
  const TMMDBRepresentedCountryInfo& RepresentedCountry() const { return FRepresentedCountry; }
  const TMMDBTraitsInfo& Traits() const { return FTraits; }

 private:
  TMMDBContinentInfo FContinent;
  TMMDBCountryInfo FCountry;
  TMMDBCountryInfo FRegisteredCountry;
  TMMDBRepresentedCountryInfo FRepresentedCountry;
  TMMDBTraitsInfo FTraits;
};

class TMMDBIPCountryInfoEx : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  const TMMDBContinentInfoEx& Continent() const { return FContinent; }
  const TMMDBCountryInfoEx& Country() const { return FCountry; }
  const TMMDBCountryInfoEx& RegisteredCountry() const { return FRegisteredCountry; }
  const TMMDBRepresentedCountryInfoEx& RepresentedCountry() const { return FRepresentedCountry; }
  const TMMDBTraitsInfo& Traits() const { return FTraits; }

 private:
  TMMDBContinentInfoEx FContinent;
  TMMDBCountryInfoEx FCountry;
  TMMDBCountryInfoEx FRegisteredCountry;
  TMMDBRepresentedCountryInfoEx FRepresentedCountry;
  TMMDBTraitsInfo FTraits;
};

using TMMDBSubdivisionList = TMMDBRecordList<TMMDBSubdivisionEx>;

class TMMDBIPCountryCityInfoEx : public TMMDBIPCountryInfoEx {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  const TMMDBCityInfoEx& City() const { return FCity; }
  const TMMDBLocation& Location() const { return FLocation; }
  const TMMDBPostal& Postal() const { return FPostal; }
  const TMMDBSubdivisionList& Subdivisions() const { return FSubdivisions; }

 private:
  TMMDBCityInfoEx FCity;
  TMMDBLocation FLocation;
  TMMDBPostal FPostal;
  TMMDBSubdivisionList FSubdivisions;
};

}  // namespace korrin
