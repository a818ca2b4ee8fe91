#include "generator/address_progression.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TRangeLine Span(const char* first, const char* last) {
  TRangeLine r;
  r.Base = StrToIPAddr(first);
  r.Last = StrToIPAddr(last);
  r.Prefix = r.SuffixStart = FamilyWidth(r.Base.ip_family);
  return r;
}

TRangeLine Window(const char* text) { return *ReadRangeLine(text); }

TEST(AddressProgression, WindowsAndSpansShareOneShape) {
  const struct {
    TRangeLine line;
    const char* first;
    const char* second;
    const char* last;
    std::string count;
    bool networkEnds;
  } cases[] = {
      {Window("10.0.0.7/24"), "10.0.0.0", "10.0.0.1", "10.0.0.255", "256", true},
      {Window("192.168.1.100/16/24"), "192.168.0.100", "192.168.1.100", "192.168.255.100", "256", true},
      {Window("10.0.0.7"), "10.0.0.7", "10.0.0.7", "10.0.0.7", "1", false},
      // No varying bits at all: one address, and no shift by the whole width.
      {Window("::1/0/0"), "::1", "::1", "::1", "1", false},
      {Window("10.0.0.7/0/0"), "10.0.0.7", "10.0.0.7", "10.0.0.7", "1", false},
      {Window("10.0.0.6/31"), "10.0.0.6", "10.0.0.7", "10.0.0.7", "2", false},
      {Window("10.0.0.4/30"), "10.0.0.4", "10.0.0.5", "10.0.0.7", "4", true},
      {Window("::/0"), "::", "::1", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
       "340282366920938463463374607431768211456", true},
      {Span("10.0.0.1", "10.0.1.4"), "10.0.0.1", "10.0.0.2", "10.0.1.4", "260", false},
      {Span("10.0.1.255", "10.0.0.0"), "10.0.0.0", "10.0.0.1", "10.0.1.255", "512", true},
      {Span("10.0.0.4", "10.0.0.7"), "10.0.0.4", "10.0.0.5", "10.0.0.7", "4", true},
      {Span("10.0.0.2", "10.0.0.5"), "10.0.0.2", "10.0.0.3", "10.0.0.5", "4", false},
      {Span("fd00::ffff", "fd00::1:0"), "fd00::ffff", "fd00::1:0", "fd00::1:0", "2", false},
      {Span("fd00::", "fd00::1"), "fd00::", "fd00::1", "fd00::1", "2", false},
      {Span("::", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"), "::", "::1", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
       "340282366920938463463374607431768211456", true},
  };
  for (const auto& c : cases) {
    const TAddressProgression p = ProgressionOf(c.line);
    EXPECT_EQ(p.Count().ToString(), c.count) << c.first;
    EXPECT_EQ(IPAddrToStr(p.At(0), false), c.first);
    EXPECT_EQ(IPAddrToStr(p.At(p.LastIndex > 0 ? 1 : 0), false), c.second);
    EXPECT_EQ(IPAddrToStr(p.At(p.LastIndex), false), c.last);
    EXPECT_EQ(p.NetworkEnds, c.networkEnds) << c.first;
    EXPECT_EQ(p.IsNetworkEnd(0), c.networkEnds);
  }
}

}  // namespace
}  // namespace korrin
