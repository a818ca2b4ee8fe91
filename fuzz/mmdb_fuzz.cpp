// A MaxMind DB file, mapped as the tools map it: open, metadata, look-ups of both families with
// the record decode and the whole-record JSON, a bounded walk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
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
constexpr std::string_view kAddresses[] = {
    "1.1.1.1",   "81.2.69.160", "216.160.83.56", "0.0.0.0", "255.255.255.255",
    "::1.1.1.1", "2001:218::",  "2a02:d280::1",  "::",      "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"};
constexpr int kMaxNetworks = 2000;

void Walk(korrin::TMMDBReader& reader, bool IPv4Only) {
  auto networks = korrin::TMMDBEnumerable<korrin::TMMDBIPCountryCityInfoEx>(reader, IPv4Only).GetEnumerator();
  for (int i = 0; i < kMaxNetworks && networks.MoveNext(); ++i) {
    (void)networks.Current()->Data().Country().ISOCode();
  }
}

// The input as a file in memory, so that the reader maps it like a database on disk.
class TMemoryFile {
 public:
  TMemoryFile(const uint8_t* data, size_t size) : FFd(::memfd_create("fuzz.mmdb", MFD_CLOEXEC)) {
    for (size_t at = 0; FFd >= 0 && at < size;) {
      const ssize_t n = ::write(FFd, data + at, size - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
  }
  ~TMemoryFile() {
    if (FFd >= 0) ::close(FFd);
  }
  TMemoryFile(const TMemoryFile&) = delete;
  TMemoryFile& operator=(const TMemoryFile&) = delete;
  std::string Path() const { return "/proc/self/fd/" + std::to_string(FFd); }

 private:
  int FFd;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TMemoryFile file(data, size);
    korrin::TMMDBReader reader(file.Path());
    (void)korrin::MMDBMetadataLines(reader.Metadata());
    for (std::string_view text : kAddresses) {
      korrin::TMMDBIPCountryCityInfoEx record;
      int prefixLength = 0;
      try {
        const uint32_t found = reader.FindAddressNode(korrin::TMMDBIPAddress::Parse(text), prefixLength);
        if (found != 0) {
          reader.ResolveRecordInto(found, record);
          (void)reader.RecordJson(found);
        }
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
