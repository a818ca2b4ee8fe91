#pragma once
// The run's exclusions: exact sets of addresses ("10.0.0.7", "[fd00::1]", "10.0.0.0/25",
// "10.0.0.10-10.0.0.20", "10.0.1-3.0") compared by value whatever their spelling, and wildcard
// masks over the address text ("*.0"). Sets are subtracted from the ranges as intervals; only
// masks are asked once per candidate address, so each is prepared once.
#include <string>
#include <string_view>
#include <vector>

#include "generator/range_selection.h"
#include "generator/wildcard_mask.h"

namespace korrin {

class TExcludeList {
 public:
  // An entry is trimmed, cut at a "#" comment (one that begins with ";" is a comment too) and may
  // list items between commas. An item that
  // reads as a set of addresses is one; otherwise one holding a wildcard character ("*", "?",
  // "[") is a mask. Raises, naming the item, for one that is neither.
  void Add(std::string_view entry);
  const TAddressValueSet& Sets() const { return FSets; }
  bool HasMasks() const { return !FMasks.empty(); }
  // Masks match the text the address is written as, brackets included.
  void SetEscapeIPv6(bool value) { FEscapeIPv6 = value; }
  bool MasksExclude(const TIPAddr& address) const;

 private:
  TAddressValueSet FSets;
  std::vector<TWildcardMask> FMasks;
  bool FEscapeIPv6 = false;
  mutable std::string FText;  // spares an allocation per address
};

}  // namespace korrin
