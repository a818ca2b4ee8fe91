#include "dns/ptr_outcome.h"

#include <algorithm>
#include <vector>

#include "dns/dns_error.h"
#include "dns/dns_record.h"
#include "dns/dns_reply.h"

namespace korrin {

const char* ReasonText(TLookupReason reason) {
  switch (reason) {
    case TLookupReason::Resolved: return "";
    case TLookupReason::Timeout: return "timeout";
    case TLookupReason::Unreachable: return "unreachable";
    case TLookupReason::FormErr: return "FORMERR";
    case TLookupReason::ServFail: return "SERVFAIL";
    case TLookupReason::NXDomain: return "NXDOMAIN";
    case TLookupReason::NotImp: return "NOTIMP";
    case TLookupReason::Refused: return "REFUSED";
    case TLookupReason::BadReply: return "bad reply";
    case TLookupReason::NoPTR: return "no PTR";
    case TLookupReason::NoAddress: return "no address";
  }
  return "bad reply";
}

TPtrOutcome OutcomeOfAnswer(std::span<const uint8_t> answer, uint16_t queryId) {
  if (answer.size() < 4) return {TLookupReason::BadReply, {}};
  switch (answer[3] & 0x0F) {
    case 0: break;
    case 1: return {TLookupReason::FormErr, {}};
    case 2: return {TLookupReason::ServFail, {}};
    case 3: return {TLookupReason::NXDomain, {}};
    case 4: return {TLookupReason::NotImp, {}};
    case 5: return {TLookupReason::Refused, {}};
    default: return {TLookupReason::BadReply, {}};
  }
  // A sound answer without any record says the name has no PTR data.
  if (answer.size() >= 12 && std::all_of(answer.begin() + 6, answer.begin() + 12, [](uint8_t b) { return b == 0; }))
    return {TLookupReason::NoPTR, {}};
  std::vector<TDnsRecord> records;
  std::string owner;
  try {
    ParseDnsReply(answer, queryId, records);
    size_t question = kDnsHeaderSize;
    owner = DecodeDnsName(answer, question);
  } catch (const EDnsError&) {
    return {TLookupReason::BadReply, {}};
  }
  // Only a record of the name asked counts, or of the name an alias of it leads to (classless
  // reverse zones are delegated by CNAME, RFC 2317): a PTR of another owner names nobody here.
  // Each step of the chain takes a record, so a loop of aliases ends.
  for (size_t step = 0; step <= records.size(); ++step) {
    const TDnsRecord* alias = nullptr;
    for (TDnsRecord& record : records) {
      if (!SameDnsName(record.Name, owner)) continue;
      if (record.Type == kDnsTypePTR) {
        if (record.HostName.empty()) return {TLookupReason::NoPTR, {}};
        return {TLookupReason::Resolved, std::move(record.HostName)};
      }
      if (record.Type == kDnsTypeCNAME && alias == nullptr) alias = &record;
    }
    if (alias == nullptr) break;
    owner = alias->HostName;
  }
  return {TLookupReason::NoPTR, {}};
}

}  // namespace korrin
