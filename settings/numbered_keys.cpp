#include "settings/numbered_keys.h"

#include <algorithm>
#include <optional>

#include "common/text.h"

namespace korrin {

namespace {

// Only the canonical spelling that NumberedKey produces names a key: no sign, no leading zero.
std::optional<int32_t> CanonicalNumber(std::string_view digits) {
  if (digits.empty() || digits[0] < '1' || digits[0] > '9' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return TryStrToInt(digits);
}

}  // namespace

std::string NumberedKey(std::string_view Stem, int32_t Number, std::string_view Suffix) {
  std::string key(Stem);
  key += std::to_string(Number);
  key += Suffix;
  return key;
}

std::vector<int32_t> PresentNumberedKeys(const TVHashedStringList& List, std::string_view Stem, std::string_view Suffix,
                                         int32_t Count) {
  std::vector<int32_t> numbers;
  if (Count <= List.Count()) {
    for (int32_t i = 1; i <= Count; ++i)
      if (List.IndexOfName(NumberedKey(Stem, i, Suffix)) >= 0) numbers.push_back(i);
    return numbers;
  }
  // A count beyond the number of lines: find the keys among the lines instead of trying each
  // number, so that a claimed count of two billion costs one pass.
  const std::string stem = List.NormalisedKey(Stem), suffix = List.NormalisedKey(Suffix);
  for (int32_t k = 0; k < List.Count(); ++k) {
    const std::string name = List.NormalisedKey(List.Names(k));
    if (name.size() <= stem.size() + suffix.size() || !name.starts_with(stem) || !name.ends_with(suffix)) continue;
    const auto number =
        CanonicalNumber(std::string_view(name).substr(stem.size(), name.size() - stem.size() - suffix.size()));
    if (number && *number <= Count) numbers.push_back(*number);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

std::vector<std::pair<int32_t, int32_t>> PresentNumberedKeyPairs(const TVHashedStringList& List, std::string_view Stem,
                                                                 std::string_view Infix) {
  const std::string stem = List.NormalisedKey(Stem), infix = List.NormalisedKey(Infix);
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (int32_t k = 0; k < List.Count(); ++k) {
    const std::string name = List.NormalisedKey(List.Names(k));
    if (!name.starts_with(stem)) continue;
    const std::string_view rest = std::string_view(name).substr(stem.size());
    const size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
    if (!rest.substr(digits).starts_with(infix)) continue;
    const auto i = CanonicalNumber(rest.substr(0, digits));
    const auto j = CanonicalNumber(rest.substr(digits + infix.size()));
    if (i && j) pairs.emplace_back(*i, *j);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  return pairs;
}

}  // namespace korrin
