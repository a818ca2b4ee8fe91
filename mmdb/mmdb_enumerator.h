#pragma once
// The walk over every network of a database's search tree, in ascending address order, each
// network with data once, with its decoded record. Nodes may be shared by many paths of a crafted
// tree, so subtrees found empty are remembered and skipped: a walk without data visits each node
// at most once.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "address/mmdb_ip_address.h"
#include "mmdb/mmdb_reader.h"

namespace korrin {

// A network the walk reached.
struct TMMDBNetNode {
  std::array<uint8_t, 16> IPBytes{};  // the bits chosen so far, most significant first
  int Bit = 0;                        // how many bits have been chosen below the start node
  uint32_t Pointer = 0;               // the tree record reached
};

// The item handed out for each network; its record belongs to the reader.
template <class T>
class TMMDBIteratorNode {
 public:
  const TMMDBIPAddress& Start() const { return FStart; }
  int Prefix() const { return FPrefix; }
  const T& Data() const { return *FData; }

 private:
  template <class>
  friend class TMMDBEnumerator;
  TMMDBIPAddress FStart;
  int FPrefix = 0;
  T* FData = nullptr;
};

// The walk itself, apart from the record class it decodes into.
class TMMDBEnumeratorBase {
 public:
  // Back to before the first network; the item and its record stay.
  void Reset();

 protected:
  // 4-byte networks from the IPv4 start node when `IPv4Only` or the database is IPv4, else 16-byte;
  // `skipIPv4` leaves out of a 16-byte walk the IPv4 space (::/96) and the format's aliases of it
  // (::ffff:0:0/96, 2002::/16), for a walk after one over the IPv4 networks.
  TMMDBEnumeratorBase(TMMDBReader& reader, bool IPv4Only, bool skipIPv4);
  // Advances to the next network with data; false when the walk is over.
  bool NextNetwork();
  TMMDBIPAddress NodeAddress() const;
  // True when the path's first `bits` bits are one of the subtrees `skipIPv4` leaves out.
  bool SkippedSubtree(int bits) const;

  // How far the walk has gone in one node on the path from the start node.
  struct TPathStep {
    uint32_t Node = 0;
    uint8_t NextSide = 0;  // 0 left, 1 right, 2 both done
    bool HasData = false;  // a network with data was found below it
  };

  TMMDBReader& _reader;
  int byteCount;
  bool FSkipIPv4;
  std::vector<TPathStep> path;
  std::array<uint8_t, 16> pathBits{};  // the bits the path chose; those past its depth are stale
  bool startIsLeaf = false;            // the start node is itself a data record: one network, then done
  std::vector<bool> emptyNodes;        // nodes whose subtree is known to hold no data
  std::optional<TMMDBNetNode> node;
};

template <class T>
class TMMDBEnumerator : public TMMDBEnumeratorBase {
 public:
  // The reader is not owned and must outlive the enumerator and every item taken from it.
  TMMDBEnumerator(TMMDBReader& reader, bool IPv4Only, bool skipIPv4 = false)
      : TMMDBEnumeratorBase(reader, IPv4Only, skipIPv4) {}

  bool MoveNext() {
    if (!NextNetwork()) return false;
    if (_iterator) {
      // Cleared first, so an item carries only its own network's values.
      _iterator->FData->Clear();
      _reader.ResolveRecordInto(node->Pointer, *_iterator->FData);
    } else {
      T& data = _reader.ResolveRecord<T>(node->Pointer);
      _iterator.emplace();
      _iterator->FData = &data;
    }
    _iterator->FStart = NodeAddress();
    _iterator->FPrefix = node->Bit;
    return true;
  }
  // The item of the current network; nullptr before the first network and after the last.
  const TMMDBIteratorNode<T>* Current() const { return node && _iterator ? &*_iterator : nullptr; }

 private:
  std::optional<TMMDBIteratorNode<T>> _iterator;
};

// The walk without a record class: each network's tree record, for the reader's functions that
// read any layout (RecordField, RecordJson).
class TMMDBNetworkWalk : public TMMDBEnumeratorBase {
 public:
  TMMDBNetworkWalk(TMMDBReader& reader, bool IPv4Only, bool skipIPv4)
      : TMMDBEnumeratorBase(reader, IPv4Only, skipIPv4) {}
  bool MoveNext() { return NextNetwork(); }
  TMMDBIPAddress Start() const { return NodeAddress(); }
  int Prefix() const { return node->Bit; }
  uint32_t Record() const { return node->Pointer; }
};

// A network of a walk over both families, and its tree record.
struct TMMDBNetworkRow {
  std::string Network;  // CIDR text
  uint32_t Record = 0;
};

// The first `limit` networks with data in address order, IPv4 first; the IPv6 walk that follows
// in an IPv6 database leaves out the IPv4 space and its aliases, which the IPv4 walk showed.
std::vector<TMMDBNetworkRow> MMDBFirstNetworks(TMMDBReader& reader, size_t limit);

template <class T>
class TMMDBEnumerable {
 public:
  TMMDBEnumerable(TMMDBReader& reader, bool IPv4Only, bool skipIPv4 = false)
      : _reader(reader), _IPv4Only(IPv4Only), _skipIPv4(skipIPv4) {}
  TMMDBEnumerator<T> GetEnumerator() const { return TMMDBEnumerator<T>(_reader, _IPv4Only, _skipIPv4); }

 private:
  TMMDBReader& _reader;
  bool _IPv4Only;
  bool _skipIPv4;
};

}  // namespace korrin
