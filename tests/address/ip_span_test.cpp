#include "address/ip_span.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

std::string Span(const char* text) {
  TIPAddrSpan s;
  std::string problem;
  if (!TryReadIPAddrSpan(text, s, problem)) return "invalid: " + problem;
  return IPAddrToStr(s.First, false) + " " + IPAddrToStr(s.Last, false);
}

std::string Network(const char* text) {
  TIPAddrSpan s;
  std::string problem;
  if (!TryReadIPAddrNetwork(text, s, problem)) return "invalid: " + problem;
  return IPAddrToStr(s.First, false) + " " + IPAddrToStr(s.Last, false);
}

TEST(IPAddrSpan, ReadsFirstLastAndTheShortForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.0.0.1-10.0.0.5", "10.0.0.1 10.0.0.5"},
      {"10.0.0.1 - 10.0.0.5", "10.0.0.1 10.0.0.5"},
      {"10.0.0.1-5", "10.0.0.1 10.0.0.5"},
      {"10.0.0.7-7", "10.0.0.7 10.0.0.7"},
      {"fd00::1-fd00::ff", "fd00::1 fd00::ff"},
      {"0.0.0.0-255.255.255.255", "0.0.0.0 255.255.255.255"},
      {"10.0.0.5-10.0.0.1", "invalid: last address below the first"},
      {"10.0.0.5-1", "invalid: last address below the first"},
      {"10.0.0.1-256", "invalid: last part '256' is not a number from 0 to 255"},
      {"10.0.0.1-0005", "invalid: last part '0005' is not a number from 0 to 255"},
      {"10.0.0.1-::1", "invalid: first and last address of different families"},
      {"10.0.0.1-", "invalid: last address: empty address"},
      {"-10.0.0.1", "invalid: first address: empty address"},
      {"10.0.0.1-10.0.0.5-10.0.0.9", "invalid: last address: an IPv4 address has 4 parts, not 7"},
      {"fd00::1-ff", "invalid: last address: an IPv4 address has 4 parts, not 1"},
      {"10.0.0.256-10.0.1.1", "invalid: first address: IPv4 part '256' is not a number from 0 to 255"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Span(text), expected) << text;
}

TEST(IPAddrSpan, ReadsNetworksWhateverTheHostBits) {
  EXPECT_EQ(Network("10.0.0.0/25"), "10.0.0.0 10.0.0.127");
  EXPECT_EQ(Network("10.0.0.77/30"), "10.0.0.76 10.0.0.79");
  EXPECT_EQ(Network("0.0.0.0/0"), "0.0.0.0 255.255.255.255");
  EXPECT_EQ(Network("fd00::/120"), "fd00:: fd00::ff");
  EXPECT_EQ(Network("10.0.0.0/33"), "invalid: prefix length '33' is not a number from 0 to 32");
  EXPECT_EQ(Network("10.0.0.0/"), "invalid: prefix length '' is not a number from 0 to 32");
}

TEST(IPAddrSpan, ContainsItsEndsAndNothingOfTheOtherFamily) {
  TIPAddrSpan s;
  std::string problem;
  ASSERT_TRUE(TryReadIPAddrSpan("10.0.0.10-10.0.0.20", s, problem));
  EXPECT_TRUE(SpanContains(s, StrToIPAddr("10.0.0.10")));
  EXPECT_TRUE(SpanContains(s, StrToIPAddr("10.0.0.20")));
  EXPECT_FALSE(SpanContains(s, StrToIPAddr("10.0.0.21")));
  EXPECT_FALSE(SpanContains(s, StrToIPAddr("::ffff:10.0.0.15")));
}

}  // namespace
}  // namespace korrin
