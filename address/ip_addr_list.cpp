#include "address/ip_addr_list.h"

#include "common/text.h"

namespace korrin {

void TIPAddrList::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit) throw EIPAddrListError(Format("List index out of bounds (%d)", index));
}

void TIPAddrList::SetCapacity(int capacity) {
  if (capacity < FCount) throw EIPAddrListError(Format("List capacity out of bounds (%d)", capacity));
  ResizeStorage(FList, capacity);
  FCapacity = capacity;
}

void TIPAddrList::Grow() { SetCapacity(FCapacity + ListGrowDelta(FCapacity)); }

int TIPAddrList::Add(const TIPAddr& value) {
  if (FCount == FCapacity) Grow();
  FList.push_back(value);
  return FCount++;
}

void TIPAddrList::Insert(int index, const TIPAddr& value) {
  CheckIndex(index, FCount);
  if (FCount == FCapacity) Grow();
  FList.insert(FList.begin() + index, value);
  ++FCount;
}

void TIPAddrList::Delete(int index) {
  CheckIndex(index, FCount - 1);
  FList.erase(FList.begin() + index);
  --FCount;
}

void TIPAddrList::Clear() {
  FList.clear();
  FCount = 0;
  SetCapacity(0);
}

const TIPAddr& TIPAddrList::GetIPAddress(int index) const {
  CheckIndex(index, FCount - 1);
  return FList[index];
}

void TIPAddrList::SetIPAddress(int index, const TIPAddr& value) {
  CheckIndex(index, FCount - 1);
  FList[index] = value;
}

}  // namespace korrin
