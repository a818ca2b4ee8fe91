// A MaxMind DB file from memory: open, metadata, look-ups of both families, a bounded walk.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "address/mmdb_ip_address.h"
#include "common/exception.h"
#include "mmdb/mmdb_enumerator.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_metadata_lines.h"
#include "mmdb/mmdb_reader.h"

namespace {

// Addresses the test databases hold data for, and a few they do not.
constexpr std::string_view kAddresses[] = {"1.1.1.1",     "81.2.69.160", "216.160.83.56", "0.0.0.0",
                                           "255.255.255.255", "::1.1.1.1", "2001:218::",  "2a02:d280::1",
                                           "::",          "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"};
constexpr int kMaxNetworks = 2000;

void Walk(korrin::TMMDBReader& reader, bool IPv4Only) {
  auto networks = korrin::TMMDBEnumerable<korrin::TMMDBIPCountryCityInfoEx>(reader, IPv4Only).GetEnumerator();
  for (int i = 0; i < kMaxNetworks && networks.MoveNext(); ++i) {
    (void)networks.Current()->Data().Country().ISOCode();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    korrin::TMMDBReader reader(std::vector<uint8_t>(data, data + size), "fuzz.mmdb");
    (void)korrin::MMDBMetadataLines(reader.Metadata());
    for (std::string_view text : kAddresses) {
      korrin::TMMDBIPCountryCityInfoEx record;
      int prefixLength = 0;
      try {
        reader.FindRecord(korrin::TMMDBIPAddress::Parse(text), prefixLength, record);
      } catch (const korrin::Exception&) {
      }
    }
    for (bool IPv4Only : {true, false}) {
      try {
        Walk(reader, IPv4Only);
      } catch (const korrin::Exception&) {
      }
    }
  } catch (const korrin::Exception&) {
  }
  return 0;
}
