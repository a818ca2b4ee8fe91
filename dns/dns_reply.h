#pragma once
// Reads a DNS reply datagram, which is untrusted: every read is bounds-checked and every name
// walk is bounded, so a malformed or hostile reply ends in EDnsError, never in a bad read.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dns/dns_record.h"

namespace korrin {

// The fixed header before a message's question.
constexpr size_t kDnsHeaderSize = 12;

struct TDnsHeader {
  uint16_t ID = 0;
  uint16_t Flags = 0;
  uint16_t QDCount = 0;
  uint16_t ANCount = 0;
  uint16_t NSCount = 0;
  uint16_t ARCount = 0;
};

// The name at `pos`, compression pointers resolved against the whole message; `pos` moves past
// the name as written there. Label bytes outside printable ASCII, "." and "\" are written in
// the RFC 1035 escapes ("\032", "\."), and so is ",", so that a name can never break a line,
// fake a label or add a field to an "address,name" line.
std::string DecodeDnsName(std::span<const uint8_t> message, size_t& pos);

// Whether two decoded names are one: DNS names do not differ by ASCII letter case (RFC 4343).
bool SameDnsName(std::string_view a, std::string_view b);

// Whether `datagram` is the server's answer to `query`: the same ID, QR set, opcode 0 and the
// query's one question (name without regard to letter case, type and class). A stray, forged or
// echoed datagram is not, and the wait for the answer goes on. Never throws.
bool IsAnswerTo(std::span<const uint8_t> datagram, std::span<const uint8_t> query);

// The TC bit of an answer: the server cut it to fit a datagram; TCP carries it whole.
bool IsTruncated(std::span<const uint8_t> answer);

// Checks `reply` against the query's id and RCODE and returns its header with the records of
// its answer, authority and additional sections in that order in `records`.
TDnsHeader ParseDnsReply(std::span<const uint8_t> reply, uint16_t queryId, std::vector<TDnsRecord>& records);

}  // namespace korrin
