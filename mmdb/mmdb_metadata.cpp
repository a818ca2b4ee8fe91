#include "mmdb/mmdb_metadata.h"

#include <algorithm>
#include <ctime>

#include <limits>

#include "common/text.h"

namespace korrin {

const TMMDBKeyTable& TMMDBMetadata::KeyTable() {
  static const TMMDBKeyTable table{
      "TMMDBMetadata",
      {
          MMDBKey<&TMMDBMetadata::FBinaryFormatMajorVersion>("binary_format_major_version"),
          MMDBKey<&TMMDBMetadata::FBinaryFormatMinorVersion>("binary_format_minor_version"),
          MMDBKey<&TMMDBMetadata::FBuildEpoch>("build_epoch"),
          MMDBKey<&TMMDBMetadata::FDatabaseType>("database_type"),
          MMDBKey<&TMMDBMetadata::FDescription>("description"),
          MMDBKey<&TMMDBMetadata::FIPVersion>("ip_version"),
          MMDBKey<&TMMDBMetadata::FLanguages>("languages"),
          MMDBKey<&TMMDBMetadata::FNodeCount>("node_count"),
          MMDBKey<&TMMDBMetadata::FRecordSize>("record_size"),
      }};
  return table;
}

int64_t TMMDBMetadata::SearchTreeSize() const {
  int64_t size;
  if (FNodeCount < 0 || NodeByteSize() < 0 || __builtin_mul_overflow(FNodeCount, NodeByteSize(), &size))
    return std::numeric_limits<int64_t>::max() / 2;
  return size;
}

namespace {

// The build time in UTC by a strftime format, empty when it is out of the calendar's range.
std::string FormatBuildEpoch(uint64_t epoch, const char* format) {
  const auto seconds = static_cast<time_t>(std::min<uint64_t>(epoch, INT64_MAX / 2));
  struct tm utc {};
  char text[64];
  if (gmtime_r(&seconds, &utc) == nullptr || std::strftime(text, sizeof text, format, &utc) == 0) return std::string();
  return text;
}

}  // namespace

// The UTC date in the user's short date format (the locale's LC_TIME, "%x").
std::string TMMDBMetadata::BuildDate() const { return FormatBuildEpoch(FBuildEpoch, "%x"); }

std::string TMMDBMetadata::BuildTime() const { return FormatBuildEpoch(FBuildEpoch, "%Y-%m-%dT%H:%M:%SZ"); }

bool TMMDBMetadata::IsCityDatabase() const { return EndsWithNoCase(FDatabaseType, "-city"); }

}  // namespace korrin
