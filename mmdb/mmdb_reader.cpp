#include "mmdb/mmdb_reader.h"

#include <cstring>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

namespace {

constexpr uint8_t kMetadataMarker[] = {0xAB, 0xCD, 0xEF, 'M', 'a', 'x', 'M', 'i', 'n', 'd', '.', 'c', 'o', 'm'};
constexpr int64_t kMarkerLength = sizeof kMetadataMarker;
constexpr int64_t kDataSectionSeparator = 16;
constexpr const char* kCorruptTree = "The MaxMind Db file's search tree is corrupt: ";

[[noreturn]] void RaiseCorruptTree(const char* what) { throw Exception(std::string(kCorruptTree) + what); }

// The metadata is decoded before the data-section decoder can be built, so this runs first.
TMMDBMetadata DecodeMetadata(const TMMDBBuffer& database, int64_t metadataStart) {
  TMMDBMetadata metadata;
  TMMDBDecoder(database, metadataStart).DecodeInto(metadata, metadataStart);
  return metadata;
}

// The last marker in the file wins; the metadata starts right after it.
int64_t LocateMetadata(const TMMDBBuffer& database, const std::string& fileName) {
  const std::string_view bytes = database.View(0, database.Length());
  for (int64_t pos = database.Length() - kMarkerLength; pos >= 0; --pos)
    if (bytes[static_cast<size_t>(pos)] == '\xAB' && std::memcmp(bytes.data() + pos, kMetadataMarker, kMarkerLength) == 0)
      return pos + kMarkerLength;
  throw Exception(Format("Could not find a MaxMind Db metadata marker in this file (%s). Is this a valid MaxMind Db file?",
                         fileName.c_str()));
}

}  // namespace

TMMDBReader::TMMDBReader(const std::string& fileName)
    : TMMDBReader(std::make_unique<TMMDBArrayBuffer>(fileName), fileName) {}

TMMDBReader::TMMDBReader(std::vector<uint8_t> bytes, const std::string& fileName)
    : TMMDBReader(std::make_unique<TMMDBArrayBuffer>(std::move(bytes)), fileName) {}

TMMDBReader::TMMDBReader(std::unique_ptr<TMMDBArrayBuffer> database, const std::string& fileName)
    : _database(std::move(database)),
      FMetadata(DecodeMetadata(*_database, LocateMetadata(*_database, fileName))),
      FDecoder(*_database, FMetadata.SearchTreeSize() + kDataSectionSeparator),
      FNodeCount(FMetadata.NodeCount()),
      FSearchTreeSize(FMetadata.SearchTreeSize()),
      FTreeFits(FNodeCount >= 0 && FNodeCount <= UINT32_MAX &&
                FSearchTreeSize <= _database->Length() - kDataSectionSeparator) {}

void TMMDBReader::CheckTree() const {
  const int32_t recordSize = FMetadata.RecordSize();
  if (recordSize != 24 && recordSize != 28 && recordSize != 32)
    throw Exception(Format("Unknown record size: %d", recordSize));
  if (!FTreeFits) RaiseCorruptTree("its node count does not fit in the file.");
}

uint32_t TMMDBReader::StartNode(int bitCount) {
  CheckTree();
  return FMetadata.IPVersion() == 6 && bitCount == 32 ? IPv4StartNode() : 0;
}

uint32_t TMMDBReader::IPv4StartNode() {
  if (_IPv4Start != 0 || FMetadata.IPVersion() == 4) return _IPv4Start;
  uint32_t node = 0;
  for (int i = 0; i < 96 && node < FNodeCount; ++i) node = ReadNodeRecord(node, 0);
  _IPv4Start = node;
  return node;
}

uint32_t TMMDBReader::ReadNodeRecord(uint32_t node, int index) const {
  CheckTree();
  const int32_t recordSize = FMetadata.RecordSize();
  if (node >= FNodeCount) RaiseCorruptTree("node number out of range.");
  const int64_t byteSize = recordSize / 4;
  const auto* b = reinterpret_cast<const uint8_t*>(_database->View(int64_t{node} * byteSize, byteSize).data());
  auto be = [&](int from, int count) {
    uint32_t v = 0;
    for (int i = from; i < from + count; ++i) v = (v << 8) | b[i];
    return v;
  };
  switch (recordSize) {
    case 24: return index == 0 ? be(0, 3) : be(3, 3);
    case 28:
      // The middle byte carries the high nibble of each record: left in its high, right in its low half.
      return index == 0 ? ((uint32_t{b[3]} & 0xF0) << 20) | be(0, 3) : ((uint32_t{b[3]} & 0x0F) << 24) | be(4, 3);
    default: return index == 0 ? be(0, 4) : be(4, 4);
  }
}

uint32_t TMMDBReader::FindAddressNode(const TMMDBIPAddress& address, int& prefixLength) {
  const int bitCount = address._v6 ? 128 : 32;
  auto bitAt = [&](int i) -> int {
    if (!address._v6) return (address._ipv4.Value >> (31 - i)) & 1;
    return (address._ipv6.Group(i / 16) >> (15 - i % 16)) & 1;
  };
  uint32_t node = StartNode(bitCount);
  int i = 0;
  for (; i < bitCount && node < FNodeCount; ++i) node = ReadNodeRecord(node, bitAt(i));
  prefixLength = i;
  if (node == FNodeCount) return 0;
  if (node > FNodeCount) return node;
  throw Exception("Something bad happened");
}

void TMMDBReader::ResolveRecordInto(uint32_t record, TMMDBRecord& object) const {
  if (record < FNodeCount + kDataSectionSeparator) RaiseCorruptTree("contains pointer into the data section separator.");
  const int64_t offset = (int64_t{record} - FNodeCount) + FSearchTreeSize;
  if (offset >= _database->Length()) RaiseCorruptTree("contains pointer larger than the database.");
  FDecoder.DecodeInto(object, offset);
}

bool TMMDBReader::FindRecord(const TMMDBIPAddress& address, int& prefixLength, TMMDBRecord& object) {
  const uint32_t record = FindAddressNode(address, prefixLength);
  if (record == 0) return false;
  ResolveRecordInto(record, object);
  return true;
}

}  // namespace korrin
