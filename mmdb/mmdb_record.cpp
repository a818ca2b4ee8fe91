#include "mmdb/mmdb_record.h"

#include <algorithm>

namespace korrin {

namespace {

bool SameTextAscii(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

TMMDBKeyTable::TMMDBKeyTable(std::string_view className, std::initializer_list<TMMDBKey> keys)
    : FClassName(className), FKeys(keys) {}

TMMDBKeyTable::TMMDBKeyTable(const TMMDBKeyTable& base, std::string_view className,
                             std::initializer_list<TMMDBKey> keys)
    : FClassName(className), FKeys(base.FKeys) {
  FKeys.insert(FKeys.end(), keys.begin(), keys.end());
}

const TMMDBKey* TMMDBKeyTable::Find(std::string_view key) const {
  // Stored keys are nearly always spelled as in the table, so the exact compare comes first.
  for (const TMMDBKey& k : FKeys)
    if (k.Name.size() == key.size() && (k.Name == key || SameTextAscii(k.Name, key))) return &k;
  return nullptr;
}

void TMMDBRecord::Clear() {
  for (const TMMDBKey& key : Keys().Keys()) {
    void* field = key.Field(*this);
    switch (key.Kind) {
      case TMMDBKind::String: static_cast<std::string*>(field)->clear(); break;
      case TMMDBKind::Double: *static_cast<double*>(field) = 0; break;
      case TMMDBKind::Bytes: static_cast<TMMDBBytes*>(field)->clear(); break;
      case TMMDBKind::Integer: *static_cast<int32_t*>(field) = 0; break;
      case TMMDBKind::Int64: *static_cast<int64_t*>(field) = 0; break;
      case TMMDBKind::UInt64: *static_cast<uint64_t*>(field) = 0; break;
      case TMMDBKind::Boolean: *static_cast<bool*>(field) = false; break;
      case TMMDBKind::Single: *static_cast<float*>(field) = 0; break;
      case TMMDBKind::Record: static_cast<TMMDBRecord*>(field)->Clear(); break;
      case TMMDBKind::Dictionary: static_cast<TMMDBDictionary*>(field)->clear(); break;
      case TMMDBKind::StringList: static_cast<TMMDBStringList*>(field)->clear(); break;
      case TMMDBKind::RecordList: static_cast<TMMDBRecordListBase*>(field)->Clear(); break;
    }
  }
}

}  // namespace korrin
