#include "mmdb/mmdb_metadata.h"

#include <limits>

#include "common/text.h"

namespace korrin {

const TMMDBKeyTable& TMMDBMetadata::KeyTable() {
  static const TMMDBKeyTable table{"TMMDBMetadata",
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

std::string TMMDBMetadata::BuildDate() const {
  // Days to a civil date (proleptic Gregorian), in 64-bit so that any epoch converts.
  const int64_t z = static_cast<int64_t>(FBuildEpoch / 86400) + 719468;
  const int64_t era = z / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return Format("%04lld-%02lld-%02lld", static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day));
}

bool TMMDBMetadata::IsCityDatabase() const { return EndsWithNoCase(FDatabaseType, "-city"); }

}  // namespace korrin
