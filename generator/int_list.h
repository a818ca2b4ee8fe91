#pragma once
// Growable list of signed 32-bit integers, optionally sorted and free of duplicates: the engine
// keeps range step positions and per-address range indexes in it, the viewer column widths.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "common/exception.h"
#include "common/growable_list.h"
#include "common/random.h"

namespace korrin {

class EIntListError : public Exception {
 public:
  using Exception::Exception;
};

using TExchangeItemsEvent = std::function<void(int Index1, int Index2)>;

class TIntList : public TGrowableList<int32_t, EIntListError> {
 public:
  int Add(int32_t value);
  int AddSorted(int32_t value, bool unique);
  void AddN(int32_t value, int n);
  void AddRange(int32_t lowValue, int32_t highValue);
  void AddFromString(std::string_view text);
  void Insert(int index, int32_t value);
  void Exchange(int index1, int index2);
  int IndexOf(int32_t value) const;
  int Find(int32_t value) const;
  int FindSorted(int32_t value) const;
  int32_t GetValue(int index) const;
  void SetValue(int index, int32_t value);
  int32_t* GetPInt(int index);
  void IncValue(int index, int32_t n);
  void DecValue(int index, int32_t n);
  void Sort();
  void SortRange(int l, int r);
  void Shuffle(TRandom& rng);
  void Assign(const TIntList& source);
  void SaveToStream(std::ostream& stream) const;
  void SaveToFile(const std::string& fileName) const;
  void LoadFromStream(std::istream& stream);
  void LoadFromFile(const std::string& fileName);

  int32_t Value(int index) const { return GetValue(index); }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  bool NoDuplicates() const { return FNoDuplicates; }
  void SetNoDuplicates(bool value);
  void SetOnExchangeItems(TExchangeItemsEvent event) { FOnExchangeItems = std::move(event); }

 private:
  void QuickSort(int l, int r);
  void RemoveDuplicates();
  int Bisect(int32_t value, bool& found) const;
  void LoadFromBytes(std::string_view bytes);

  bool FSorted = false;
  bool FNoDuplicates = false;
  TExchangeItemsEvent FOnExchangeItems;
};

}  // namespace korrin
