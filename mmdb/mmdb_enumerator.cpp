#include "mmdb/mmdb_enumerator.h"

#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

TMMDBEnumeratorBase::TMMDBEnumeratorBase(TMMDBReader& reader, bool IPv4Only)
    : _reader(reader), byteCount(reader.Metadata().IPVersion() != 6 || IPv4Only ? 4 : 16) {
  Reset();
}

void TMMDBEnumeratorBase::Reset() {
  // The empty subtrees found stay known: they are a property of the tree, not of one walk.
  node.reset();
  path.clear();
  const uint32_t start = _reader.StartNode(byteCount * 8);
  const int64_t nodeCount = _reader.Metadata().NodeCount();
  startIsLeaf = start > nodeCount;
  if (start < nodeCount) {
    if (emptyNodes.empty()) emptyNodes.resize(static_cast<size_t>(nodeCount));
    if (!emptyNodes[start]) path.push_back({start, 0, false});
  }
}

bool TMMDBEnumeratorBase::NextNetwork() {
  const int64_t nodeCount = _reader.Metadata().NodeCount();
  node.reset();
  if (startIsLeaf) {
    startIsLeaf = false;
    node.emplace();
    node->Pointer = _reader.StartNode(byteCount * 8);
    return true;
  }
  while (!path.empty()) {
    TPathStep& step = path.back();
    const int bit = static_cast<int>(path.size()) - 1;
    if (step.NextSide == 2) {
      const bool hasData = step.HasData;
      if (!hasData) emptyNodes[step.Node] = true;
      path.pop_back();
      if (hasData && !path.empty()) path.back().HasData = true;
      continue;
    }
    const int side = step.NextSide++;
    const auto mask = static_cast<uint8_t>(1 << (7 - bit % 8));
    uint8_t& byte = pathBits[static_cast<size_t>(bit / 8)];
    byte = side ? byte | mask : byte & ~mask;
    const uint32_t child = _reader.ReadNodeRecord(step.Node, side);
    if (child < nodeCount) {
      if (emptyNodes[child]) continue;
      if ((bit + 1) / 8 >= byteCount)
        throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, Format("Invalid search tree, bad bit %d", bit + 1));
      path.push_back({child, 0, false});
    } else if (child > nodeCount) {
      step.HasData = true;
      node.emplace();
      node->Bit = bit + 1;
      node->Pointer = child;
      // Only the bits of the network itself: the rest of the path's bits are stale.
      for (int i = 0; i < node->Bit; ++i)
        if (pathBits[static_cast<size_t>(i / 8)] & (1 << (7 - i % 8)))
          node->IPBytes[static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(1 << (7 - i % 8));
      return true;
    }
  }
  return false;
}

TMMDBIPAddress TMMDBEnumeratorBase::NodeAddress() const {
  return TMMDBIPAddress(std::vector<uint8_t>(node->IPBytes.begin(), node->IPBytes.begin() + byteCount));
}

}  // namespace korrin
