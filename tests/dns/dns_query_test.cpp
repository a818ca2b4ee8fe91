#include "dns/dns_query.h"

#include <gtest/gtest.h>

#include "dns/dns_error.h"
#include "tests/support/fake_dns_server.h"

namespace korrin {
namespace {

using test::Cat;
using test::TBytes;
using test::WireName;

// The reverse name of a 32-digit expansion: its digits from last to first, then ip6.arpa.
std::string Nibbles(const std::string& digits) {
  std::string name;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) name += std::string(1, *it) + ".";
  return name + "ip6.arpa";
}

TEST(DnsQuery, Ipv4QueryBytes) {
  const TBytes expected = {0x12, 0x34, 0x01, 0x00, 0,   1,   0,   0,   0, 0,   0,   0,   1,   '7',
                           1,    '2',  1,    '0',  3,   '1', '9', '2', 7, 'i', 'n', '-', 'a', 'd',
                           'd',  'r',  4,    'a',  'r', 'p', 'a', 0,   0, 12,  0,   1};
  EXPECT_EQ(BuildPtrQuery(0x1234, true, "192.0.2.7"), expected);
  TBytes withoutRecursion = expected;
  withoutRecursion[2] = 0;
  EXPECT_EQ(BuildPtrQuery(0x1234, false, "192.0.2.7"), withoutRecursion);
}

TEST(DnsQuery, Ipv6NamesHave32NibbleLabelsUnderIp6Arpa) {
  const std::pair<const char*, const char*> cases[] = {
      {"::1", "00000000000000000000000000000001"},
      {"2001:db8::1", "20010db8000000000000000000000001"},
      {"fe80::", "fe800000000000000000000000000000"},
      {"2001:DB8:0:0:1:2:3:4", "20010DB8000000000001000200030004"},
      {"1:2:3:4:5:6:7:8", "00010002000300040005000600070008"},
      {"::", "00000000000000000000000000000000"},
  };
  for (const auto& [address, digits] : cases)
    EXPECT_EQ(ReverseQueryName(address), WireName(Nibbles(digits))) << address;
}

TEST(DnsQuery, ReverseNamesGivenAsSuchAreUsedAsTheyAre) {
  const std::pair<const char*, const char*> cases[] = {
      {"7.2.0.192.in-addr.arpa", "7.2.0.192.in-addr.arpa"},
      {"7.2.0.192.IN-ADDR.ARPA.", "7.2.0.192.IN-ADDR.ARPA"},
      {"1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.int",
       "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.int"},
      {"b.a.ip6.arpa", "b.a.ip6.arpa"},
  };
  for (const auto& [domain, name] : cases) EXPECT_EQ(ReverseQueryName(domain), WireName(name)) << domain;
  const TBytes query = BuildPtrQuery(7, true, "b.a.ip6.arpa");
  EXPECT_EQ(query, Cat({{0, 7, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, WireName("b.a.ip6.arpa"), {0, 12, 0, 1}}));
}

TEST(DnsQuery, Ipv4TextIsCutAtTheFirstThreeDots) {
  EXPECT_EQ(ReverseQueryName("10.0.0"), WireName("0.0.10.in-addr.arpa"));
  EXPECT_EQ(ReverseQueryName("us"), WireName("us.in-addr.arpa"));
}

TEST(DnsQuery, RejectsTextsThatCannotBeAsked) {
  const std::pair<const char*, const char*> cases[] = {
      {"1::2::3", "Invalid IP V6 Address. 1::2::3"},
      {"1:2:3:4:5:6:7", "Invalid IP V6 Address. 1:2:3:4:5:6:7"},
      {"1:2:3:4:5:6:7:8:9", "Invalid IP V6 Address. 1:2:3:4:5:6:7:8:9"},
      {"1:2:3:4::5:6:7:8:9", "Invalid IP V6 Address. 1:2:3:4::5:6:7:8:9"},
      {"12345::1", "Invalid IP V6 Address. 12345::1"},
      {"::g", "Invalid IP V6 Address. ::g"},
      {"1:::2", "Invalid IP V6 Address. 1:::2"},
      {":1::2", "Invalid IP V6 Address. :1::2"},
      {"1::2:", "Invalid IP V6 Address. 1::2:"},
      {"10.0..1", "Invalid DNS query name. 10.0..1"},
      {"", "Invalid DNS query name. "},
      {"a..in-addr.arpa", "Invalid DNS query name. a..in-addr.arpa"},
  };
  for (const auto& [domain, message] : cases) {
    try {
      ReverseQueryName(domain);
      ADD_FAILURE() << domain;
    } catch (const EDnsError& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
  const std::string longLabel = std::string(64, 'x') + ".in-addr.arpa";
  EXPECT_THROW(ReverseQueryName(longLabel), EDnsError);
  std::string longName;
  for (int i = 0; i < 130; ++i) longName += "a.";
  EXPECT_THROW(ReverseQueryName(longName + "in-addr.arpa"), EDnsError);
}

}  // namespace
}  // namespace korrin
