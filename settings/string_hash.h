#pragma once
// A fixed-size chained hash table from text keys to line indexes: the look-up structure behind
// the hashed line list, where equal keys may coexist and the newest one is found first.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

struct TVHashItem {
  std::unique_ptr<TVHashItem> Next;
  std::string Key;
  int32_t Value = 0;
};

class TVStringHash {
 public:
  explicit TVStringHash(int32_t Size);
  virtual ~TVStringHash();
  TVStringHash(const TVStringHash&) = delete;
  TVStringHash& operator=(const TVStringHash&) = delete;

  // Rotates the hash left by 2 and folds in each UTF-16 code unit of the key in turn, so that a
  // key hashes alike whatever text encoding the rest of the system uses.
  virtual uint32_t HashOf(std::string_view Key) const;

  void Add(std::string_view Key, int32_t Value);
  int32_t ValueOf(std::string_view Key) const;  // -1 when absent
  bool Delete(std::string_view Key, int32_t Value);
  void DecValues(int32_t Value);  // every value above `Value` moves down by one
  void Clear();
  int32_t BucketCount() const { return static_cast<int32_t>(FBuckets.size()); }
  int32_t ItemCount() const { return FItemCount; }
  // Spreads the items over `Size` buckets; equal keys keep their order, so look-ups are unchanged.
  void Resize(int32_t Size);

 private:
  std::unique_ptr<TVHashItem>& BucketOf(std::string_view Key);
  const std::unique_ptr<TVHashItem>& BucketOf(std::string_view Key) const;

  std::vector<std::unique_ptr<TVHashItem>> FBuckets;
  int32_t FItemCount = 0;
};

// Stands for a class reference: creates a table of the given size, possibly with another hash.
using TVStringHashClass = std::function<std::unique_ptr<TVStringHash>(int32_t Size)>;

}  // namespace korrin
