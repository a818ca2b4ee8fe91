#pragma once
// The run's exclusions: wildcard masks over the address text ("*.0"), and networks or spans
// ("10.0.0.0/25", "10.0.0.10-10.0.0.20") over the address value. The engine asks one question per
// candidate address, so every entry is prepared once.
#include <string>
#include <string_view>
#include <vector>

#include "address/ip_span.h"
#include "generator/wildcard_mask.h"

namespace korrin {

class TExcludeList {
 public:
  // An entry with "/" or "-" and no wildcard character is a network or span; anything else a
  // mask. Raises for an entry that reads as neither.
  void Add(std::string_view entry);
  int Count() const { return static_cast<int>(FMasks.size() + FSpans.size()); }
  // Masks match the text the address is written as, brackets included.
  void SetEscapeIPv6(bool value) { FEscapeIPv6 = value; }
  bool Excludes(const TIPAddr& address) const;

 private:
  std::vector<TWildcardMask> FMasks;
  std::vector<TIPAddrSpan> FSpans;
  bool FEscapeIPv6 = false;
  mutable std::string FText;  // spares an allocation per address
};

}  // namespace korrin
