#include "generator/country_column.h"

#include "address/mmdb_ip_address.h"

namespace korrin {

TCountryColumn::TCountryColumn(const std::string& fileName)
    : FReader(fileName), FCity(FReader.Metadata().IsCityDatabase()) {}

const std::string& TCountryColumn::CodeOf(const TIPAddr& address) {
  const TMMDBIPAddress key(address);
  int prefixLength = 0;
  const uint32_t record = FReader.FindAddressNode(key, prefixLength);
  if (record == 0) return FNone;
  // Addresses in order mostly fall in the network of the one before.
  if (record == FLastRecord) return *FLastCode;
  auto known = FCodes.find(record);
  if (known == FCodes.end()) {
    // The record object starts fresh for every decode, so a code never carries over.
    TMMDBIPCountryInfoEx& object = FCity ? FCityRecord : FCountryRecord;
    object.Clear();
    FReader.ResolveRecordInto(record, object);
    known = FCodes.emplace(record, object.Country().ISOCode()).first;
  }
  // Set only once the code is known, so a decode that raised is not remembered.
  FLastRecord = record;
  FLastCode = &known->second;
  return *FLastCode;
}

}  // namespace korrin
