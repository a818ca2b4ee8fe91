#include "settings/numbered_keys.h"

#include <algorithm>

#include "common/text.h"

namespace korrin {

std::string NumberedKey(std::string_view Stem, int32_t Number, std::string_view Suffix) {
  std::string key(Stem);
  key += std::to_string(Number);
  key += Suffix;
  return key;
}

std::vector<int32_t> PresentNumberedKeys(const TVHashedStringList& List, std::string_view Stem,
                                         std::string_view Suffix, int32_t Count) {
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
    if (name.size() <= stem.size() + suffix.size() || !name.starts_with(stem) ||
        !name.ends_with(suffix))
      continue;
    const std::string_view digits =
        std::string_view(name).substr(stem.size(), name.size() - stem.size() - suffix.size());
    // Only the canonical spelling that NumberedKey produces names a key.
    if (digits[0] < '1' || digits[0] > '9' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const auto number = TryStrToInt(digits);
    if (number && *number <= Count) numbers.push_back(*number);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace korrin
