#include "mmdb_test_writer.h"

#include <bit>
#include <stdexcept>

#include "address/ip_types.h"

namespace korrin::test {

namespace {

Bytes BigEndian(uint64_t v, int bytes) {
  Bytes out;
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return out;
}

Bytes Minimal(int type, uint64_t v) {
  int n = 0;
  while (n < 8 && (v >> (8 * n)) != 0) ++n;
  return Cat({Ctrl(type, static_cast<uint32_t>(n)), BigEndian(v, n)});
}

}  // namespace

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Ctrl(int type, uint32_t size) {
  Bytes out;
  const uint8_t high = type <= 7 ? static_cast<uint8_t>(type << 5) : 0;
  if (size < 29) out.push_back(high | static_cast<uint8_t>(size));
  else if (size < 285) out = {static_cast<uint8_t>(high | 29), static_cast<uint8_t>(size - 29)};
  else if (size < 65821) out = Cat({{static_cast<uint8_t>(high | 30)}, BigEndian(size - 285, 2)});
  else out = Cat({{static_cast<uint8_t>(high | 31)}, BigEndian(size - 65821, 3)});
  if (type > 7) out.insert(out.begin() + 1, static_cast<uint8_t>(type - 7));
  return out;
}

Bytes Str(std::string_view s) { return Cat({Ctrl(2, static_cast<uint32_t>(s.size())), Bytes(s.begin(), s.end())}); }
Bytes U16(uint32_t v) { return Minimal(5, v); }
Bytes U32(uint32_t v) { return Minimal(6, v); }
Bytes U64(uint64_t v) { return Minimal(9, v); }
Bytes I32(int32_t v) { return Cat({Ctrl(8, 4), BigEndian(static_cast<uint32_t>(v), 4)}); }
Bytes Bool(bool v) { return Ctrl(14, v ? 1 : 0); }
Bytes Dbl(double v) { return Cat({Ctrl(3, 8), BigEndian(std::bit_cast<uint64_t>(v), 8)}); }
Bytes Flt(float v) { return Cat({Ctrl(15, 4), BigEndian(std::bit_cast<uint32_t>(v), 4)}); }
Bytes Blob(const Bytes& v) { return Cat({Ctrl(4, static_cast<uint32_t>(v.size())), v}); }
Bytes U128(uint64_t high, uint64_t low) { return Cat({Ctrl(10, 16), BigEndian(high, 8), BigEndian(low, 8)}); }

Bytes Ptr(uint32_t offset) {
  if (offset < 2048) return {static_cast<uint8_t>(0x20 | (offset >> 8)), static_cast<uint8_t>(offset)};
  if (offset < 2048 + (1u << 19)) {
    const uint32_t v = offset - 2048;
    return Cat({{static_cast<uint8_t>(0x28 | (v >> 16))}, BigEndian(v, 2)});
  }
  if (offset < 526336 + (1u << 27)) {
    const uint32_t v = offset - 526336;
    return Cat({{static_cast<uint8_t>(0x30 | (v >> 24))}, BigEndian(v, 3)});
  }
  return Cat({{0x38}, BigEndian(offset, 4)});
}

Bytes Map(const std::vector<std::pair<Bytes, Bytes>>& pairs) {
  // Appended in place: crafted maps and arrays of many thousand entries stay quick to write.
  Bytes out = Ctrl(7, static_cast<uint32_t>(pairs.size()));
  for (const auto& [k, v] : pairs) {
    out.insert(out.end(), k.begin(), k.end());
    out.insert(out.end(), v.begin(), v.end());
  }
  return out;
}

Bytes Array(const std::vector<Bytes>& elements) {
  Bytes out = Ctrl(11, static_cast<uint32_t>(elements.size()));
  for (const Bytes& e : elements) out.insert(out.end(), e.begin(), e.end());
  return out;
}

MMDBWriter::MMDBWriter(int ipVersion, int recordSize, std::string databaseType)
    : FIPVersion(ipVersion), FRecordSize(recordSize), FNodes(1) {
  FMetadata = {{"binary_format_major_version", U16(2)},
               {"binary_format_minor_version", U16(0)},
               {"build_epoch", U64(1700000000)},
               {"database_type", Str(databaseType)},
               {"description", Map({{Str("en"), Str("Test database")}})},
               {"ip_version", U16(static_cast<uint32_t>(ipVersion))},
               {"languages", Array({Str("en")})},
               {"record_size", U16(static_cast<uint32_t>(recordSize))}};
}

uint32_t MMDBWriter::AddData(const Bytes& value) {
  const auto offset = static_cast<uint32_t>(FData.size());
  FData.insert(FData.end(), value.begin(), value.end());
  return offset;
}

void MMDBWriter::Insert(std::string_view cidr, const Bytes& value) { InsertOffset(cidr, AddData(value)); }

void MMDBWriter::InsertOffset(std::string_view cidr, uint32_t dataOffset) {
  const size_t slash = cidr.find('/');
  const std::string_view text = cidr.substr(0, slash);
  int prefix = std::stoi(std::string(cidr.substr(slash + 1)));
  std::vector<int> bits;
  TIPAddr a = StrToIPAddr(text);
  if (a.ip_family == TIPAddrFamily::IPv4) {
    if (FIPVersion == 6) bits.assign(96, 0), prefix += 96;
    for (int i = 31; i >= 0; --i) bits.push_back((a.ipv4.Value >> i) & 1);
  } else {
    for (int g = 0; g < 8; ++g)
      for (int i = 15; i >= 0; --i) bits.push_back((a.ipv6.Group(g) >> i) & 1);
  }
  int node = 0;
  for (int i = 0; i < prefix; ++i) {
    Record& r = FNodes[static_cast<size_t>(node)][static_cast<size_t>(bits[static_cast<size_t>(i)])];
    if (i == prefix - 1) {
      r = {Record::Data, dataOffset};
    } else {
      if (r.kind != Record::Node) {
        r = {Record::Node, static_cast<uint32_t>(FNodes.size())};
        FNodes.emplace_back();
      }
      node =
          static_cast<int>(FNodes[static_cast<size_t>(node)][static_cast<size_t>(bits[static_cast<size_t>(i)])].value);
    }
  }
}

void MMDBWriter::SetRawRecord(int node, int index, uint32_t value) {
  FNodes.at(static_cast<size_t>(node))[static_cast<size_t>(index)] = {Record::Raw, value};
}

void MMDBWriter::SetMetadata(std::string_view key, const Bytes& value) {
  for (auto& [k, v] : FMetadata)
    if (k == key) {
      v = value;
      return;
    }
  FMetadata.emplace_back(std::string(key), value);
}

Bytes MMDBWriter::Build() const {
  const auto nodeCount = static_cast<uint32_t>(FNodes.size());
  Bytes out;
  for (const auto& node : FNodes) {
    uint32_t v[2];
    for (int i = 0; i < 2; ++i) {
      const Record& r = node[static_cast<size_t>(i)];
      v[i] = r.kind == Record::Empty ? nodeCount : r.kind == Record::Data ? nodeCount + 16 + r.value : r.value;
    }
    if (FRecordSize == 28) {
      out = Cat({out,
                 BigEndian(v[0] & 0xFFFFFF, 3),
                 {static_cast<uint8_t>(((v[0] >> 20) & 0xF0) | ((v[1] >> 24) & 0x0F))},
                 BigEndian(v[1] & 0xFFFFFF, 3)});
    } else if (FRecordSize == 32) {
      out = Cat({out, BigEndian(v[0], 4), BigEndian(v[1], 4)});
    } else {
      out = Cat({out, BigEndian(v[0], 3), BigEndian(v[1], 3)});
      out.resize(out.size() - 6 + static_cast<size_t>(FRecordSize / 4), 0);
    }
  }
  out.resize(out.size() + 16, 0);
  out = Cat({out, FData, {0xAB, 0xCD, 0xEF}, Bytes{'M', 'a', 'x', 'M', 'i', 'n', 'd', '.', 'c', 'o', 'm'}});
  std::vector<std::pair<Bytes, Bytes>> pairs;
  bool hasNodeCount = false;
  for (const auto& [k, v] : FMetadata) {
    pairs.emplace_back(Str(k), v);
    hasNodeCount |= k == "node_count";
  }
  if (!hasNodeCount) pairs.emplace_back(Str("node_count"), U32(nodeCount));
  return Cat({out, Map(pairs)});
}

}  // namespace korrin::test
