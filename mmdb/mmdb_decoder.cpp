#include "mmdb/mmdb_decoder.h"

#include <array>
#include <charconv>

#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

namespace {

constexpr const char* kBadData = "The MaxMind DB file's data section contains bad data: ";

[[noreturn]] void RaiseBadData(const char* what) {
  throw EMMDBError(TMMDBErrorKind::BadData, std::string(kBadData) + what);
}

std::string KindName(TMMDBKind kind, void* field) {
  switch (kind) {
    case TMMDBKind::String: return "string";
    case TMMDBKind::Double: return "Double";
    case TMMDBKind::Bytes: return "TArray<System.Byte>";
    case TMMDBKind::Integer: return "Integer";
    case TMMDBKind::Int64: return "Int64";
    case TMMDBKind::UInt64: return "UInt64";
    case TMMDBKind::Boolean: return "Boolean";
    case TMMDBKind::Single: return "Single";
    case TMMDBKind::Record: return std::string(static_cast<TMMDBRecord*>(field)->Keys().ClassName());
    case TMMDBKind::Dictionary: return "TDictionary<System.string,System.string>";
    case TMMDBKind::StringList: return "TList<System.string>";
    case TMMDBKind::RecordList: return static_cast<TMMDBRecordListBase*>(field)->KindName();
  }
  return {};
}

// Raises the conversion message unless the stored kind is the member's kind.
void Expect(TMMDBKind stored, TMMDBKind kind, void* field) {
  if (stored != kind) TMMDBDecoder::CheckValueType(KindName(stored, nullptr), KindName(kind, field));
}

void CheckDepth(int depth) {
  if (depth >= TMMDBDecoder::kMaxDepth) RaiseBadData("maps and arrays nested too deeply.");
}

}  // namespace

void TMMDBDecoder::TBudget::Spend(int64_t bytes, int64_t values) {
  Bytes -= bytes;
  Values -= values;
  if (Bytes < 0 || Values < 0) RaiseBadData("more values than a record can hold (pointers fan out too far).");
}

TMMDBDecoder::TMMDBDecoder(const TMMDBBuffer& database, int64_t pointerBase)
    : _pointerBase(pointerBase), _database(database) {}

void TMMDBDecoder::CheckValueType(std::string_view decoded, std::string_view expected) {
  if (decoded != expected)
    throw EMMDBError(TMMDBErrorKind::BadData, Format("Could not convert '%.*s' to '%.*s'.", int(decoded.size()),
                                                     decoded.data(), int(expected.size()), expected.data()));
}

void TMMDBDecoder::CheckCount(int64_t count, int64_t minBytes, int64_t offset) const {
  if (count > (_database.Length() - offset) / minBytes) RaiseBadData("map or array larger than the database.");
}

TMMDBControl TMMDBDecoder::ReadControl(int64_t offset) const {
  if (offset < 0 || offset >= _database.Length()) RaiseBadData("pointer larger than the database.");
  const uint8_t ctrl = _database.ReadOne(offset);
  TMMDBControl c{ctrl >> 5, ctrl & 0x1F, offset + 1};
  // Extended types and long sizes are rare: kept off the path of the one-byte control.
  if (c.Type == 0 || (c.Size >= 29 && c.Type != mtPointer)) ReadLongControl(c);
  return c;
}

void TMMDBDecoder::ReadLongControl(TMMDBControl& c) const {
  if (c.Type == 0) {
    c.Type = _database.ReadOne(c.Offset) + 7;
    if (c.Type < 8)
      throw EMMDBError(
          TMMDBErrorKind::BadData,
          Format("Something went horribly wrong in the decoder. An extended type resolved to a type number < 8 (%d)",
                 c.Type));
    ++c.Offset;
  }
  if (c.Size >= 29) {
    // The format's three size bytes are a full 24-bit count.
    const int64_t k = c.Size - 28;
    const int64_t v = _database.ReadLong(c.Offset, k);
    c.Size = (k == 1 ? 29 : k == 2 ? 285 : 65821) + v;
    c.Offset += k;
  }
}

std::pair<int64_t, int64_t> TMMDBDecoder::ReadPointer(int64_t sizeBits, int64_t offset) const {
  static constexpr int64_t kPointerBias[4] = {0, 2048, 526336, 0};
  const int64_t p = ((sizeBits >> 3) & 3) + 1;
  const int32_t start = p < 4 ? static_cast<int32_t>(sizeBits & 7) : 0;
  const uint32_t value = static_cast<uint32_t>(_database.ReadInteger(start, offset, p));
  return {int64_t{value} + _pointerBase + kPointerBias[p - 1], offset + p};
}

TMMDBControl TMMDBDecoder::ResolveControl(int64_t offset, int64_t& after) const {
  after = -1;
  TMMDBControl c = ReadControl(offset);
  for (int hops = 1; c.Type == mtPointer; ++hops) {
    if (hops > kMaxPointerChain) RaiseBadData("too many pointers in a row.");
    const auto [target, next] = ReadPointer(c.Size, c.Offset);
    if (after < 0) after = next;
    c = ReadControl(target);
  }
  return c;
}

int64_t TMMDBDecoder::DecodeInto(TMMDBRecord& record, int64_t offset) const {
  TBudget budget;
  return DecodeValue(TMMDBKind::Record, static_cast<void*>(&record), offset, 0, budget);
}

int64_t TMMDBDecoder::DecodeValue(TMMDBKind kind, void* field, int64_t offset, int depth, TBudget& budget) const {
  budget.Spend(0, 1);
  int64_t after;
  const TMMDBControl c = ResolveControl(offset, after);
  int64_t end = c.Type == mtBoolean ? c.Offset : c.Offset + c.Size;
  if (c.Type == mtMap) DecodeMap(kind, field, c, end, depth, budget);
  else if (c.Type == mtArray) DecodeArray(kind, field, c, end, depth, budget);
  else DecodeScalar(kind, field, c, budget);
  return after >= 0 ? after : end;
}

void TMMDBDecoder::DecodeScalar(TMMDBKind kind, void* field, const TMMDBControl& c, TBudget& budget) const {
  switch (c.Type) {
    case mtUtf8String:
      Expect(TMMDBKind::String, kind, field);
      // Viewed in the file until here, where the record stores it; assigned in place, so a record
      // filled again reuses its strings' storage.
      budget.Spend(c.Size, 0);
      static_cast<std::string*>(field)->assign(_database.View(c.Offset, c.Size));
      return;
    case mtDouble:
      Expect(TMMDBKind::Double, kind, field);
      if (c.Size != 8) RaiseBadData("invalid size of double.");
      *static_cast<double*>(field) = _database.ReadDouble(c.Offset);
      return;
    case mtBytes:
      Expect(TMMDBKind::Bytes, kind, field);
      budget.Spend(c.Size, 0);
      *static_cast<TMMDBBytes*>(field) = _database.Read(c.Offset, c.Size);
      return;
    case mtUint16:
    case mtInt32:
      // Fewer than four bytes are not sign-extended.
      Expect(TMMDBKind::Integer, kind, field);
      *static_cast<int32_t*>(field) = _database.ReadInteger(0, c.Offset, c.Size);
      return;
    case mtUint32:
      Expect(TMMDBKind::Int64, kind, field);
      *static_cast<int64_t*>(field) = _database.ReadLong(c.Offset, c.Size);
      return;
    case mtUint64:
      Expect(TMMDBKind::UInt64, kind, field);
      *static_cast<uint64_t*>(field) = _database.ReadULong(c.Offset, c.Size);
      return;
    case mtUint128: throw EMMDBError(TMMDBErrorKind::BadData, "Unsupported method: DecodeBigInteger");
    case mtBoolean:
      Expect(TMMDBKind::Boolean, kind, field);
      if (c.Size > 1) RaiseBadData("invalid size of boolean.");
      *static_cast<bool*>(field) = c.Size != 0;
      return;
    case mtFloat:
      Expect(TMMDBKind::Single, kind, field);
      if (c.Size != 4) RaiseBadData("invalid size of float.");
      *static_cast<float*>(field) = _database.ReadFloat(c.Offset);
      return;
    default: throw EMMDBError(TMMDBErrorKind::BadData, Format("Unable to handle type:%d", c.Type));
  }
}

void TMMDBDecoder::DecodeMap(TMMDBKind kind, void* field, const TMMDBControl& c, int64_t& end, int depth,
                             TBudget& budget) const {
  CheckDepth(depth);
  if (kind == TMMDBKind::Record) {
    end = DecodeRecordMap(*static_cast<TMMDBRecord*>(field), c, depth + 1, budget);
    return;
  }
  if (kind != TMMDBKind::Dictionary) throw EMMDBError(TMMDBErrorKind::BadData, "Invalid class typecast");
  CheckCount(c.Size, 2, c.Offset);
  auto& dictionary = *static_cast<TMMDBDictionary*>(field);
  dictionary.clear();
  end = c.Offset;
  std::string_view key, value;
  for (int64_t i = 0; i < c.Size; ++i) {
    end = DecodeText(end, key, depth + 1, budget);
    end = DecodeText(end, value, depth + 1, budget);
    budget.Spend(static_cast<int64_t>(key.size() + value.size() + sizeof(TMMDBDictionary::value_type)), 0);
    if (!dictionary.Add(key, value)) throw EMMDBError(TMMDBErrorKind::BadData, "Duplicates not allowed");
  }
}

int64_t TMMDBDecoder::DecodeText(int64_t offset, std::string_view& text, int depth, TBudget& budget) const {
  budget.Spend(0, 1);
  int64_t after;
  const TMMDBControl c = ResolveControl(offset, after);
  if (c.Type != mtUtf8String) {
    // Any other value raises the message decoding it into a string member gives.
    std::string member;
    DecodeValue(TMMDBKind::String, &member, offset, depth, budget);
  }
  text = _database.View(c.Offset, c.Size);
  return after >= 0 ? after : c.Offset + c.Size;
}

int64_t TMMDBDecoder::DecodeRecordMap(TMMDBRecord& record, const TMMDBControl& c, int depth, TBudget& budget) const {
  CheckCount(c.Size, 2, c.Offset);
  const TMMDBKeyTable& table = record.Keys();
  std::string_view key;
  int64_t offset = c.Offset;
  for (int64_t i = 0; i < c.Size; ++i) {
    offset = ReadMapKey(offset, key, budget);
    const TMMDBKey* k = table.Find(key);
    offset = k ? DecodeValue(k->Kind, k->Field(record), offset, depth, budget) : SkipValues(1, offset, depth, budget);
  }
  return offset;
}

void TMMDBDecoder::DecodeArray(TMMDBKind kind, void* field, const TMMDBControl& c, int64_t& end, int depth,
                               TBudget& budget) const {
  CheckDepth(depth);
  if (kind != TMMDBKind::StringList && kind != TMMDBKind::RecordList)
    throw EMMDBError(TMMDBErrorKind::BadData, "Invalid class typecast");
  CheckCount(c.Size, 1, c.Offset);
  end = c.Offset;
  if (kind == TMMDBKind::StringList) {
    auto& list = *static_cast<TMMDBStringList*>(field);
    list.clear();
    for (int64_t i = 0; i < c.Size; ++i) {
      budget.Spend(sizeof(std::string), 0);
      end = DecodeValue(TMMDBKind::String, &list.emplace_back(), end, depth + 1, budget);
    }
  } else {
    auto& list = *static_cast<TMMDBRecordListBase*>(field);
    list.Clear();
    for (int64_t i = 0; i < c.Size; ++i) {
      budget.Spend(list.ElementSize(), 0);
      end = DecodeValue(TMMDBKind::Record, static_cast<void*>(&list.Add()), end, depth + 1, budget);
    }
  }
}

int64_t TMMDBDecoder::ReadMapKey(int64_t offset, std::string_view& key, TBudget& budget) const {
  budget.Spend(0, 1);
  int64_t after;
  const TMMDBControl c = ResolveControl(offset, after);
  if (c.Type != mtUtf8String)
    throw EMMDBError(TMMDBErrorKind::BadData, Format("Database contains a non-string as map key: %d", c.Type));
  key = _database.View(c.Offset, c.Size);
  return after >= 0 ? after : c.Offset + c.Size;
}

int64_t TMMDBDecoder::SkipValues(int64_t count, int64_t offset, int depth, TBudget& budget) const {
  // Values still to step over, one entry per open map or array: no recursion.
  std::array<int64_t, kMaxDepth + 1> pending;
  int levels = 0;
  pending[levels++] = count;
  while (levels > 0) {
    if (pending[levels - 1] == 0) {
      --levels;
      continue;
    }
    --pending[levels - 1];
    budget.Spend(0, 1);
    const TMMDBControl c = ReadControl(offset);
    offset = c.Offset;
    int64_t inner = 0;
    switch (c.Type) {
      case mtPointer: {
        const int64_t p = ((c.Size >> 3) & 3) + 1;
        if (!_database.Contains(offset, p)) RaiseBadData("read past the end of the database.");
        offset += p;
        break;
      }
      case mtMap:
        CheckCount(c.Size, 2, offset);
        inner = 2 * c.Size;
        break;
      case mtArray:
        CheckCount(c.Size, 1, offset);
        inner = c.Size;
        break;
      case mtBoolean: break;
      default:
        if (!_database.Contains(offset, c.Size)) RaiseBadData("read past the end of the database.");
        offset += c.Size;
    }
    if (inner > 0) {
      CheckDepth(depth + levels);
      pending[levels++] = inner;
    }
  }
  return offset;
}

int64_t TMMDBDecoder::ValueStart(int64_t offset) const {
  TMMDBControl c = ReadControl(offset);
  for (int hops = 1; c.Type == mtPointer; ++hops) {
    if (hops > kMaxPointerChain) RaiseBadData("too many pointers in a row.");
    offset = ReadPointer(c.Size, c.Offset).first;
    c = ReadControl(offset);
  }
  return offset;
}

int64_t TMMDBDecoder::FindPath(int64_t offset, std::span<const std::string> path) const {
  TBudget budget;
  int64_t at = ValueStart(offset);
  for (const std::string& step : path) {
    budget.Spend(0, 1);
    const TMMDBControl c = ReadControl(at);
    int64_t found = -1;
    if (c.Type == mtMap) {
      CheckCount(c.Size, 2, c.Offset);
      std::string_view key;
      int64_t next = c.Offset;
      for (int64_t i = 0; i < c.Size && found < 0; ++i) {
        next = ReadMapKey(next, key, budget);
        if (key == step) found = next;
        else next = SkipValues(1, next, 0, budget);
      }
    } else if (c.Type == mtArray) {
      CheckCount(c.Size, 1, c.Offset);
      int64_t index = -1;
      const auto [end, ec] = std::from_chars(step.data(), step.data() + step.size(), index);
      if (ec == std::errc() && end == step.data() + step.size() && index >= 0 && index < c.Size)
        found = SkipValues(index, c.Offset, 0, budget);
    }
    if (found < 0) return -1;
    at = ValueStart(found);
  }
  return at;
}

std::vector<std::string> TMMDBDecoder::MapKeys(int64_t offset) const {
  TBudget budget;
  const TMMDBControl c = ReadControl(ValueStart(offset));
  std::vector<std::string> keys;
  if (c.Type != mtMap) return keys;
  CheckCount(c.Size, 2, c.Offset);
  std::string_view key;
  int64_t next = c.Offset;
  for (int64_t i = 0; i < c.Size; ++i) {
    next = ReadMapKey(next, key, budget);
    budget.Spend(static_cast<int64_t>(key.size()), 0);
    keys.emplace_back(key);
    next = SkipValues(1, next, 0, budget);
  }
  return keys;
}

std::vector<std::string> TMMDBDecoder::LeafPaths(int64_t offset, size_t limit) const {
  TBudget budget;
  std::vector<std::string> paths;
  CollectLeafPaths(offset, std::string(), 0, limit, paths, budget);
  return paths;
}

void TMMDBDecoder::CollectLeafPaths(int64_t offset, const std::string& prefix, int depth, size_t limit,
                                    std::vector<std::string>& paths, TBudget& budget) const {
  CheckDepth(depth);
  const TMMDBControl c = ReadControl(ValueStart(offset));
  const auto child = [&](std::string_view step) {
    std::string path = prefix;
    if (!path.empty()) path += '.';
    return path += step;
  };
  if (c.Type == mtMap) {
    CheckCount(c.Size, 2, c.Offset);
    std::string_view key;
    int64_t next = c.Offset;
    for (int64_t i = 0; i < c.Size && paths.size() < limit; ++i) {
      next = ReadMapKey(next, key, budget);
      budget.Spend(static_cast<int64_t>(prefix.size() + key.size()), 0);
      CollectLeafPaths(next, child(key), depth + 1, limit, paths, budget);
      next = SkipValues(1, next, 0, budget);
    }
  } else if (c.Type == mtArray) {
    CheckCount(c.Size, 1, c.Offset);
    int64_t next = c.Offset;
    for (int64_t i = 0; i < c.Size && paths.size() < limit; ++i) {
      budget.Spend(static_cast<int64_t>(prefix.size()), 1);
      CollectLeafPaths(next, child(std::to_string(i)), depth + 1, limit, paths, budget);
      next = SkipValues(1, next, 0, budget);
    }
  } else if (!prefix.empty() && paths.size() < limit) {
    paths.push_back(prefix);
  }
}

}  // namespace korrin
