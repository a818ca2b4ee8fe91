#pragma once
// The metadata map at the end of a database: how the search tree is laid out and what the
// database holds.
#include <chrono>
#include <cstdint>
#include <string>

#include "mmdb/mmdb_record.h"

namespace korrin {

class TMMDBMetadata : public TMMDBRecord {
 public:
  static const TMMDBKeyTable& KeyTable();
  const TMMDBKeyTable& Keys() const override { return KeyTable(); }

  int32_t BinaryFormatMajorVersion() const { return FBinaryFormatMajorVersion; }
  int32_t BinaryFormatMinorVersion() const { return FBinaryFormatMinorVersion; }
  uint64_t BuildEpoch() const { return FBuildEpoch; }
  const std::string& DatabaseType() const { return FDatabaseType; }
  const TMMDBDictionary& Description() const { return FDescription; }
  int32_t IPVersion() const { return FIPVersion; }
  const TMMDBStringList& Languages() const { return FLanguages; }
  int64_t NodeCount() const { return FNodeCount; }
  int32_t RecordSize() const { return FRecordSize; }

  int64_t NodeByteSize() const { return FRecordSize / 4; }
  // Saturates instead of overflowing, so that a node count no file can hold stays detectable.
  int64_t SearchTreeSize() const;
  // The day of BuildEpoch in UTC as YYYY-MM-DD.
  std::string BuildDate() const;
  // BuildEpoch as an ISO 8601 UTC time, "2023-11-14T22:13:20Z".
  std::string BuildTime() const;
  // A database type ending in "-city", in any letter case, marks a City database.
  bool IsCityDatabase() const;

 private:
  int32_t FBinaryFormatMajorVersion = 0;
  int32_t FBinaryFormatMinorVersion = 0;
  uint64_t FBuildEpoch = 0;
  std::string FDatabaseType;
  TMMDBDictionary FDescription;
  int32_t FIPVersion = 0;
  TMMDBStringList FLanguages;
  int64_t FNodeCount = 0;
  int32_t FRecordSize = 0;
};

}  // namespace korrin
