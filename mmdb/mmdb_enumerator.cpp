#include "mmdb/mmdb_enumerator.h"

#include "mmdb/mmdb_error.h"
#include "common/text.h"

namespace korrin {

TMMDBEnumeratorBase::TMMDBEnumeratorBase(TMMDBReader& reader, bool IPv4Only)
    : _reader(reader), byteCount(reader.Metadata().IPVersion() != 6 || IPv4Only ? 4 : 16) {
  Reset();
}

void TMMDBEnumeratorBase::Reset() {
  node.reset();
  nodes.clear();
  TMMDBNetNode start;
  start.Pointer = _reader.StartNode(byteCount * 8);
  nodes.push_back(start);
}

bool TMMDBEnumeratorBase::NextNetwork() {
  const int64_t nodeCount = _reader.Metadata().NodeCount();
  node.reset();
  while (!nodes.empty()) {
    node = nodes.back();
    nodes.pop_back();
    while (node->Pointer < nodeCount) {
      if (node->Bit / 8 >= byteCount) throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, Format("Invalid search tree, bad bit %d", node->Bit));
      TMMDBNetNode right = *node;
      right.IPBytes[node->Bit / 8] |= static_cast<uint8_t>(1 << (7 - node->Bit % 8));
      right.Pointer = _reader.ReadNodeRecord(node->Pointer, 1);
      right.Bit = ++node->Bit;
      nodes.push_back(right);
      node->Pointer = _reader.ReadNodeRecord(node->Pointer, 0);
    }
    if (node->Pointer > nodeCount) return true;
    node.reset();
  }
  return false;
}

TMMDBIPAddress TMMDBEnumeratorBase::NodeAddress() const {
  return TMMDBIPAddress(std::vector<uint8_t>(node->IPBytes.begin(), node->IPBytes.begin() + byteCount));
}

}  // namespace korrin
