#include "generator/country_column.h"

#include "address/mmdb_ip_address.h"

namespace korrin {

TCountryColumn::TCountryColumn(const std::string& fileName)
    : FReader(fileName), FCity(FReader.Metadata().IsCityDatabase()) {}

const std::string& TCountryColumn::CodeOf(const TIPAddr& address) {
  const TMMDBIPAddress key = address.ip_family == TIPAddrFamily::IPv4 ? TMMDBIPAddress(address.ipv4)
                                                                     : TMMDBIPAddress(address.ipv6);
  int prefixLength = 0;
  const uint32_t record = FReader.FindAddressNode(key, prefixLength);
  if (record == 0) return FNone;
  auto known = FCodes.find(record);
  if (known != FCodes.end()) return known->second;
  // The record object starts fresh for every decode, so a code never carries over.
  TMMDBIPCountryInfoEx& object = FCity ? FCityRecord : FCountryRecord;
  object.Clear();
  FReader.ResolveRecordInto(record, object);
  return FCodes.emplace(record, object.Country().ISOCode()).first->second;
}

}  // namespace korrin
