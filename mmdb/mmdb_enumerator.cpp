#include "mmdb/mmdb_enumerator.h"

#include <algorithm>

#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

TMMDBEnumeratorBase::TMMDBEnumeratorBase(TMMDBReader& reader, bool IPv4Only, bool skipIPv4)
    : _reader(reader), byteCount(reader.Metadata().IPVersion() != 6 || IPv4Only ? 4 : 16), FSkipIPv4(skipIPv4) {
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
    if (SkippedSubtree(bit + 1)) continue;
    if (child < nodeCount) {
      if (emptyNodes[child]) continue;
      if ((bit + 1) / 8 >= byteCount) {
        _reader.CheckFileUnchanged();
        throw EMMDBError(TMMDBErrorKind::CorruptSearchTree, Format("Invalid search tree, bad bit %d", bit + 1));
      }
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

bool TMMDBEnumeratorBase::SkippedSubtree(int bits) const {
  if (!FSkipIPv4 || byteCount != 16) return false;
  const auto zeros = [&](size_t count) {
    return std::all_of(pathBits.begin(), pathBits.begin() + static_cast<std::ptrdiff_t>(count),
                       [](uint8_t b) { return b == 0; });
  };
  if (bits == 16) return pathBits[0] == 0x20 && pathBits[1] == 0x02;
  return bits == 96 && zeros(10) &&
         ((pathBits[10] == 0 && pathBits[11] == 0) || (pathBits[10] == 0xFF && pathBits[11] == 0xFF));
}

TMMDBIPAddress TMMDBEnumeratorBase::NodeAddress() const {
  return TMMDBIPAddress(std::vector<uint8_t>(node->IPBytes.begin(), node->IPBytes.begin() + byteCount));
}

std::vector<TMMDBNetworkRow> MMDBFirstNetworks(TMMDBReader& reader, size_t limit) {
  std::vector<TMMDBNetworkRow> rows;
  for (const bool IPv4 : {true, false}) {
    if (!IPv4 && reader.Metadata().IPVersion() != 6) break;
    TMMDBNetworkWalk walk(reader, IPv4, true);
    while (rows.size() < limit && walk.MoveNext())
      rows.push_back({walk.Start().NetworkText(walk.Prefix()), walk.Record()});
  }
  return rows;
}

}  // namespace korrin
