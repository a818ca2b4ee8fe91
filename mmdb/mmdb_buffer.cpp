#include "mmdb/mmdb_buffer.h"

#include <bit>

#include "common/exception.h"

namespace korrin {

void TMMDBBuffer::RaiseReadPastEnd() {
  throw Exception("The MaxMind DB file's data section contains bad data: read past the end of the database.");
}

double TMMDBBuffer::ReadDouble(int64_t offset) const { return std::bit_cast<double>(ReadULong(offset, 8)); }

float TMMDBBuffer::ReadFloat(int64_t offset) const {
  return std::bit_cast<float>(static_cast<uint32_t>(ReadULong(offset, 4)));
}

uint64_t TMMDBBuffer::Accumulate(uint64_t startValue, int64_t offset, int64_t size) const {
  const uint8_t* p = At(offset, size);
  // Only the last eight bytes can survive the shifts, so longer runs are read from there.
  if (size > 8) {
    p += size - 8;
    size = 8;
    startValue = 0;
  }
  uint64_t value = startValue;
  for (int64_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

int32_t TMMDBBuffer::ReadInteger(int32_t startValue, int64_t offset, int64_t size) const {
  return static_cast<int32_t>(static_cast<uint32_t>(Accumulate(static_cast<uint32_t>(startValue), offset, size)));
}

int64_t TMMDBBuffer::ReadLong(int64_t offset, int64_t size) const {
  return static_cast<int64_t>(Accumulate(0, offset, size));
}

uint64_t TMMDBBuffer::ReadULong(int64_t offset, int64_t size) const { return Accumulate(0, offset, size); }

}  // namespace korrin
