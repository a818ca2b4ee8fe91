#pragma once
// The key tables through which record classes tell the decoder which map key fills which member:
// each class publishes one static table, so decoding and clearing need no per-class code.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "mmdb/mmdb_dictionary.h"

namespace korrin {

// What a member holds; the decoder accepts a stored value only of the matching kind.
enum class TMMDBKind : uint8_t {
  String,
  Double,
  Bytes,
  Integer,
  Int64,
  UInt64,
  Boolean,
  Single,
  Record,
  Dictionary,
  StringList,
  RecordList,
};

using TMMDBStringList = std::vector<std::string>;
using TMMDBBytes = std::vector<uint8_t>;

class TMMDBRecord;

// A member that holds a list of records; the decoder appends elements it creates itself.
class TMMDBRecordListBase {
 public:
  virtual ~TMMDBRecordListBase() = default;
  virtual void Clear() = 0;
  virtual TMMDBRecord& Add() = 0;
  virtual std::string KindName() const = 0;
  // The memory one element takes, which the decoder's budget counts.
  virtual int64_t ElementSize() const = 0;
};

// One row of a key table: the map key, the member's kind and how to reach the member.
struct TMMDBKey {
  std::string_view Name;
  TMMDBKind Kind;
  // The member inside the given record: a TMMDBRecord* for Record, a TMMDBRecordListBase* for
  // RecordList, otherwise a pointer to the member's own type.
  void* (*Field)(TMMDBRecord&);
};

// One record class's keys in declared order, with the class name that messages show.
class TMMDBKeyTable {
 public:
  TMMDBKeyTable(std::string_view className, std::initializer_list<TMMDBKey> keys);
  // A derived class's table: the base's keys first, then its own.
  TMMDBKeyTable(const TMMDBKeyTable& base, std::string_view className, std::initializer_list<TMMDBKey> keys);

  std::string_view ClassName() const { return FClassName; }
  const std::vector<TMMDBKey>& Keys() const { return FKeys; }
  // Keys are matched without regard to ASCII letter case; nullptr when no member takes the key.
  const TMMDBKey* Find(std::string_view key) const;

 private:
  std::string_view FClassName;
  std::vector<TMMDBKey> FKeys;
};

// The base of every class the decoder fills from a map.
class TMMDBRecord {
 public:
  virtual ~TMMDBRecord() = default;
  virtual const TMMDBKeyTable& Keys() const = 0;
  // Back to the freshly created state: strings, numbers and lists empty or zero, nested records cleared.
  void Clear();

 protected:
  TMMDBRecord() = default;
  TMMDBRecord(const TMMDBRecord&) = default;
  TMMDBRecord& operator=(const TMMDBRecord&) = default;
};

// The list member of a record class, owning its elements in stored order. Like the dictionary,
// it keeps cleared elements for reuse, so refilling a record does not allocate again.
template <class T>
class TMMDBRecordList : public TMMDBRecordListBase {
 public:
  void Clear() override { FCount = 0; }
  TMMDBRecord& Add() override {
    if (FCount == FItems.size()) FItems.emplace_back();
    else FItems[FCount].Clear();
    return FItems[FCount++];
  }
  std::string KindName() const override {
    return "TObjectList<uMMDBInfo." + std::string(T::KeyTable().ClassName()) + ">";
  }
  int64_t ElementSize() const override { return sizeof(T); }
  int Count() const { return static_cast<int>(FCount); }
  const T& operator[](int index) const {
    if (index < 0 || static_cast<size_t>(index) >= FCount) throw std::out_of_range("TMMDBRecordList index");
    return FItems[static_cast<size_t>(index)];
  }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.begin() + static_cast<std::ptrdiff_t>(FCount); }

 private:
  std::vector<T> FItems;
  size_t FCount = 0;
};

template <class M>
struct TMMDBMemberTraits;
template <class C, class T>
struct TMMDBMemberTraits<T C::*> {
  using Class = C;
  using Type = T;
};

template <class T>
constexpr TMMDBKind MMDBKindOf() {
  if constexpr (std::is_same_v<T, std::string>) return TMMDBKind::String;
  else if constexpr (std::is_same_v<T, double>) return TMMDBKind::Double;
  else if constexpr (std::is_same_v<T, TMMDBBytes>) return TMMDBKind::Bytes;
  else if constexpr (std::is_same_v<T, int32_t>) return TMMDBKind::Integer;
  else if constexpr (std::is_same_v<T, int64_t>) return TMMDBKind::Int64;
  else if constexpr (std::is_same_v<T, uint64_t>) return TMMDBKind::UInt64;
  else if constexpr (std::is_same_v<T, bool>) return TMMDBKind::Boolean;
  else if constexpr (std::is_same_v<T, float>) return TMMDBKind::Single;
  else if constexpr (std::is_base_of_v<TMMDBRecord, T>) return TMMDBKind::Record;
  else if constexpr (std::is_same_v<T, TMMDBDictionary>) return TMMDBKind::Dictionary;
  else if constexpr (std::is_same_v<T, TMMDBStringList>) return TMMDBKind::StringList;
  else {
    static_assert(std::is_base_of_v<TMMDBRecordListBase, T>, "member type the decoder cannot fill");
    return TMMDBKind::RecordList;
  }
}

template <auto Member>
void* MMDBFieldOf(TMMDBRecord& record) {
  using Traits = TMMDBMemberTraits<decltype(Member)>;
  auto& member = static_cast<typename Traits::Class&>(record).*Member;
  if constexpr (std::is_base_of_v<TMMDBRecord, typename Traits::Type>) return static_cast<TMMDBRecord*>(&member);
  else if constexpr (std::is_base_of_v<TMMDBRecordListBase, typename Traits::Type>)
    return static_cast<TMMDBRecordListBase*>(&member);
  else return &member;
}

// MMDBKey<&TClass::FMember>("map_key"): a table row whose kind follows from the member's type.
template <auto Member>
constexpr TMMDBKey MMDBKey(std::string_view name) {
  return {name, MMDBKindOf<typename TMMDBMemberTraits<decltype(Member)>::Type>(), &MMDBFieldOf<Member>};
}

}  // namespace korrin
