#pragma once
// Shared by the reader tests: paths of the public test databases and small record classes for
// the databases whose records are not geolocation records.
#include <functional>
#include <string>

#include "common/exception.h"

#include "mmdb/mmdb_record.h"

namespace korrin::test {

inline std::string TestDatabase(const std::string& name) {
  return std::string(KORRIN_TEST_DATA_DIR) + "/test-data/" + name;
}
inline std::string SourceData(const std::string& name) {
  return std::string(KORRIN_TEST_DATA_DIR) + "/source-data/" + name;
}

// The message of the failure `action` raises, or "no error".
inline std::string Error(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "no error";
}

// The records of the ipv4/ipv6/mixed test databases: {"ip": the network's address}.
class TIPRecord : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable() {
    static const TMMDBKeyTable table{"TIPRecord", {MMDBKey<&TIPRecord::ip>("ip")}};
    return table;
  }
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }
  std::string ip;
};

}  // namespace korrin::test
