#include "mmdb/mmdb_dictionary.h"

#include <algorithm>
#include <stdexcept>

namespace korrin {

TMMDBDictionary::TMMDBDictionary(std::initializer_list<value_type> entries) : FEntries(entries), FCount(entries.size()) {}

TMMDBDictionary::const_iterator TMMDBDictionary::find(std::string_view key) const {
  return std::find_if(begin(), end(), [&](const value_type& e) { return e.first == key; });
}

const std::string& TMMDBDictionary::at(std::string_view key) const {
  const auto it = find(key);
  if (it == end()) throw std::out_of_range("TMMDBDictionary::at");
  return it->second;
}

TMMDBDictionary::value_type& TMMDBDictionary::Append() {
  if (FCount == FEntries.size()) FEntries.emplace_back();
  return FEntries[FCount++];
}

bool TMMDBDictionary::KeepLast() {
  const std::string& key = FEntries[FCount - 1].first;
  // Language codes are short and mostly differ in their first letter: compare that first.
  const auto earlier = std::find_if(begin(), end() - 1, [&](const value_type& e) {
    return e.first.size() == key.size() && (key.empty() || e.first[0] == key[0]) && e.first == key;
  });
  if (earlier == end() - 1) return true;
  --FCount;
  return false;
}

bool operator==(const TMMDBDictionary& a, const TMMDBDictionary& b) {
  return a.size() == b.size() &&
         std::all_of(a.begin(), a.end(), [&](const auto& e) {
           const auto it = b.find(e.first);
           return it != b.end() && it->second == e.second;
         });
}

}  // namespace korrin
