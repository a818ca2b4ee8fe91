#include "address/ip_types.h"

#include <gtest/gtest.h>

#include "address/mmdb_ip_address.h"

namespace korrin {
namespace {

std::string V4(const char* text) {
  TIPv4 v;
  return TryStrToIPv4(text, v) ? IPv4ToStr(v) : "invalid";
}

std::string V6(const char* text) {
  TIPv6 v;
  return TryStrToIPv6(text, v) ? IPv6ToStr(v) : "invalid";
}

// Every form that once became another address is now invalid; leading zeros stay decimal.
TEST(IPv4Text, ReadsOnlyFourDecimalParts) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.1.2.3", "10.1.2.3"},    {"010.001.002.003", "10.1.2.3"},
      {"0.0.0.0", "0.0.0.0"},      {"255.255.255.255", "255.255.255.255"},
      {"10.1.2.3.4", "invalid"},   {"10..2.3", "invalid"},
      {"10.1.2", "invalid"},       {"a.b.c.d", "invalid"},
      {"1.2.3.300", "invalid"},    {"10.0.0.256", "invalid"},
      {" 1.2.3.4", "invalid"},     {"1.2.3.4 ", "invalid"},
      {"1.2.3.-1", "invalid"},     {"1.2.3.+1", "invalid"},
      {"0x0A.0.0.$ff", "invalid"}, {"", "invalid"},
      {"1.2.3.4.", "invalid"},     {".1.2.3.4", "invalid"},
      {"1.2.3.4/", "invalid"},     {"1.2.3.0004", "invalid"},
      {"1.2.3.4x", "invalid"},     {"999.8.8.8", "invalid"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(V4(text), expected) << text;
}

TEST(IPAddrText, SaysWhyATextIsNoAddress) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.2.3.4.5", "an IPv4 address has 4 parts, not 5"},
      {"10.0.0.256", "IPv4 part '256' is not a number from 0 to 255"},
      {"10.0.0.5 ", "IPv4 part '5 ' is not a number from 0 to 255"},
      {"", "empty address"},
      {"1:2:3:4:5:6:7", "an IPv6 address has 8 groups, not 7"},
      {"1::2::3", "more than one '::'"},
      {"1:2:3:4:5::6:7:8:9", "more than 8 IPv6 groups"},
      {"12345::1", "IPv6 group '12345' has more than 4 hex digits"},
      {"fd00::1:", "empty IPv6 group"},
      {"::ffff:1.2.3.999", "IPv4 part '999' is not a number from 0 to 255"},
      {"0000000000001.2.3.4", "IPv4 part '0000000000001' has more than 3 digits"},
      {"1:2:3:4::5:6:7:8", "'::' with all 8 groups written"},
  };
  for (const auto& [text, reason] : cases) {
    TIPAddr a;
    std::string problem;
    EXPECT_FALSE(TryReadIPAddr(text, a, problem)) << text;
    EXPECT_EQ(problem, reason) << text;
  }
}

TEST(IPv4Text, ViewsAndErrors) {
  const TIPv4 v = StrToIPv4("192.168.1.1");
  EXPECT_EQ(v.Value, 0xC0A80101u);
  EXPECT_EQ(v.A(), 192);
  EXPECT_EQ(v.D(), 1);
  EXPECT_EQ(v.Groups()[0], 1);
  EXPECT_EQ(v.Groups()[3], 192);
  try {
    StrToIPv4("192.168.1");
    FAIL();
  } catch (const EIPv4Error& e) {
    EXPECT_STREQ(e.what(), "'192.168.1' is not a valid IPv4 address");
  }
}

TEST(IPv6Text, ReadsEveryFormAndWritesRFC5952Text) {
  const std::pair<const char*, const char*> cases[] = {
      {"::", "::"},
      {"::1", "::1"},
      {"1::", "1::"},
      {"fdc7:200d:3e17::fb05", "fdc7:200d:3e17::fb05"},
      {"FDC7:200D:3E17::FB05", "fdc7:200d:3e17::fb05"},
      {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8"},
      {"1:2:3:4:5:6:7", "invalid"},
      {"1:2:3:4:5:6:7:8:9", "invalid"},
      {"1:2:3:4:5:6:7:8 ", "invalid"},
      {"fd00::1/64", "invalid"},
      {"1:2:3:4::5:6:7:8", "invalid"},
      {"1:2:3:4:5::6:7:8:9", "invalid"},
      {"1::2::3", "invalid"},
      {":1::2", "invalid"},
      {"1:::2", "invalid"},
      {"1::2:", "invalid"},
      {"12345::1", "invalid"},
      {"00001::1", "invalid"},
      {"0001::1", "1::1"},
      {"::ffff:192.168.1.1", "::ffff:c0a8:101"},
      {"::FFFF:1.2.3.4", "::ffff:102:304"},
      {"::ffff:1.2.3", "invalid"},
      {"::ffff:1.2.3.256", "invalid"},
      {"::1.2.3.4", "::102:304"},
      {"::ffff:1.2.3.4.5", "invalid"},
      {"::ffff:1.2.3.04", "::ffff:102:304"},
      {"::ffffx1.2.3.4", "invalid"},
      {"x::ffff:1.2.3.4", "invalid"},
      {"::ffff:1.2.3.4x", "invalid"},
      {"::ffff:1..3.4", "invalid"},
      {"1:0:2:0:3:0:4:5", "1:0:2:0:3:0:4:5"},
      {"1:0:0:2:0:0:0:3", "1:0:0:2::3"},
      {"1:2:3:4:5:6:7:0", "1:2:3:4:5:6:7:0"},
      {"1:2:0:4:5:6:7:8", "1:2:0:4:5:6:7:8"},
      {"1:0:0:0:0:0:0:0", "1::"},
      {"g::1", "invalid"},
      {"", "invalid"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(V6(text), expected) << text;
}

// The text other tools write (RFC 5952) and read: each accepted form with the text it is written
// as, each refused one with its reason.
TEST(IPAddrText, WritesAndReadsAsOtherToolsDo) {
  const struct {
    const char* text;
    const char* written;  // nullptr: refused
    const char* reason;
  } cases[] = {
      // The longest run of two or more zero groups, the first of equal runs; lower case.
      {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1", nullptr},
      {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1", nullptr},
      {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1", nullptr},
      {"2001:DB8::AbCd", "2001:db8::abcd", nullptr},
      {"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8::1", nullptr},
      {"0:0:1:0:0:1:0:0", "::1:0:0:1:0:0", nullptr},
      {"1:0:0:1:0:0:0:0", "1:0:0:1::", nullptr},
      {"0:1:0:1:0:1:0:1", "0:1:0:1:0:1:0:1", nullptr},
      {"fd00::0001", "fd00::1", nullptr},
      // An IPv4 tail in any IPv6 form.
      {"64:ff9b::192.0.2.33", "64:ff9b::c000:221", nullptr},
      {"::1.2.3.4", "::102:304", nullptr},
      {"0:0:0:0:0:ffff:1.2.3.4", "::ffff:102:304", nullptr},
      {"1:2:3:4:5:6:10.0.0.1", "1:2:3:4:5:6:a00:1", nullptr},
      {"1::6:010.000.000.001", "1::6:a00:1", nullptr},
      // Refused, each with its reason.
      {"1:2:3:4::5:6:7:8", nullptr, "'::' with all 8 groups written"},
      {"::1:2:3:4:5:6:7:8", nullptr, "'::' with all 8 groups written"},
      {"1::2:3:4:5:6:7:8:9", nullptr, "more than 8 IPv6 groups"},
      {"1::2:3:4:5:6:1.2.3.4", nullptr, "'::' with all 8 groups written"},
      {"00001::1", nullptr, "IPv6 group '00001' has more than 4 hex digits"},
      {"2001:db8::fffff", nullptr, "IPv6 group 'fffff' has more than 4 hex digits"},
      {"::ffff:0001.2.3.4", nullptr, "IPv4 part '0001' has more than 3 digits"},
      {"0000000000001.2.3.4", nullptr, "IPv4 part '0000000000001' has more than 3 digits"},
      {"1.2.3.1000", nullptr, "IPv4 part '1000' is not a number from 0 to 255"},
      {"1:2:3:4:5:6:7:1.2.3.4", nullptr, "an IPv6 address has 8 groups, not 9"},
      {"1:2:3:4:5:1.2.3.4", nullptr, "an IPv6 address has 8 groups, not 7"},
      {"1.2.3.4::", nullptr, "an IPv4 part may only end an IPv6 address"},
      {"::1.2.3.4:1", nullptr, "an IPv4 part may only end an IPv6 address"},
      {":1.2.3.4", nullptr, "empty IPv6 group"},
      {"::1.2.3", nullptr, "an IPv4 address has 4 parts, not 3"},
  };
  for (const auto& c : cases) {
    TIPAddr a;
    std::string problem;
    const bool read = TryReadIPAddr(c.text, a, problem);
    EXPECT_EQ(read, c.written != nullptr) << c.text;
    if (c.written) {
      EXPECT_EQ(IPAddrToStr(a, false), c.written) << c.text;
      // What is written reads back as the same address.
      TIPAddr again;
      EXPECT_TRUE(TryStrToIPAddr(c.written, again) && SameIPAddr(again, a)) << c.written;
    } else {
      EXPECT_EQ(problem, c.reason) << c.text;
    }
  }
}

TEST(IPv6Text, GroupOrderAndErrors) {
  const TIPv6 v = StrToIPv6("1:2:3:4:5:6:7:8");
  EXPECT_EQ(v.A(), 1);
  EXPECT_EQ(v.H(), 8);
  EXPECT_EQ(v.Groups[0], 8);
  EXPECT_EQ(v.Values()[0], 0x00070008u);
  EXPECT_THROW(StrToIPv6("1::2::3"), EIPv6Error);
  try {
    StrToIPAddr("1::2::3");
    FAIL();
  } catch (const EIPv6Error& e) {
    EXPECT_STREQ(e.what(), "'1::2::3' is not a valid IPv6 address");
  }
}

TEST(IPAddrText, FamilyBracketsAndQuadrants) {
  const TIPAddr v6 = StrToIPAddr("::1");
  EXPECT_EQ(v6.ip_family, TIPAddrFamily::IPv6);
  EXPECT_EQ(IPAddrToStr(v6, true), "[::1]");
  const TIPAddr v4 = StrToIPAddr("10.20.30.40");
  EXPECT_EQ(IPAddrToStr(v4, true), "10.20.30.40");
  EXPECT_EQ(IPAddrQuadrantToStr(v4, 2), "20");
  EXPECT_EQ(IPAddrQuadrantToStr(v4, 5), "");
  const TIPAddr f = StrToIPAddr("fdc7::fb05");
  EXPECT_EQ(IPAddrQuadrantToStr(f, 1), "fdc7");
  EXPECT_EQ(IPAddrQuadrantToStr(f, 4), "0");
  EXPECT_EQ(IPAddrQuadrantToStr(f, 8), "fb05");
  EXPECT_EQ(IPAddrQuadrantToStr(f, 9), "");
}

TEST(IPAddrBits, Masks) {
  const struct {
    TIPAddrFamily family;
    int p, s;
    const char* mask;
  } cases[] = {
      {TIPAddrFamily::IPv4, 24, 32, "255.255.255.0"},
      {TIPAddrFamily::IPv4, 16, 24, "255.255.0.255"},
      {TIPAddrFamily::IPv4, 20, 20, "255.255.255.255"},
      {TIPAddrFamily::IPv4, 0, 32, "0.0.0.0"},
      {TIPAddrFamily::IPv4, 0, 0, "255.255.255.255"},
      {TIPAddrFamily::IPv4, 32, 32, "255.255.255.255"},
      {TIPAddrFamily::IPv6, 120, 128, "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ff00"},
      {TIPAddrFamily::IPv6, 48, 60, "ffff:ffff:ffff:f:ffff:ffff:ffff:ffff"},
      {TIPAddrFamily::IPv6, 0, 128, "::"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IPAddrToStr(MakeIPAddrMask(c.family, c.p, c.s), false), c.mask) << c.p << "/" << c.s;
}

TEST(IPAddrBits, IncrementWrapsAndIgnoresOutOfRangePositions) {
  TIPAddr a = StrToIPAddr("255.255.255.255");
  IncIPAddr(a, 0);
  EXPECT_EQ(IPAddrToStr(a, false), "0.0.0.0");
  a = StrToIPAddr("::ffff");
  IncIPAddr(a, 0);
  EXPECT_EQ(IPAddrToStr(a, false), "::1:0");
  a = StrToIPAddr("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff");
  IncIPAddr(a, 0);
  EXPECT_EQ(IPAddrToStr(a, false), "::");
  a = StrToIPAddr("10.0.0.1");
  IncIPAddr(a, 32);
  EXPECT_EQ(IPAddrToStr(a, false), "10.0.0.1");
  IncIPAddr(a, 8);
  EXPECT_EQ(IPAddrToStr(a, false), "10.0.1.1");
}

TEST(IPAddrBits, LogicAndComparisonNeedOneFamily) {
  TIPAddr a = StrToIPAddr("10.1.2.3");
  const TIPAddr b = StrToIPAddr("::1");
  AndIPAddr(a, b);
  OrIPAddr(a, b);
  EXPECT_EQ(IPAddrToStr(a, false), "10.1.2.3");
  EXPECT_FALSE(SameIPAddr(a, b));
  EXPECT_FALSE(SameMaskedIPAddr(a, a, b));
  const TIPAddr mask = MakeIPAddrMask(TIPAddrFamily::IPv4, 24, 32);
  EXPECT_TRUE(SameMaskedIPAddr(a, StrToIPAddr("10.1.2.200"), mask));
  EXPECT_FALSE(SameMaskedIPAddr(a, StrToIPAddr("10.1.3.3"), mask));
  TIPAddr n = mask;
  NotIPAddr(n);
  EXPECT_EQ(IPAddrToStr(n, false), "0.0.0.255");
}

TEST(MMDBIPAddress, BytesTextAndErrors) {
  std::vector<uint8_t> bytes(16, 0);
  bytes[0] = 0x20;
  bytes[1] = 0x01;
  bytes[2] = 0x0d;
  bytes[3] = 0xb8;
  const TMMDBIPAddress a(bytes);
  EXPECT_TRUE(a._v6);
  EXPECT_EQ(a.ToString(), "2001:db8::");
  EXPECT_EQ(a.GetAddressBytes(), bytes);
  const TMMDBIPAddress b(std::vector<uint8_t>{1, 2, 3, 4});
  EXPECT_EQ(b.ToString(), "1.2.3.4");
  EXPECT_EQ(b.GetAddressBytes(), (std::vector<uint8_t>{1, 2, 3, 4}));
  try {
    TMMDBIPAddress bad(std::vector<uint8_t>(5));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Bad address size: 5.");
  }
  EXPECT_EQ(TMMDBIPAddress::Parse("FDC7::1").ToString(), "fdc7::1");
  try {
    TMMDBIPAddress::Parse("nope");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Unable to convert string \"nope\" to IP address.");
  }
}

}  // namespace
}  // namespace korrin
