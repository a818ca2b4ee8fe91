#pragma once
// How one address's lookup ended, in the words a user reads beside an unresolved address, so
// that "no such name" can be told from "nobody answered".
#include <cstdint>
#include <span>
#include <string>

namespace korrin {

enum class TLookupReason : uint8_t {
  Resolved,
  Timeout,      // no answer from any server asked, within the wait of each attempt
  Unreachable,  // the server's port or host reported unreachable, or its name had no address
  FormErr,
  ServFail,
  NXDomain,
  NotImp,
  Refused,
  BadReply,   // an answer that does not parse, or a response code beyond 5
  NoPTR,      // an answer without a PTR record, or with an empty name
  NoAddress,  // the line holds no address, so nothing was asked
};

// "timeout", "NXDOMAIN", "bad reply", ...; empty for Resolved.
const char* ReasonText(TLookupReason reason);

struct TPtrOutcome {
  TLookupReason Reason = TLookupReason::Timeout;
  std::string HostName;  // set when Resolved
};

// The outcome of `answer`, a datagram already known to answer the query with `queryId`: its
// response code, else the name of the first PTR record (answers before authority and additional)
// whose owner is the name asked, or a name a CNAME chain from it leads to.
TPtrOutcome OutcomeOfAnswer(std::span<const uint8_t> answer, uint16_t queryId);

}  // namespace korrin
