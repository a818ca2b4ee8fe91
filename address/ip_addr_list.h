#pragma once
// Growable array of TIPAddr with the system's list growth and its list-error messages; the
// engine keeps every collected address of a run in one.
#include "address/ip_types.h"
#include "common/growable_list.h"

namespace korrin {

class EIPAddrListError : public Exception {
 public:
  using Exception::Exception;
};

class TIPAddrList : public TGrowableList<TIPAddr, EIPAddrListError> {
 public:
  int Add(const TIPAddr& value) { return Append(value); }
  void Insert(int index, const TIPAddr& value) {
    CheckIndex(index, FCount);
    InsertAt(index, value);
  }
  const TIPAddr& GetIPAddress(int index) const {
    CheckIndex(index, FCount - 1);
    return FList[static_cast<size_t>(index)];
  }
  void SetIPAddress(int index, const TIPAddr& value) {
    CheckIndex(index, FCount - 1);
    FList[static_cast<size_t>(index)] = value;
  }
  const TIPAddr& IPAddress(int index) const { return GetIPAddress(index); }
};

}  // namespace korrin
