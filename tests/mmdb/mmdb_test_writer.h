#pragma once
// A tiny MaxMind DB writer for tests: encodes data-section values and lays out a search tree, so
// that tests can build the crafted databases the public test files do not cover.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korrin::test {

using Bytes = std::vector<uint8_t>;

// Control bytes of a value of `type` with payload size (or element count) `size`.
Bytes Ctrl(int type, uint32_t size);
Bytes Str(std::string_view s);
Bytes U16(uint32_t v);
Bytes U32(uint32_t v);
Bytes U64(uint64_t v);
Bytes I32(int32_t v);
Bytes Bool(bool v);
Bytes Dbl(double v);
Bytes Flt(float v);
Bytes Blob(const Bytes& v);
Bytes U128(uint64_t high, uint64_t low);
// A pointer to `offset` in the data section, in the smallest of the four pointer sizes.
Bytes Ptr(uint32_t offset);
Bytes Map(const std::vector<std::pair<Bytes, Bytes>>& pairs);
Bytes Array(const std::vector<Bytes>& elements);
Bytes Cat(std::initializer_list<Bytes> parts);

// A database: tree of the given record size (24, 28 or 32 laid out; any other size is written
// with the 24-bit layout and its own node width), data section and metadata.
class MMDBWriter {
 public:
  MMDBWriter(int ipVersion, int recordSize, std::string databaseType = "Test");

  // Appends a value to the data section; returns its offset there.
  uint32_t AddData(const Bytes& value);
  // Points the network (CIDR text; IPv4 text goes under ::/96 in an IPv6 tree) at a value.
  void Insert(std::string_view cidr, const Bytes& value);
  void InsertOffset(std::string_view cidr, uint32_t dataOffset);
  // Tree node count, for crafting raw records.
  int NodeCount() const { return static_cast<int>(FNodes.size()); }
  // The data section's size so far, for crafting records past it.
  uint32_t DataSize() const { return static_cast<uint32_t>(FData.size()); }
  // Sets a record to a raw value, as the file will hold it.
  void SetRawRecord(int node, int index, uint32_t value);
  // Adds or replaces a metadata key with an encoded value.
  void SetMetadata(std::string_view key, const Bytes& value);
  Bytes Build() const;

 private:
  struct Record {
    enum Kind { Empty, Node, Data, Raw } kind = Empty;
    uint32_t value = 0;
  };
  int FIPVersion;
  int FRecordSize;
  std::vector<std::array<Record, 2>> FNodes;
  Bytes FData;
  std::vector<std::pair<std::string, Bytes>> FMetadata;
};

}  // namespace korrin::test
