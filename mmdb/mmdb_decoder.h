#pragma once
// Decodes values of a database's data section and metadata straight into record objects, by the
// key tables the records publish. Pointer chains and nesting are bounded, so no file can make it
// loop or exhaust the stack, and each decode has a budget of work, so pointers that fan out to
// one value many times cannot make it copy that value without end.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mmdb/mmdb_buffer.h"
#include "mmdb/mmdb_record.h"

namespace korrin {

// The stored type numbers of the format that the decoder treats specially.
enum TMMDBType : int {
  mtPointer = 1,
  mtUtf8String = 2,
  mtDouble = 3,
  mtBytes = 4,
  mtUint16 = 5,
  mtUint32 = 6,
  mtMap = 7,
  mtInt32 = 8,
  mtUint64 = 9,
  mtUint128 = 10,
  mtArray = 11,
  mtBoolean = 14,
  mtFloat = 15,
};

struct TMMDBControl {
  int Type = 0;
  int64_t Size = 0;    // for a pointer: the five low bits of the control byte
  int64_t Offset = 0;  // just after the control bytes
};

class TMMDBDecoder {
 public:
  // A pointer to a pointer is followed, but only this many times in a row.
  static constexpr int kMaxPointerChain = 32;
  // Maps and arrays inside one another, counted from the value a decode starts at.
  static constexpr int kMaxDepth = 512;
  // What one decode (a record, the metadata) may store and visit: far above any real record,
  // far below what would strain memory or time.
  static constexpr int64_t kMaxDecodedBytes = int64_t{16} << 20;
  static constexpr int64_t kMaxVisitedValues = int64_t{1} << 20;

  // The buffer is not owned and must outlive the decoder.
  TMMDBDecoder(const TMMDBBuffer& database, int64_t pointerBase);

  TMMDBControl ReadControl(int64_t offset) const;
  // The absolute target of a pointer with control bits `sizeBits` whose bytes start at `offset`,
  // and the offset after those bytes.
  std::pair<int64_t, int64_t> ReadPointer(int64_t sizeBits, int64_t offset) const;
  // Decodes the map at `offset` into `record`; returns the offset after the value.
  int64_t DecodeInto(TMMDBRecord& record, int64_t offset) const;
  // The value a path of map keys and array indexes (decimal text) leads to from the value at
  // `offset`, pointers followed; -1 when a key or index is missing or a step meets a scalar.
  int64_t FindPath(int64_t offset, std::span<const std::string> path) const;
  // Where the value at `offset` starts once pointers are followed.
  int64_t ValueStart(int64_t offset) const;
  // The keys of the map at `offset` in stored order; empty for any other value.
  std::vector<std::string> MapKeys(int64_t offset) const;
  // The paths of the scalar values inside the value at `offset` ("city.names.en",
  // "subdivisions.0.iso_code"), in stored order, at most `limit` of them.
  std::vector<std::string> LeafPaths(int64_t offset, size_t limit) const;
  // Raises "Could not convert '%s' to '%s'." unless both kind names are the same.
  static void CheckValueType(std::string_view decoded, std::string_view expected);

 private:
  // The work left to one decode; spent on every value visited and every byte stored.
  struct TBudget {
    int64_t Bytes = kMaxDecodedBytes;
    int64_t Values = kMaxVisitedValues;
    // Raises the bad-data message once the decode has done more than its budget allows.
    void Spend(int64_t bytes, int64_t values);
  };

  // The key at `offset` (through a pointer if need be), viewed in the buffer, and the offset after it.
  int64_t ReadMapKey(int64_t offset, std::string_view& key, TBudget& budget) const;
  // Steps over `count` values at nesting `depth` without decoding them; pointers are not followed.
  int64_t SkipValues(int64_t count, int64_t offset, int depth, TBudget& budget) const;
  // The control of the value at `offset` after following pointers; `after` becomes the offset
  // just past what sits at `offset` itself when that is a pointer.
  TMMDBControl ResolveControl(int64_t offset, int64_t& after) const;
  // The rest of a control whose type is extended or whose size takes further bytes.
  void ReadLongControl(TMMDBControl& c) const;
  // The string at `offset` (through pointers) viewed in the buffer, and the offset after it.
  int64_t DecodeText(int64_t offset, std::string_view& text, int depth, TBudget& budget) const;
  int64_t DecodeValue(TMMDBKind kind, void* field, int64_t offset, int depth, TBudget& budget) const;
  void DecodeMap(TMMDBKind kind, void* field, const TMMDBControl& c, int64_t& end, int depth, TBudget& budget) const;
  void DecodeArray(TMMDBKind kind, void* field, const TMMDBControl& c, int64_t& end, int depth, TBudget& budget) const;
  void DecodeScalar(TMMDBKind kind, void* field, const TMMDBControl& c, TBudget& budget) const;
  int64_t DecodeRecordMap(TMMDBRecord& record, const TMMDBControl& c, int depth, TBudget& budget) const;
  void CollectLeafPaths(int64_t offset, const std::string& prefix, int depth, size_t limit,
                        std::vector<std::string>& paths, TBudget& budget) const;
  // Raises the bad-data message unless `count` values of at least `minBytes` bytes each can
  // follow `offset`: sizes that cannot fit fail before anything is built for them.
  void CheckCount(int64_t count, int64_t minBytes, int64_t offset) const;

  int64_t _pointerBase;
  const TMMDBBuffer& _database;
};

}  // namespace korrin
