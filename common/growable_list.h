#pragma once
// The storage, growth rule and index checks shared by the system's growable lists (addresses,
// integers): capacity grows by 4 up to 8, by 16 up to 64, and by a quarter above that, and bad
// indexes and capacities raise the list's own error with the list messages.
#include <vector>

#include "common/text.h"

namespace korrin {

template <typename T, typename TError>
class TGrowableList {
 public:
  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  void SetCapacity(int capacity) {
    if (capacity < FCount) throw TError(Format("List capacity out of bounds (%d)", capacity));
    const auto wanted = static_cast<size_t>(capacity);
    if (wanted > FList.capacity()) {
      FList.reserve(wanted);
    } else if (wanted < FList.capacity()) {
      std::vector<T> smaller;
      smaller.reserve(wanted);
      smaller.assign(FList.begin(), FList.end());
      FList.swap(smaller);
    }
    FCapacity = capacity;
  }
  void Delete(int index) {
    CheckIndex(index, FCount - 1);
    FList.erase(FList.begin() + index);
    --FCount;
  }
  void Clear() {
    FList.clear();
    FCount = 0;
    SetCapacity(0);
  }

 protected:
  void CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw TError(Format("List index out of bounds (%d)", index));
  }
  // Makes room for `extra` more elements: by the missing amount when that is 4 or more,
  // otherwise by the growth rule.
  void GrowFor(int extra) {
    const int missing = FCount + extra - FCapacity;
    if (missing <= 0) return;
    const int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(FCapacity + (missing >= 4 ? missing : delta));
  }
  int Append(const T& value) {
    GrowFor(1);
    FList.push_back(value);
    return FCount++;
  }
  void InsertAt(int index, const T& value) {
    GrowFor(1);
    FList.insert(FList.begin() + index, value);
    ++FCount;
  }

  std::vector<T> FList;  // holds the FCount elements in use, FCapacity reserved
  int FCount = 0;
  int FCapacity = 0;
};

}  // namespace korrin
