#include "generator/int_list.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <utility>

#include "common/file_io.h"
#include "common/text.h"

namespace korrin {

namespace {

// The stored form: each value as 4 bytes, little-endian, nothing else.
std::string LittleEndianBytes(const int32_t* values, int count) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(count) * 4);
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<uint32_t>(values[i]);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(v >> shift));
  }
  return bytes;
}

}  // namespace

int TIntList::Bisect(int32_t value, bool& found) const {
  int lo = 0, hi = FCount - 1;
  found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (FList[mid] < value) {
      lo = mid + 1;
    } else {
      if (FList[mid] == value) found = true;
      hi = mid - 1;
    }
  }
  return lo;  // the lowest index holding value when found
}

int TIntList::Add(int32_t value) {
  if (FSorted && FCount > 0) return AddSorted(value, FNoDuplicates);
  return Append(value);
}

int TIntList::AddSorted(int32_t value, bool unique) {
  bool found;
  const int at = Bisect(value, found);
  if (found && unique) return -1;
  InsertAt(at, value);
  return at;
}

void TIntList::AddN(int32_t value, int n) {
  if (n <= 0) return;
  if (FSorted) {
    for (int i = 0; i < n; ++i) AddSorted(value, FNoDuplicates);
    return;
  }
  GrowFor(n);
  FList.insert(FList.end(), static_cast<size_t>(n), value);
  FCount += n;
}

void TIntList::AddRange(int32_t lowValue, int32_t highValue) {
  if (highValue < lowValue) return;
  const int64_t n = int64_t{highValue} - lowValue + 1;
  if (!FSorted) GrowFor(static_cast<int>(n));
  for (int64_t v = lowValue; v <= highValue; ++v) {
    if (FSorted) AddSorted(static_cast<int32_t>(v), FNoDuplicates);
    else {
      FList.push_back(static_cast<int32_t>(v));
      ++FCount;
    }
  }
}

void TIntList::AddFromString(std::string_view s) {
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < s.size() && s[i] == ' ') ++i;
  };
  // A number starts with 1..9; values beyond 32 bits end the reading like any bad text.
  auto readNumber = [&](int32_t& out) {
    if (i >= s.size() || s[i] < '1' || s[i] > '9') return false;
    int64_t v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      v = v * 10 + (s[i++] - '0');
      if (v > INT32_MAX) return false;
    }
    out = static_cast<int32_t>(v);
    return true;
  };
  skipBlanks();
  while (i < s.size()) {
    if (s[i] == ',') {
      ++i;
      continue;
    }
    int32_t low;
    if (!readNumber(low)) return;
    skipBlanks();
    if (i < s.size() && s[i] == '-' && i + 1 < s.size()) {
      ++i;
      skipBlanks();
      int32_t high;
      if (!readNumber(high)) return;
      AddRange(low, high);
      skipBlanks();
    } else {
      Add(low);
    }
    if (i >= s.size() || s[i] != ',') return;
  }
}

void TIntList::Insert(int index, int32_t value) {
  if (FSorted) throw EIntListError("Operation not allowed on sorted list");
  CheckIndex(index, FCount);
  InsertAt(index, value);
}

void TIntList::Exchange(int index1, int index2) {
  CheckIndex(index1, FCount - 1);
  CheckIndex(index2, FCount - 1);
  if (index1 == index2) return;
  std::swap(FList[index1], FList[index2]);
  if (FOnExchangeItems) FOnExchangeItems(index1, index2);
}

int TIntList::IndexOf(int32_t value) const {
  for (int i = 0; i < FCount; ++i)
    if (FList[i] == value) return i;
  return -1;
}

int TIntList::Find(int32_t value) const { return FSorted ? FindSorted(value) : IndexOf(value); }

int TIntList::FindSorted(int32_t value) const {
  bool found;
  const int at = Bisect(value, found);
  return found ? at : -1;
}

int32_t TIntList::GetValue(int index) const {
  CheckIndex(index, FCount - 1);
  return FList[index];
}

void TIntList::SetValue(int index, int32_t value) {
  CheckIndex(index, FCount - 1);
  FList[index] = value;
}

int32_t* TIntList::GetPInt(int index) {
  CheckIndex(index, FCount - 1);
  return &FList[index];
}

void TIntList::IncValue(int index, int32_t n) {
  CheckIndex(index, FCount - 1);
  FList[index] = static_cast<int32_t>(static_cast<uint32_t>(FList[index]) + static_cast<uint32_t>(n));
}

void TIntList::DecValue(int index, int32_t n) {
  CheckIndex(index, FCount - 1);
  FList[index] = static_cast<int32_t>(static_cast<uint32_t>(FList[index]) - static_cast<uint32_t>(n));
}

void TIntList::QuickSort(int l, int r) {
  while (l < r) {
    int i = l, j = r;
    const int32_t pivot = FList[l + (r - l) / 2];
    while (i <= j) {
      while (FList[i] < pivot) ++i;
      while (FList[j] > pivot) --j;
      if (i <= j) std::swap(FList[i++], FList[j--]);
    }
    // Recurse into the smaller part so that the depth stays logarithmic.
    if (j - l < r - i) {
      QuickSort(l, j);
      l = i;
    } else {
      QuickSort(i, r);
      r = j;
    }
  }
}

void TIntList::RemoveDuplicates() {
  if (FCount < 2) return;
  int out = 1;
  for (int i = 1; i < FCount; ++i)
    if (FList[i] != FList[out - 1]) FList[out++] = FList[i];
  FCount = out;
  FList.resize(static_cast<size_t>(out));
}

void TIntList::Sort() {
  if (FCount > 1) QuickSort(0, FCount - 1);
  if (FNoDuplicates) RemoveDuplicates();
}

void TIntList::SortRange(int l, int r) {
  CheckIndex(l, FCount - 1);
  CheckIndex(r, FCount - 1);
  if (l < r) QuickSort(l, r);
}

void TIntList::SetSorted(bool value) {
  if (value && !FSorted) Sort();
  FSorted = value;
}

void TIntList::SetNoDuplicates(bool value) {
  if (value && !FNoDuplicates && FSorted) RemoveDuplicates();
  FNoDuplicates = value;
}

void TIntList::Shuffle(TRandom& rng) {
  FSorted = false;
  for (int i = 0; i + 1 < FCount; ++i) {
    const int j = static_cast<int>(RandomBelow(rng, static_cast<uint64_t>(FCount - i)));
    if (j > 0) std::swap(FList[i], FList[i + j]);
  }
}

void TIntList::Assign(const TIntList& source) {
  FList.clear();
  FCount = 0;
  SetCapacity(source.FCapacity);
  FList.assign(source.FList.begin(), source.FList.end());
  FCount = source.FCount;
}

void TIntList::SaveToStream(std::ostream& stream) const {
  const std::string bytes = LittleEndianBytes(FList.data(), FCount);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TIntList::SaveToFile(const std::string& fileName) const {
  WriteFileReplacing(fileName, LittleEndianBytes(FList.data(), FCount));
}

void TIntList::LoadFromStream(std::istream& stream) {
  LoadFromBytes(std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
}

void TIntList::LoadFromFile(const std::string& fileName) { LoadFromBytes(ReadWholeFile(fileName)); }

void TIntList::LoadFromBytes(std::string_view bytes) {
  Clear();
  const int count = static_cast<int>(bytes.size() / 4);
  GrowFor(count);
  for (int i = 0; i < count; ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * i;
    FList.push_back(
        static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24));
  }
  FCount = count;
}

}  // namespace korrin
