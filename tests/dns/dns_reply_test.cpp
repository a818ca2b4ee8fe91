#include "dns/dns_reply.h"

#include <gtest/gtest.h>

#include <random>

#include "dns/dns_error.h"
#include "tests/support/fake_dns_server.h"

namespace korrin {
namespace {

using namespace test;

// A reply with a question, a compressed PTR answer, an authority and an additional record.
TBytes RichReply() {
  return Cat({Header(0xBEEF, 0x8180, 1, 1, 1, 1), WireName("7.2.0.192.in-addr.arpa"), Word(kDnsTypePTR), Word(1),
              Record({0xC0, 12}, kDnsTypePTR, {4, 'm', 'a', 'i', 'l', 0xC0, 14}),
              Record({0xC0, 16}, 2, {2, 'n', 's', 0xC0, 52}), Record({0xC0, 71}, 1, {192, 0, 2, 53})});
}

TEST(DnsReply, DecodesNamesAndMovesPastThem) {
  const TBytes reply = RichReply();
  std::vector<TDnsRecord> records;
  const TDnsHeader header = ParseDnsReply(reply, 0xBEEF, records);
  EXPECT_EQ(header.NSCount, 1);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].HostName, "mail.2.0.192.in-addr.arpa");
  EXPECT_EQ(records[1].Name, "0.192.in-addr.arpa");
  EXPECT_EQ(records[2].Name, "ns.mail.2.0.192.in-addr.arpa");

  size_t pos = 12;
  EXPECT_EQ(DecodeDnsName(reply, pos), "7.2.0.192.in-addr.arpa");
  EXPECT_EQ(pos, 12u + 24u);  // after the zero byte
  pos = 71;                   // the authority record's RDATA
  EXPECT_EQ(DecodeDnsName(reply, pos), "ns.mail.2.0.192.in-addr.arpa");
  EXPECT_EQ(pos, 76u);  // after the first pointer
}

// Every truncation and many random corruptions of a sound reply: each parses or fails with
// EDnsError, and the sanitizers see no bad read.
TEST(DnsReply, SurvivesTruncatedAndCorruptedReplies) {
  const TBytes reply = RichReply();
  std::vector<TDnsRecord> records;
  for (size_t n = 0; n < reply.size(); ++n) {
    const TBytes cut(reply.begin(), reply.begin() + n);
    EXPECT_THROW(ParseDnsReply(cut, 0xBEEF, records), EDnsError) << n;
  }
  std::mt19937 rng(5);
  int parsed = 0;
  for (int round = 0; round < 20000; ++round) {
    TBytes bad = reply;
    for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k)
      bad[2 + rng() % (bad.size() - 2)] = static_cast<uint8_t>(rng());
    bad.resize(bad.size() - rng() % 8);
    try {
      ParseDnsReply(bad, 0xBEEF, records);
      ++parsed;
    } catch (const EDnsError&) {
    }
  }
  EXPECT_GT(parsed, 0);
}

}  // namespace
}  // namespace korrin
