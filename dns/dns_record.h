#pragma once
// One resource record of a DNS reply, kept with the section it stood in so that callers can
// prefer answers over authority and additional records.
#include <cstdint>
#include <string>
#include <vector>

namespace korrin {

enum class TDnsSection : uint8_t { Answer, Authority, Additional };

constexpr uint16_t kDnsTypeCNAME = 5;
constexpr uint16_t kDnsTypePTR = 12;
constexpr uint16_t kDnsClassIN = 1;

struct TDnsRecord {
  TDnsSection Section = TDnsSection::Answer;
  std::string Name;
  uint16_t Type = 0;
  uint16_t Class = 0;
  uint32_t TTL = 0;
  std::vector<uint8_t> Data;
  std::string HostName;  // the decoded RDATA name of a PTR or CNAME record, empty for other types
};

}  // namespace korrin
