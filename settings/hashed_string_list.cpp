#include "settings/hashed_string_list.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "common/exception.h"
#include "common/file_io.h"
#include "common/text.h"
#include "settings/settings_file_encoding.h"

namespace korrin {

namespace {

constexpr char kSeparator = '=';

// The bucket count given at construction serves small lists; a larger table grows with its items
// so that chains stay short. The grown sizes are primes: the hash rotates by two bits per code
// unit, so its low bits depend only on the last few characters, and a power of two as the bucket
// count would put StoredList1.Setting7 and StoredList2.Setting7 into the same chain.
int32_t BucketsFor(int64_t items, int32_t floor) {
  static constexpr int32_t kPrimes[] = {1021,    4093,    16381,    65521,    262139,
                                        1048573, 4194301, 16777213, 67108859, 268435399};
  if (items <= 2 * int64_t{std::max(floor, 1)}) return std::max(floor, 1);
  for (const int32_t size : kPrimes)
    if (size > floor && items <= 2 * int64_t{size}) return size;
  return kPrimes[std::size(kPrimes) - 1];
}

void EnsureBuckets(TVStringHash& hash, int64_t items) {
  const int32_t size = BucketsFor(items, hash.BucketCount());
  if (size > hash.BucketCount()) hash.Resize(size);
}

std::optional<std::string_view> NameOfLine(std::string_view line) {
  const size_t at = line.find(kSeparator);
  if (at == std::string_view::npos) return std::nullopt;
  return line.substr(0, at);
}

// Swaps the entry of one line for another; keeps the newest duplicate first, or reports that the
// table must be rebuilt because the new entry belongs behind an equal key of a later line.
bool ReplaceEntry(TVStringHash& hash, const std::optional<std::string>& old_key,
                  const std::optional<std::string>& new_key, int32_t index) {
  if (old_key) hash.Delete(*old_key, index);
  if (!new_key) return true;
  if (hash.ValueOf(*new_key) > index) return false;
  hash.Add(*new_key, index);
  return true;
}

}  // namespace

TVHashedStringList::TVHashedStringList(int32_t BucketsSize)
    : FBucketsSize(BucketsSize), FHashClass([](int32_t Size) { return std::make_unique<TVStringHash>(Size); }) {}

void TVHashedStringList::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= Count()) throw Exception(Format("List index out of bounds (%d)", Index));
}

const std::string& TVHashedStringList::Get(int32_t Index) const {
  CheckIndex(Index);
  return FLines[Index];
}

std::string TVHashedStringList::Names(int32_t Index) const { return std::string(NameOfLine(Get(Index)).value_or("")); }

std::string TVHashedStringList::NormalisedKey(std::string_view S) const {
  return FCaseSensitive ? std::string(S) : UpperCase(S);
}

std::unique_ptr<TVStringHash> TVHashedStringList::NewHash() const { return FHashClass(FBucketsSize); }

void TVHashedStringList::Changed(bool KeepValueHash, bool KeepNameHash) {
  FValueHashValid = FValueHashValid && KeepValueHash;
  FNameHashValid = FNameHashValid && KeepNameHash;
  if (FOnChange) FOnChange();
}

int32_t TVHashedStringList::Add(std::string S) {
  const int32_t index = Count();
  Insert(index, std::move(S));
  return index;
}

void TVHashedStringList::Insert(int32_t Index, std::string S) {
  if (Index < 0 || Index > Count()) throw Exception(Format("List index out of bounds (%d)", Index));
  // Only an append keeps the tables: any other insertion shifts the indexes they hold.
  const bool maintain = FAutoUpdateHash && Index == Count();
  FLines.insert(FLines.begin() + Index, std::move(S));
  const std::string& line = FLines[Index];
  if (maintain && FValueHashValid) {
    FValueHash->Add(NormalisedKey(line), Index);
    EnsureBuckets(*FValueHash, FValueHash->ItemCount());
  }
  if (maintain && FNameHashValid) {
    if (const auto name = NameOfLine(line)) FNameHash->Add(NormalisedKey(*name), Index);
    EnsureBuckets(*FNameHash, FNameHash->ItemCount());
  }
  Changed(maintain, maintain);
}

void TVHashedStringList::Put(int32_t Index, std::string S) {
  CheckIndex(Index);
  if (FLines[Index] == S) return;
  bool keep_value = false, keep_name = false;
  if (FAutoUpdateHash && FValueHashValid)
    keep_value = ReplaceEntry(*FValueHash, NormalisedKey(FLines[Index]), NormalisedKey(S), Index);
  if (FAutoUpdateHash && FNameHashValid) {
    auto name_key = [this](std::string_view line) -> std::optional<std::string> {
      if (const auto name = NameOfLine(line)) return NormalisedKey(*name);
      return std::nullopt;
    };
    keep_name = ReplaceEntry(*FNameHash, name_key(FLines[Index]), name_key(S), Index);
  }
  FLines[Index] = std::move(S);
  Changed(keep_value, keep_name);
}

void TVHashedStringList::Delete(int32_t Index) {
  CheckIndex(Index);
  const bool maintain = FAutoUpdateHash;
  const std::string& line = FLines[Index];
  if (maintain && FValueHashValid) {
    FValueHash->Delete(NormalisedKey(line), Index);
    FValueHash->DecValues(Index);
  }
  if (maintain && FNameHashValid) {
    if (const auto name = NameOfLine(line)) FNameHash->Delete(NormalisedKey(*name), Index);
    FNameHash->DecValues(Index);
  }
  FLines.erase(FLines.begin() + Index);
  Changed(maintain, maintain);
}

void TVHashedStringList::Clear() {
  FLines.clear();
  Changed(false, false);
}

std::string TVHashedStringList::Text() const {
  std::string out;
  for (const auto& line : FLines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void TVHashedStringList::SetText(std::string_view Text) { SetLines(Text, false); }

void TVHashedStringList::SetLines(std::string_view Text, bool NamedOnly) {
  std::vector<std::string> lines;
  const auto add = [&](std::string_view line) {
    if (!NamedOnly || NameOfLine(line)) lines.emplace_back(line);
  };
  size_t start = 0;
  while (start < Text.size()) {
    const size_t end = Text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      add(Text.substr(start));
      break;
    }
    add(Text.substr(start, end - start));
    start = end + (Text[end] == '\r' && end + 1 < Text.size() && Text[end + 1] == '\n' ? 2 : 1);
  }
  FLines = std::move(lines);
  Changed(false, false);
}

// A line without a name is never looked up; a file of millions of blank lines would otherwise
// cost a string each.
void TVHashedStringList::LoadFromFile(const std::string& FileName) {
  SetLines(DecodeTextFile(ReadWholeFile(FileName)), true);
}

void TVHashedStringList::SaveToFile(const std::string& FileName) const { WriteFileReplacing(FileName, Text()); }

void TVHashedStringList::UpdateValueHash() const {
  if (FValueHashValid) return;
  if (FValueHash) FValueHash->Clear();
  else FValueHash = NewHash();
  EnsureBuckets(*FValueHash, Count());
  for (int32_t i = 0; i < Count(); ++i) FValueHash->Add(NormalisedKey(FLines[i]), i);
  FValueHashValid = true;
  ++FHashRebuilds;
}

void TVHashedStringList::UpdateNameHash() const {
  if (FNameHashValid) return;
  if (FNameHash) FNameHash->Clear();
  else FNameHash = NewHash();
  EnsureBuckets(*FNameHash, Count());
  for (int32_t i = 0; i < Count(); ++i)
    if (const auto name = NameOfLine(FLines[i])) FNameHash->Add(NormalisedKey(*name), i);
  FNameHashValid = true;
  ++FHashRebuilds;
}

int32_t TVHashedStringList::IndexOf(std::string_view S) const {
  UpdateValueHash();
  return FValueHash->ValueOf(NormalisedKey(S));
}

int32_t TVHashedStringList::IndexOfName(std::string_view Name) const {
  UpdateNameHash();
  return FNameHash->ValueOf(NormalisedKey(Name));
}

std::string TVHashedStringList::Values(std::string_view Name) const {
  const int32_t index = IndexOfName(Name);
  if (index < 0) return {};
  const std::string& line = FLines[index];
  // Skips the line's own name, which may differ from `Name` in letter case.
  return line.substr(line.find(kSeparator) + 1);
}

void TVHashedStringList::SetValues(std::string_view Name, std::string_view Value) {
  int32_t index = IndexOfName(Name);
  if (Value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  if (index < 0) index = Add(std::string());
  std::string line(Name);
  line += kSeparator;
  line += Value;
  Put(index, std::move(line));
}

void TVHashedStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  Changed(false, false);
}

void TVHashedStringList::SetHashClass(TVStringHashClass Value) {
  FHashClass = std::move(Value);
  FValueHash.reset();
  FNameHash.reset();
  FValueHashValid = FNameHashValid = false;
}

}  // namespace korrin
