#pragma once
// An open MaxMind DB file: its metadata, the search-tree walk from an address to its data record,
// and the decoding of that record into a record object.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "address/mmdb_ip_address.h"
#include "mmdb/mmdb_buffer.h"
#include "mmdb/mmdb_decoder.h"
#include "mmdb/mmdb_file_buffer.h"
#include "mmdb/mmdb_metadata.h"

namespace korrin {

class TMMDBReader {
 public:
  // Opens the file (mmdb/mmdb_file_buffer.h: read whole up to `readWholeLimit` bytes, mapped
  // beyond) and decodes its metadata; raises on an unreadable file or bad metadata. Every failure
  // on bad data is reported as the file's change instead when the file was written meanwhile.
  explicit TMMDBReader(const std::string& fileName, int64_t readWholeLimit = kMMDBReadWholeLimit);
  // A database already in memory; `fileName` only names it in messages.
  TMMDBReader(std::vector<uint8_t> bytes, const std::string& fileName);
  TMMDBReader(const TMMDBReader&) = delete;
  TMMDBReader& operator=(const TMMDBReader&) = delete;

  const TMMDBMetadata& Metadata() const { return FMetadata; }

  // The node the walk of `bitCount` address bits starts at: the IPv4 subtree of an IPv6 database
  // for 32 bits, otherwise the root. Raises when the tree cannot be walked.
  uint32_t StartNode(int bitCount);
  // Index 0 is the left (bit 0) record, 1 the right.
  uint32_t ReadNodeRecord(uint32_t node, int index) const;
  // The tree record the address leads to, 0 when the address has no data; `prefixLength` is
  // the number of bits walked from the start node. An IPv6 address in an IPv4-only database
  // has data only through the IPv4 address the format's aliases carry in it (::ffff:0:0/96,
  // 2002::/16), its prefix then counted from the IPv6 address's first bit.
  uint32_t FindAddressNode(const TMMDBIPAddress& address, int& prefixLength);
  // False for an IPv6 address an IPv4-only database cannot hold: it is never found there.
  bool HoldsFamilyOf(const TMMDBIPAddress& address) const;
  // Decodes the data record into `object`; only the fields whose keys the record holds change.
  void ResolveRecordInto(uint32_t record, TMMDBRecord& object) const;
  // The data record as compact JSON, every key it stores included (mmdb/mmdb_json.h).
  std::string RecordJson(uint32_t record) const;
  // The value a path of map keys and array indexes leads to in the data record, as text (a
  // string as stored, any other value as JSON; every value as JSON with `json`); false when the
  // record lacks it.
  bool RecordField(uint32_t record, std::span<const std::string> path, std::string& text, bool json = false) const;
  // The data record's top-level keys in stored order.
  std::vector<std::string> RecordKeys(uint32_t record) const;
  // The paths of the data record's scalar values, at most `limit` of them.
  std::vector<std::string> RecordFieldPaths(uint32_t record, size_t limit) const;
  // A new record object owned by the reader, alive until the reader is destroyed.
  template <class T>
  T& ResolveRecord(uint32_t record) {
    auto object = std::make_unique<T>();
    ResolveRecordInto(record, *object);
    T& result = *object;
    FFindOwnerObjects.push_back(std::move(object));
    return result;
  }
  // True, with `object` filled, when the address has data; otherwise `object` is left untouched.
  bool FindRecord(const TMMDBIPAddress& address, int& prefixLength, TMMDBRecord& object);
  // Raises the file's change when it was written since it was opened; for a caller about to
  // report bad data it read through the reader.
  void CheckFileUnchanged() const { _database->CheckFileUnchanged(); }

 private:
  TMMDBReader(std::unique_ptr<TMMDBBuffer> database, const std::string& fileName);
  uint32_t IPv4StartNode();
  // FindAddressNode but for the look at the file on a failure, which its caller makes.
  uint32_t FindNode(const TMMDBIPAddress& address, int& prefixLength);
  // Where the data record a tree record points at starts; raises when it is outside the data section.
  int64_t RecordOffset(uint32_t record) const;
  // The walk for one record size, so the node layout is chosen once per look-up, not per node.
  template <int RecordSize>
  uint32_t WalkTree(const TMMDBIPAddress& address, uint32_t node, int& prefixLength) const;
  // Raises unless the record size is known and the tree fits in the file: checked where every
  // walk starts and at every node read.
  void CheckTree() const;

  std::unique_ptr<TMMDBBuffer> _database;
  uint32_t _IPv4Start = 0;
  // Where the metadata marker starts: the data section ends there.
  int64_t FDataEnd = 0;
  TMMDBMetadata FMetadata;
  TMMDBDecoder FDecoder;
  std::vector<std::unique_ptr<TMMDBRecord>> FFindOwnerObjects;
  // Derived from the metadata once, for the node reads of every look-up.
  int64_t FNodeCount = 0;
  int64_t FSearchTreeSize = 0;
  bool FTreeFits = false;
  // The search tree's bytes, checked against the file once when it fits; node numbers below
  // the node count index inside them.
  const uint8_t* FTree = nullptr;
};

}  // namespace korrin
