// The parser allocates nothing per parse once its buffer has grown to the longest line: this
// binary counts every operator new to show it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "viewer/csv_parser.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace korrin {
namespace {

TEST(CSVParserAllocationTest, SteadyStateParsesDoNotAllocate) {
  TCSVParser parser(500);
  const std::u16string lines[] = {
      u"plain,text,columns",
      u"\"quoted, with \"\"quotes\"\"\" , x ,\"y\"",
      u"\"unclosed, quote",
      u"\"a\"b",
      std::u16string(300, u'w') + u";tail",
  };
  const TCSVParseFlags flags[] = {0, csvKeepQuotes | csvMultiQuotes, csvSkipBadFormat,
                                  csvDetectEmail | csvDetectUrl | csvDetectMD5 | csvUpdateDelimiter};
  const long start = allocations;
  for (const auto& line : lines) parser.ParseLine(line);
  EXPECT_GT(allocations - start, 0);  // the 300-character line grows the buffer, once
  const long before = allocations;
  for (int round = 0; round < 3; ++round)
    for (TCSVParseFlags f : flags)
      for (const auto& line : lines) parser.ParseLine(line, f);
  EXPECT_EQ(allocations - before, 0);
}

}  // namespace
}  // namespace korrin
