// Range lines, exclusion masks, port lists and name templates through a whole small run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/exception.h"
#include "generator/generation_engine.h"
#include "generator/port_list.h"
#include "generator/range_line.h"

namespace {

// Ends a run after a bounded number of steps, as the user's Break would.
class TStepBudget : public korrin::TProgressCounters {
 public:
  bool Terminated() const override { return ++FSteps > 200000; }

 private:
  mutable int FSteps = 0;
};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A few ports keep the run small; a list that does not read stays, so the run ends with its message.
bool FewPorts(std::string_view ports) {
  try {
    return korrin::CountPorts(ports) <= 16;
  } catch (const korrin::Exception&) {
    return true;
  }
}

}  // namespace

// Input: two option bytes, then sections separated by NUL: ranges, masks, ports, template, symbol.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0], count = data[1];
  std::vector<std::string_view> sections;
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  for (int i = 0; i < 4; ++i) {
    const size_t nul = rest.find('\0');
    sections.push_back(rest.substr(0, nul));
    rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  }
  sections.push_back(rest);

  TStepBudget progress;
  korrin::TKorrinUtils engine(&progress);
  engine.IPRanges().Assign(Lines(sections[0]));
  // Keep runs small: "all" only over at most 2^14 addresses in all, a few ports, short names.
  int64_t window = 0;
  for (const auto& line : engine.IPRanges())
    if (auto r = korrin::ReadRangeLine(line)) window += int64_t{1} << std::min(r->SuffixStart - r->Prefix, 40);
  const bool small = window <= (1 << 14);
  const int mode = flags & 3;
  engine.SetGenerateCountMode(mode == 1 || !small ? korrin::TGenerateCounts::gcTotalCount
                              : mode == 2         ? korrin::TGenerateCounts::gcForEach
                                                  : korrin::TGenerateCounts::gcAllCount);
  engine.SetGenerateCount(count);
  engine.SetRandomOrder(flags & 4);
  engine.SetUsableHostIPAddresses(flags & 8);
  engine.SetDoExclude(flags & 16);
  engine.ExcludeMasks() = Lines(sections[1]);
  engine.SetPortNumbers(std::string(sections[2].substr(0, 64)));
  engine.SetAddPortNumbers((flags & 32) && FewPorts(engine.PortNumbers()));
  engine.SetEscapeIPv6(flags & 64);
  engine.SetGenerateNames(flags & 128);
  engine.SetNameTemplate(std::string(sections[3].substr(0, 256)));
  engine.SetCounterSymbol(std::string(sections[4].substr(0, 16)));
  engine.SetFirstCounter(count - 100);
  engine.SetCounterStep(static_cast<int8_t>(count));
  engine.SetCounterDigits(count % 12);
  engine.SetNameDelimiter(",");
  engine.SetRandomSeed(count);
  std::string result;
  try {
    engine.PerformGenerateIPList(result);
  } catch (const korrin::Exception&) {
  }
  return 0;
}
