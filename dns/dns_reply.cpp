#include "dns/dns_reply.h"

#include <algorithm>

#include "common/text.h"
#include "dns/dns_error.h"

namespace korrin {

namespace {

constexpr size_t kMaxNameWire = 255;  // RFC 1035 limit on a name's wire form
constexpr int kMaxPointerHops = 127;  // more than a name of 255 bytes can need

[[noreturn]] void Malformed(const char* what) { throw EDnsError(Format("Malformed DNS reply: %s", what)); }

uint8_t ByteAt(std::span<const uint8_t> data, size_t at, const char* what) {
  if (at >= data.size()) Malformed(what);
  return data[at];
}

uint16_t WordAt(std::span<const uint8_t> data, size_t at, const char* what) {
  if (at > data.size() || data.size() - at < 2) Malformed(what);
  return static_cast<uint16_t>((data[at] << 8) | data[at + 1]);
}

uint32_t LongAt(std::span<const uint8_t> data, size_t at, const char* what) {
  return (uint32_t{WordAt(data, at, what)} << 16) | WordAt(data, at + 2, what);
}

void AppendLabelByte(std::string& text, uint8_t b) {
  if (b > 32 && b < 127 && b != '.' && b != '\\' && b != ',') {
    text += static_cast<char>(b);
  } else if (b == '.' || b == '\\') {
    text += '\\';
    text += static_cast<char>(b);
  } else {
    text += Format("\\%03u", unsigned{b});
  }
}

const char* PastEndText(TDnsSection section) {
  switch (section) {
    case TDnsSection::Answer: return "answer record runs past the end";
    case TDnsSection::Authority: return "authority record runs past the end";
    case TDnsSection::Additional: break;
  }
  return "additional record runs past the end";
}

const char* RcodeText(int rcode) {
  switch (rcode) {
    case 1: return "Format error";
    case 2: return "Server failure";
    case 3: return "Name error";
    case 4: return "Not implemented";
    case 5: return "Refused";
    default: return "Unknown error";
  }
}

}  // namespace

std::string DecodeDnsName(std::span<const uint8_t> message, size_t& pos) {
  std::string text;
  size_t at = pos;
  size_t resume = 0;  // where reading goes on once a pointer has been followed; 0 = none yet
  size_t wire = 1;    // the closing zero byte
  int hops = 0;
  for (uint8_t length; (length = ByteAt(message, at, "name runs past the end")) != 0;) {
    if (length >= 192) {
      const size_t target = ((size_t{length} & 63) << 8) | ByteAt(message, at + 1, "pointer runs past the end");
      if (resume == 0) resume = at + 2;
      if (++hops > kMaxPointerHops) Malformed("compression pointers loop");
      if (target >= message.size()) Malformed("compression pointer outside the reply");
      at = target;
      continue;
    }
    if (length > 63) Malformed("reserved label type");
    if (message.size() - at - 1 < length) Malformed("label runs past the end");
    wire += 1 + length;
    if (wire > kMaxNameWire) Malformed("name longer than 255 bytes");
    for (size_t i = 1; i <= length; ++i) AppendLabelByte(text, message[at + i]);
    text += '.';
    at += 1 + length;
  }
  if (!text.empty()) text.pop_back();
  pos = resume != 0 ? resume : at + 1;
  return text;
}

bool SameDnsName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool IsAnswerTo(std::span<const uint8_t> datagram, std::span<const uint8_t> query) {
  constexpr uint16_t kQR = 0x8000, kOpcode = 0x7800;
  if (datagram.size() < kDnsHeaderSize || query.size() < kDnsHeaderSize) return false;
  if (datagram[0] != query[0] || datagram[1] != query[1]) return false;
  const uint16_t flags = static_cast<uint16_t>(datagram[2] << 8 | datagram[3]);
  if ((flags & kQR) == 0 || (flags & kOpcode) != 0) return false;
  if (WordAt(datagram, 4, "header") != 1) return false;
  try {
    size_t asked = kDnsHeaderSize, answered = kDnsHeaderSize;
    if (!SameDnsName(DecodeDnsName(query, asked), DecodeDnsName(datagram, answered))) return false;
    return LongAt(datagram, answered, "question runs past the end") ==
           LongAt(query, asked, "question runs past the end");
  } catch (const EDnsError&) {
    return false;
  }
}

bool IsTruncated(std::span<const uint8_t> answer) { return answer.size() > 2 && (answer[2] & 0x02) != 0; }

TDnsHeader ParseDnsReply(std::span<const uint8_t> reply, uint16_t queryId, std::vector<TDnsRecord>& records) {
  records.clear();
  if (reply.size() < kDnsHeaderSize) throw EDnsError(Format("DNS reply too short (%zu bytes)", reply.size()));
  TDnsHeader header;
  header.ID = WordAt(reply, 0, "header");
  if (header.ID != queryId)
    throw EDnsError(Format("DNS reply ID %u does not match query ID %u", unsigned{header.ID}, unsigned{queryId}));
  header.Flags = WordAt(reply, 2, "header");
  header.QDCount = WordAt(reply, 4, "header");
  header.ANCount = WordAt(reply, 6, "header");
  header.NSCount = WordAt(reply, 8, "header");
  header.ARCount = WordAt(reply, 10, "header");
  const int rcode = header.Flags & 0x0F;
  if (rcode != 0) throw EDnsError(Format("DNS server error %d: %s", rcode, RcodeText(rcode)));

  size_t pos = kDnsHeaderSize;
  // Every question is skipped, whatever QDCOUNT says, so that none is read as a record.
  for (int q = 0; q < header.QDCount; ++q) {
    DecodeDnsName(reply, pos);
    WordAt(reply, pos + 2, "question runs past the end");
    pos += 4;
  }
  const std::pair<TDnsSection, uint16_t> sections[] = {{TDnsSection::Answer, header.ANCount},
                                                       {TDnsSection::Authority, header.NSCount},
                                                       {TDnsSection::Additional, header.ARCount}};
  std::vector<TDnsRecord> parsed;  // handed over only when the whole reply is sound
  for (const auto& [section, count] : sections) {
    const char* pastEnd = PastEndText(section);
    for (int i = 0; i < count; ++i) {
      TDnsRecord record;
      record.Section = section;
      record.Name = DecodeDnsName(reply, pos);
      record.Type = WordAt(reply, pos, pastEnd);
      record.Class = WordAt(reply, pos + 2, pastEnd);
      record.TTL = LongAt(reply, pos + 4, pastEnd);
      const uint16_t rdLength = WordAt(reply, pos + 8, pastEnd);
      pos += 10;
      if (reply.size() - pos < rdLength) Malformed(pastEnd);
      record.Data.assign(reply.begin() + pos, reply.begin() + pos + rdLength);
      if (record.Type == kDnsTypePTR || record.Type == kDnsTypeCNAME) {
        size_t namePos = pos;
        record.HostName = DecodeDnsName(reply, namePos);
        if (namePos > pos + rdLength)
          Malformed(record.Type == kDnsTypePTR ? "PTR name runs past its record data"
                                               : "CNAME name runs past its record data");
      }
      pos += rdLength;
      parsed.push_back(std::move(record));
    }
  }
  if (parsed.empty()) throw EDnsError("DNS reply without records");
  records = std::move(parsed);
  return header;
}

}  // namespace korrin
