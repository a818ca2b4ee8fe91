#pragma once
// The string-to-string map of localized names and descriptions. It keeps its entries' storage
// when cleared, so a record filled again for every look-up does not allocate again; entries stay
// in stored order.
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace korrin {

class TMMDBDictionary {
 public:
  using value_type = std::pair<std::string, std::string>;
  using const_iterator = std::vector<value_type>::const_iterator;

  TMMDBDictionary() = default;
  TMMDBDictionary(std::initializer_list<value_type> entries);

  size_t size() const { return FCount; }
  bool empty() const { return FCount == 0; }
  const_iterator begin() const { return FEntries.begin(); }
  const_iterator end() const { return FEntries.begin() + static_cast<std::ptrdiff_t>(FCount); }
  const_iterator find(std::string_view key) const;
  // Raises std::out_of_range when the key is missing.
  const std::string& at(std::string_view key) const;
  void clear() {
    FCount = 0;
    FIndex.clear();
  }

  // Adds the entry, reusing the storage of an entry cleared before; false, with nothing added,
  // when the key is there already.
  bool Add(std::string_view key, std::string_view value);

  // The same entries, in any order.
  friend bool operator==(const TMMDBDictionary& a, const TMMDBDictionary& b);

 private:
  // Keys of a large dictionary, so that adding stays linear in its size; the few language codes
  // of a real one are checked by a plain loop and never fill it.
  static constexpr size_t kIndexFrom = 16;
  std::unordered_set<std::string> FIndex;
  std::vector<value_type> FEntries;
  size_t FCount = 0;
};

}  // namespace korrin
