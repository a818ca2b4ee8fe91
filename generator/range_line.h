#pragma once
// One range line as the user types it: [name "="] address ["/" prefix ["/" suffix start]], or
// [name "="] first "-" last (also "10.0.0.1-5"), or an IPv4 octet range ("10.0.1-3.1-254"). A
// line may list several between commas and end with a "#" comment, as scanners' target files do.
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "address/ip_span.h"

namespace korrin {

struct TRangeLine {
  // The text before "=", untrimmed; the whole trimmed line when there is none. A view into the
  // line read, valid while that is: a run over millions of lines keeps no copy of each name.
  std::string_view Name;
  TIPAddr Base;
  int Prefix = 0;               // p: the top p bits are the fixed network
  int SuffixStart = 0;          // s: the lowest W - s bits are a fixed suffix; bits between vary
  std::optional<TIPAddr> Last;  // set for "a-b" ranges: every address from Base to Last
  // An octet range that is not one span: its spans, ascending, from Base to Last.
  std::vector<TIPAddrSpan> Pieces;
};

// Empty when the line is to be skipped: blank, a ";" comment, or any part that does not read.
// For a line that does not read, `problem` says why; it stays empty for blanks and comments.
std::optional<TRangeLine> ReadRangeLine(std::string_view line, std::string& problem);
std::optional<TRangeLine> ReadRangeLine(std::string_view line);

// Every range of a line that may list several ("A=10.0.0.0/30, 10.0.1.0/30 # lab"), each under the
// line's name. Empty when the line is to be skipped, as above; one item that does not read skips
// the whole line, and `problem` names it.
std::vector<TRangeLine> ReadRangeItems(std::string_view line, std::string& problem);

}  // namespace korrin
