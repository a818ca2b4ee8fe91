#include "mmdb/mmdb_dictionary.h"

#include <algorithm>
#include <stdexcept>

namespace korrin {

TMMDBDictionary::TMMDBDictionary(std::initializer_list<value_type> entries)
    : FEntries(entries), FCount(entries.size()) {}

TMMDBDictionary::const_iterator TMMDBDictionary::find(std::string_view key) const {
  return std::find_if(begin(), end(), [&](const value_type& e) { return e.first == key; });
}

const std::string& TMMDBDictionary::at(std::string_view key) const {
  const auto it = find(key);
  if (it == end()) throw std::out_of_range("TMMDBDictionary::at");
  return it->second;
}

bool TMMDBDictionary::Add(std::string_view key, std::string_view value) {
  if (FCount >= kIndexFrom) {
    if (FIndex.empty())
      for (const value_type& e : *this) FIndex.insert(e.first);
    if (!FIndex.emplace(key).second) return false;
  } else {
    // Language codes are a few letters that differ early: a plain loop beats a library compare.
    const bool known = std::any_of(begin(), end(), [&](const value_type& e) {
      if (e.first.size() != key.size()) return false;
      for (size_t i = 0; i < key.size(); ++i)
        if (e.first[i] != key[i]) return false;
      return true;
    });
    if (known) return false;
  }
  if (FCount == FEntries.size()) FEntries.emplace_back();
  value_type& entry = FEntries[FCount++];
  entry.first.assign(key);
  entry.second.assign(value);
  return true;
}

bool operator==(const TMMDBDictionary& a, const TMMDBDictionary& b) {
  return a.size() == b.size() && std::all_of(a.begin(), a.end(), [&](const auto& e) {
           const auto it = b.find(e.first);
           return it != b.end() && it->second == e.second;
         });
}

}  // namespace korrin
