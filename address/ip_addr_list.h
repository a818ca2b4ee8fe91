#pragma once
// Growable array of TIPAddr with the system's list growth and its list-error messages; the
// engine keeps every collected address of a run in one.
#include <vector>

#include "address/ip_types.h"

namespace korrin {

class EIPAddrListError : public Exception {
 public:
  using Exception::Exception;
};

class TIPAddrList {
 public:
  int Add(const TIPAddr& value);
  void Insert(int index, const TIPAddr& value);
  void Delete(int index);
  void Clear();
  const TIPAddr& GetIPAddress(int index) const;
  void SetIPAddress(int index, const TIPAddr& value);
  const TIPAddr& IPAddress(int index) const { return GetIPAddress(index); }
  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  void SetCapacity(int capacity);

 private:
  void Grow();
  void CheckIndex(int index, int limit) const;

  std::vector<TIPAddr> FList;  // holds the FCount elements in use, FCapacity reserved
  int FCount = 0;
  int FCapacity = 0;
};

// The growth step shared by the system's lists: 4 up to 8, 16 up to 64, a quarter above that.
inline int ListGrowDelta(int capacity) { return capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4); }

// Gives `storage` (which holds the elements in use) exactly `capacity` slots.
template <typename T>
void ResizeStorage(std::vector<T>& storage, int capacity) {
  const auto wanted = static_cast<size_t>(capacity);
  if (wanted > storage.capacity()) {
    storage.reserve(wanted);
  } else if (wanted < storage.capacity()) {
    std::vector<T> smaller;
    smaller.reserve(wanted);
    smaller.assign(storage.begin(), storage.end());
    storage.swap(smaller);
  }
}

}  // namespace korrin
