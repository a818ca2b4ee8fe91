#pragma once
// One range line as the user types it: [name "="] address ["/" prefix ["/" suffix start]], or
// [name "="] first "-" last (also "10.0.0.1-5").
#include <optional>
#include <string>
#include <string_view>

#include "address/ip_types.h"

namespace korrin {

struct TRangeLine {
  std::string Name;  // the text before "=", untrimmed; the whole trimmed line when there is none
  TIPAddr Base;
  int Prefix = 0;               // p: the top p bits are the fixed network
  int SuffixStart = 0;          // s: the lowest W - s bits are a fixed suffix; bits between vary
  std::optional<TIPAddr> Last;  // set for "a-b" ranges: every address from Base to Last
};

// Empty when the line is to be skipped: blank, a ";" comment, or any part that does not read.
// For a line that does not read, `problem` says why; it stays empty for blanks and comments.
std::optional<TRangeLine> ReadRangeLine(std::string_view line, std::string& problem);
std::optional<TRangeLine> ReadRangeLine(std::string_view line);

}  // namespace korrin
