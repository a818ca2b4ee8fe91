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

TEST(RangeLine, SkippedLines) {
  for (const char* line : {"", "   ", "10.0.0.0/33", "10.0.0.0/-1", "10.0.0.0/x", "10.0.0.0/24/16", "10.0.0.0/24/33",
                           "10.0.0.0/24/x", "::/129", "10.0.0", ";10.0.0.0/24", "A=;10.0.0.0/24", "A=", "10.0.0.0//24",
                           "/24", "10.0.0.0/24 /"})
    EXPECT_FALSE(ReadRangeLine(line)) << '"' << line << '"';
}

}  // namespace
}  // namespace korrin
