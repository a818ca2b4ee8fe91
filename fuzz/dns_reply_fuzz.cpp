// A datagram as the reply to one fixed PTR query, parsed as the resolver parses it, without a
// socket: header checks, every section, the host names of the PTR records.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "dns/dns_error.h"
#include "dns/dns_query.h"
#include "dns/dns_record.h"
#include "dns/dns_reply.h"

namespace {

constexpr uint16_t kQueryId = 0x4B52;

// The query echoed as a reply header and question with the given record counts, so that the
// fuzzer can spend its bytes on the records.
std::vector<uint8_t> EchoedQuery(uint8_t answers, uint8_t additional) {
  static const std::vector<uint8_t> query = korrin::BuildPtrQuery(kQueryId, true, "192.0.2.1");
  std::vector<uint8_t> reply = query;
  reply[2] = 0x81;
  reply[3] = 0x80;
  reply[7] = answers;
  reply[11] = additional;
  return reply;
}

}  // namespace

// Input: a mode byte; odd: two record counts and the records after the echoed question, even: the
// whole datagram.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<uint8_t> reply;
  if (data[0] & 1) {
    if (size < 3) return 0;
    reply = EchoedQuery(data[1] % 16, data[2] % 4);
    reply.insert(reply.end(), data + 3, data + size);
  } else {
    reply.assign(data + 1, data + size);
  }
  std::vector<korrin::TDnsRecord> records;
  try {
    korrin::ParseDnsReply(reply, kQueryId, records);
  } catch (const korrin::EDnsError&) {
  }
  return 0;
}
