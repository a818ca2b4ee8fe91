#include "mmdb/mmdb_buffer.h"

#include <bit>

#include "mmdb/mmdb_error.h"

namespace korrin {

void TMMDBBuffer::RaiseReadPastEnd() {
  throw EMMDBError(TMMDBErrorKind::BadData,
                   "The MaxMind DB file's data section contains bad data: read past the end of the database.");
}

const std::atomic<bool> TMMDBBuffer::kNeverChanged{false};

void TMMDBBuffer::RaiseChanged() const { throw EMMDBError(TMMDBErrorKind::CannotOpen, FChangedMessage); }

double TMMDBBuffer::ReadDouble(int64_t offset) const { return std::bit_cast<double>(ReadULong(offset, 8)); }

float TMMDBBuffer::ReadFloat(int64_t offset) const {
  return std::bit_cast<float>(static_cast<uint32_t>(ReadULong(offset, 4)));
}

}  // namespace korrin
