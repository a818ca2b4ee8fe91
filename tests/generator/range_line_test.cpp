#include "generator/range_line.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(RangeLine, AcceptedLines) {
  const struct {
    const char* line;
    const char* name;
    const char* base;
    int p, s;
  } cases[] = {
      {"  A=10.0.0.0/30  ", "A", "10.0.0.0", 30, 32},
      {"A = 10.0.0.0/30", "A ", "10.0.0.0", 30, 32},
      {"10.0.0.1", "10.0.0.1", "10.0.0.1", 32, 32},
      {";A=10.0.0.0/30", ";A", "10.0.0.0", 30, 32},
      {"10.0.0.0/24/24", "10.0.0.0/24/24", "10.0.0.0", 24, 24},
      {"192.168.1.100/16/24", "192.168.1.100/16/24", "192.168.1.100", 16, 24},
      {"B=fdc7:200d:3e17::fb05/48/60", "B", "fdc7:200d:3e17::fb05", 48, 60},
      {"::1/127", "::1/127", "::1", 127, 128},
      {"x=10.0.0.0/$18", "x", "10.0.0.0", 24, 32},
  };
  for (const auto& c : cases) {
    const auto r = ReadRangeLine(c.line);
    ASSERT_TRUE(r) << c.line;
    EXPECT_EQ(r->Name, c.name) << c.line;
    EXPECT_EQ(IPAddrToStr(r->Base, false), c.base) << c.line;
    EXPECT_EQ(r->Prefix, c.p) << c.line;
    EXPECT_EQ(r->SuffixStart, c.s) << c.line;
  }
}

TEST(RangeLine, FirstLastRanges) {
  const struct {
    const char* line;
    const char* name;
    const char* first;
    const char* last;
  } cases[] = {
      {"10.0.0.1-10.0.0.5", "10.0.0.1-10.0.0.5", "10.0.0.1", "10.0.0.5"},
      {"web = 10.0.0.1-5", "web ", "10.0.0.1", "10.0.0.5"},
      {"fd00::1-fd00::ff", "fd00::1-fd00::ff", "fd00::1", "fd00::ff"},
  };
  for (const auto& c : cases) {
    const auto r = ReadRangeLine(c.line);
    ASSERT_TRUE(r) << c.line;
    ASSERT_TRUE(r->Last) << c.line;
    EXPECT_EQ(r->Name, c.name);
    EXPECT_EQ(IPAddrToStr(r->Base, false), c.first);
    EXPECT_EQ(IPAddrToStr(*r->Last, false), c.last);
    const int w = FamilyWidth(r->Base.ip_family);
    EXPECT_EQ(r->Prefix, w);
    EXPECT_EQ(r->SuffixStart, w);
  }
  EXPECT_FALSE(ReadRangeLine("10.0.0.0/24")->Last);
}

// Blank lines and comments are left out quietly; every other skipped line says why.
TEST(RangeLine, SkippedLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"   ", ""},
      {";10.0.0.0/24", ""},
      {"A=;10.0.0.0/24", ""},
      {"A=", "no range after '='"},
      {"10.0.0.0/33", "prefix length '33' is not a number from 0 to 32"},
      {"10.0.0.0/-1", "prefix length '-1' is not a number from 0 to 32"},
      {"10.0.0.0/x", "prefix length 'x' is not a number from 0 to 32"},
      {"10.0.0.0/24/16", "suffix start '16' is not a number from 24 to 32"},
      {"10.0.0.0/24/33", "suffix start '33' is not a number from 24 to 32"},
      {"10.0.0.0/24/x", "suffix start 'x' is not a number from 24 to 32"},
      {"10.0.0.0//24", "suffix start '24' is not a number from 32 to 32"},
      {"::/129", "prefix length '129' is not a number from 0 to 128"},
      {"10.0.0", "an IPv4 address has 4 parts, not 3"},
      {"/24", "empty address"},
      {"10.0.0.0/24 /", "prefix length '24 ' is not a number from 0 to 32"},
      {"10.0.0.256/24", "IPv4 part '256' is not a number from 0 to 255"},
      {"1.2.3.4.5", "an IPv4 address has 4 parts, not 5"},
      {"10.0.0.5 /32", "IPv4 part '5 ' is not a number from 0 to 255"},
      {"10.0.0.5-10.0.0.1", "last address below the first"},
      {"10.0.0.1-10.0.0.5/24", "an IPv4 address has 4 parts, not 7"},
      {"[::1]", "IPv6 group '[' is not a hex number up to ffff"},
      {"\xEF\xBB\xBF"
       "10.0.0.0/30",
       "IPv4 part '\xEF\xBB\xBF"
       "10' is not a number from 0 to 255"},
  };
  for (const auto& [line, reason] : cases) {
    std::string problem = "unset";
    EXPECT_FALSE(ReadRangeLine(line, problem)) << '"' << line << '"';
    EXPECT_EQ(problem, reason) << '"' << line << '"';
  }
}

}  // namespace
}  // namespace korrin
