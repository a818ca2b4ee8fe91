#include "mmdb/mmdb_reader.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "mmdb/mmdb_array_buffer.h"
#include "mmdb/mmdb_error.h"
#include "mmdb/mmdb_file_buffer.h"
#include "mmdb/mmdb_json.h"

namespace korrin {

namespace {

constexpr uint8_t kMetadataMarker[] = {0xAB, 0xCD, 0xEF, 'M', 'a', 'x', 'M', 'i', 'n', 'd', '.', 'c', 'o', 'm'};
constexpr int64_t kMarkerLength = sizeof kMetadataMarker;
constexpr int64_t kDataSectionSeparator = 16;
// The format puts the metadata in the file's last 128 KiB, so no search needs to read further back.
constexpr int64_t kMetadataMaxSize = 128 * 1024;
constexpr const char* kCorruptTree = "The MaxMind Db file's search tree is corrupt: ";

[[noreturn]] void RaiseCorruptTree(const char* what) {
  throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, std::string(kCorruptTree) + what);
}

// Runs `read`; when it fails on bad data and the file was written meanwhile, the user is told of
// the change instead, as the bytes read were not all of the version opened.
template <class F>
decltype(auto) CheckedRead(const TMMDBBuffer& database, F&& read) {
  try {
    return read();
  } catch (const EMMDBError& e) {
    if (e.Kind() != TMMDBErrorKind::CannotOpen) database.CheckFileUnchanged();
    throw;
  }
}

// The metadata is decoded before the data-section decoder can be built, so this runs first.
TMMDBMetadata DecodeMetadata(const TMMDBBuffer& database, int64_t metadataStart) {
  return CheckedRead(database, [&] {
    TMMDBMetadata metadata;
    TMMDBDecoder(database, metadataStart).DecodeInto(metadata, metadataStart);
    return metadata;
  });
}

// The last marker in the file wins; the metadata starts right after it.
int64_t LocateMetadata(const TMMDBBuffer& database, const std::string& fileName) {
  const std::string_view bytes = database.View(0, database.Length());
  const int64_t first = std::max<int64_t>(0, database.Length() - kMetadataMaxSize);
  for (int64_t pos = database.Length() - kMarkerLength; pos >= first; --pos)
    if (bytes[static_cast<size_t>(pos)] == '\xAB' &&
        std::memcmp(bytes.data() + pos, kMetadataMarker, kMarkerLength) == 0)
      return pos + kMarkerLength;
  database.CheckFileUnchanged();
  throw EMMDBError(
      TMMDBErrorKind::NotADatabase,
      Format("Could not find a MaxMind Db metadata marker in this file (%s). Is this a valid MaxMind Db file?",
             fileName.c_str()));
}

// Record `index` (0 left, 1 right) of the node whose bytes start at `b`; picked without a
// branch, as the address bits that choose it are unpredictable.
template <int RecordSize>
uint32_t NodeRecord(const uint8_t* b, uint32_t index) {
  auto be3 = [](const uint8_t* p) { return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]; };
  if constexpr (RecordSize == 24) {
    return be3(b + 3 * index);
  } else if constexpr (RecordSize == 28) {
    // The middle byte carries the high nibble of each record: left in its high, right in its low half.
    const uint32_t high = index == 0 ? b[3] >> 4 : b[3] & 0x0F;
    return high << 24 | be3(b + 4 * index);
  } else {
    return uint32_t{b[4 * index]} << 24 | be3(b + 4 * index + 1);
  }
}

// The IPv4 address an IPv6 one carries by the aliases the format defines for IPv4 in IPv6:
// IPv4-mapped (::ffff:0:0/96) and 6to4 (2002::/16); `skipped` is the bits in front of it.
bool EmbeddedIPv4(const TMMDBIPAddress& address, TMMDBIPAddress& ipv4, int& skipped) {
  const TIPv6& a = address._ipv6;
  const auto value = [&](int group) { return TIPv4{uint32_t{a.Group(group)} << 16 | a.Group(group + 1)}; };
  if (a.Group(0) == 0 && a.Group(1) == 0 && a.Group(2) == 0 && a.Group(3) == 0 && a.Group(4) == 0 &&
      a.Group(5) == 0xFFFF) {
    ipv4 = TMMDBIPAddress(value(6));
    skipped = 96;
    return true;
  }
  if (a.Group(0) == 0x2002) {
    ipv4 = TMMDBIPAddress(value(1));
    skipped = 16;
    return true;
  }
  return false;
}

}  // namespace

TMMDBReader::TMMDBReader(const std::string& fileName, int64_t readWholeLimit)
    : TMMDBReader(std::make_unique<TMMDBFileBuffer>(fileName, readWholeLimit), fileName) {}

TMMDBReader::TMMDBReader(std::vector<uint8_t> bytes, const std::string& fileName)
    : TMMDBReader(std::make_unique<TMMDBArrayBuffer>(std::move(bytes)), fileName) {}

TMMDBReader::TMMDBReader(std::unique_ptr<TMMDBBuffer> database, const std::string& fileName)
    : _database(std::move(database)),
      FDataEnd(LocateMetadata(*_database, fileName) - kMarkerLength),
      FMetadata(DecodeMetadata(*_database, FDataEnd + kMarkerLength)),
      FDecoder(*_database, FMetadata.SearchTreeSize() + kDataSectionSeparator),
      FNodeCount(FMetadata.NodeCount()),
      FSearchTreeSize(FMetadata.SearchTreeSize()),
      FTreeFits(FNodeCount >= 0 && FNodeCount <= UINT32_MAX &&
                FSearchTreeSize <= _database->Length() - kDataSectionSeparator),
      FTree(FTreeFits ? reinterpret_cast<const uint8_t*>(_database->View(0, FSearchTreeSize).data()) : nullptr) {}

void TMMDBReader::CheckTree() const {
  const int32_t recordSize = FMetadata.RecordSize();
  if (recordSize != 24 && recordSize != 28 && recordSize != 32)
    throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, Format("Unknown record size: %d", recordSize));
  if (!FTreeFits) RaiseCorruptTree("its node count does not fit in the file.");
  _database->CheckUnchanged();
}

uint32_t TMMDBReader::StartNode(int bitCount) {
  return CheckedRead(*_database, [&] {
    CheckTree();
    return FMetadata.IPVersion() == 6 && bitCount == 32 ? IPv4StartNode() : 0;
  });
}

uint32_t TMMDBReader::IPv4StartNode() {
  if (_IPv4Start != 0 || FMetadata.IPVersion() == 4) return _IPv4Start;
  uint32_t node = 0;
  for (int i = 0; i < 96 && node < FNodeCount; ++i) node = ReadNodeRecord(node, 0);
  _IPv4Start = node;
  return node;
}

uint32_t TMMDBReader::ReadNodeRecord(uint32_t node, int index) const {
  return CheckedRead(*_database, [&] {
    CheckTree();
    if (node >= FNodeCount) RaiseCorruptTree("node number out of range.");
    const int32_t recordSize = FMetadata.RecordSize();
    const uint8_t* b = FTree + int64_t{node} * (recordSize / 4);
    const uint32_t side = index != 0;
    switch (recordSize) {
      case 24: return NodeRecord<24>(b, side);
      case 28: return NodeRecord<28>(b, side);
      default: return NodeRecord<32>(b, side);
    }
  });
}

template <int RecordSize>
uint32_t TMMDBReader::WalkTree(const TMMDBIPAddress& address, uint32_t node, int& prefixLength) const {
  const int bitCount = address._v6 ? 128 : 32;
  auto bitAt = [&](int i) -> uint32_t {
    if (!address._v6) return (address._ipv4.Value >> (31 - i)) & 1;
    return (address._ipv6.Group(i / 16) >> (15 - i % 16)) & 1;
  };
  // CheckTree has passed, so every node below the node count lies inside FTree.
  int i = 0;
  for (; i < bitCount && node < FNodeCount; ++i)
    node = NodeRecord<RecordSize>(FTree + int64_t{node} * (RecordSize / 4), bitAt(i));
  prefixLength = i;
  return node;
}

bool TMMDBReader::HoldsFamilyOf(const TMMDBIPAddress& address) const {
  TMMDBIPAddress embedded;
  int skipped;
  return !address._v6 || FMetadata.IPVersion() != 4 || EmbeddedIPv4(address, embedded, skipped);
}

uint32_t TMMDBReader::FindAddressNode(const TMMDBIPAddress& address, int& prefixLength) {
  return CheckedRead(*_database, [&] { return FindNode(address, prefixLength); });
}

uint32_t TMMDBReader::FindNode(const TMMDBIPAddress& address, int& prefixLength) {
  if (address._v6 && FMetadata.IPVersion() == 4) {
    // The top bits of any other IPv6 address would lead to some IPv4 network's record.
    TMMDBIPAddress embedded;
    int skipped;
    prefixLength = 0;
    if (!EmbeddedIPv4(address, embedded, skipped)) return 0;
    const uint32_t record = FindNode(embedded, prefixLength);
    prefixLength += skipped;
    return record;
  }
  const uint32_t start = StartNode(address._v6 ? 128 : 32);
  uint32_t node;
  switch (FMetadata.RecordSize()) {
    case 24: node = WalkTree<24>(address, start, prefixLength); break;
    case 28: node = WalkTree<28>(address, start, prefixLength); break;
    default: node = WalkTree<32>(address, start, prefixLength);
  }
  _database->NoteLookUp();  // the walk reads the tree in place
  if (node == FNodeCount) return 0;
  if (node > FNodeCount) return node;
  throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, "Something bad happened");
}

int64_t TMMDBReader::RecordOffset(uint32_t record) const {
  if (record < FNodeCount + kDataSectionSeparator)
    RaiseCorruptTree("contains pointer into the data section separator.");
  const int64_t offset = (int64_t{record} - FNodeCount) + FSearchTreeSize;
  // The metadata follows the data section: a record there would read the metadata as data.
  if (offset >= FDataEnd) RaiseCorruptTree("contains pointer past the data section.");
  return offset;
}

void TMMDBReader::ResolveRecordInto(uint32_t record, TMMDBRecord& object) const {
  CheckedRead(*_database, [&] { FDecoder.DecodeInto(object, RecordOffset(record)); });
}

std::string TMMDBReader::RecordJson(uint32_t record) const {
  return CheckedRead(*_database, [&] { return MMDBValueJson(FDecoder, *_database, RecordOffset(record)); });
}

bool TMMDBReader::RecordField(uint32_t record, std::span<const std::string> path, std::string& text, bool json) const {
  return CheckedRead(*_database, [&] {
    const int64_t value = FDecoder.FindPath(RecordOffset(record), path);
    if (value < 0) return false;
    text = json ? MMDBValueJson(FDecoder, *_database, value) : MMDBValueText(FDecoder, *_database, value);
    return true;
  });
}

std::vector<std::string> TMMDBReader::RecordKeys(uint32_t record) const {
  return CheckedRead(*_database, [&] { return FDecoder.MapKeys(RecordOffset(record)); });
}

std::vector<std::string> TMMDBReader::RecordFieldPaths(uint32_t record, size_t limit) const {
  return CheckedRead(*_database, [&] { return FDecoder.LeafPaths(RecordOffset(record), limit); });
}

bool TMMDBReader::FindRecord(const TMMDBIPAddress& address, int& prefixLength, TMMDBRecord& object) {
  const uint32_t record = FindAddressNode(address, prefixLength);
  if (record == 0) return false;
  ResolveRecordInto(record, object);
  return true;
}

}  // namespace korrin
