#include "generator/country_column.h"

#include "address/mmdb_ip_address.h"

namespace korrin {

TCountryColumn::TCountryColumn(const std::string& fileName, const std::vector<std::string>& fields)
    : FReader(fileName), FColumns(FReader, fields) {}

const std::vector<std::string>& TCountryColumn::Of(const TIPAddr& address) {
  int prefixLength = 0;
  return FColumns.Of(FReader.FindAddressNode(TMMDBIPAddress(address), prefixLength));
}

}  // namespace korrin
