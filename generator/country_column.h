#pragma once
// The country code of each generated address, looked up in a MaxMind DB file for the length of
// one run. Codes are remembered per data record: many addresses share one record, and the code
// is the record's own, so a second decode of the same record could only give the same answer.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "address/ip_types.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"

namespace korrin {

class TCountryColumn {
 public:
  // Opens the database; raises the reader's message on a file it cannot read.
  explicit TCountryColumn(const std::string& fileName);
  // The two-letter code, empty when the database has no record for the address or the record
  // holds no country code; the text stays valid as long as this object. Raises on a corrupt
  // database.
  const std::string& CodeOf(const TIPAddr& address);

 private:
  TMMDBReader FReader;
  bool FCity;  // a City database: its records are read as city records
  TMMDBIPCountryInfoEx FCountryRecord;
  TMMDBIPCountryCityInfoEx FCityRecord;
  std::unordered_map<uint32_t, std::string> FCodes;  // by data record
  uint32_t FLastRecord = 0;                          // the record of the last code returned (0: none), and its code
  const std::string* FLastCode = nullptr;
  const std::string FNone;
};

}  // namespace korrin
