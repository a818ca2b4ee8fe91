#pragma once
// Numbered keys (IPRange1, StoredList2.Setting3, ...) read against a count that the file itself
// claims: the count is untrusted, so the work done is bounded by the lines actually present.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/hashed_string_list.h"

namespace korrin {

// Stem, the decimal number, then Suffix.
std::string NumberedKey(std::string_view Stem, int32_t Number, std::string_view Suffix = {});

// The numbers 1..Count, ascending, for which List holds the key NumberedKey(Stem, i, Suffix).
std::vector<int32_t> PresentNumberedKeys(const TVHashedStringList& List, std::string_view Stem, std::string_view Suffix,
                                         int32_t Count);

// Every key Stem i Infix j (both numbers from 1) that List holds, as pairs (i, j) in ascending
// order: one pass for all the sets of a file, however many lines each one claims.
std::vector<std::pair<int32_t, int32_t>> PresentNumberedKeyPairs(const TVHashedStringList& List, std::string_view Stem,
                                                                 std::string_view Infix);

}  // namespace korrin
