#include "mmdb/mmdb_buffer.h"

#include <array>
#include <bit>
#include <cstring>

#include "common/exception.h"

namespace korrin {

void TMMDBBuffer::CheckRange(int64_t offset, int64_t count) const {
  if (!Contains(offset, count))
    throw Exception("The MaxMind DB file's data section contains bad data: read past the end of the database.");
}

double TMMDBBuffer::ReadDouble(int64_t offset) const {
  return std::bit_cast<double>(ReadULong(offset, 8));
}

float TMMDBBuffer::ReadFloat(int64_t offset) const {
  return std::bit_cast<float>(static_cast<uint32_t>(ReadULong(offset, 4)));
}

uint64_t TMMDBBuffer::Accumulate(uint64_t startValue, int64_t offset, int64_t size) const {
  CheckRange(offset, size);
  // Only the last eight bytes can survive the shifts, so longer runs are read from there.
  const int64_t kept = size < 8 ? size : 8;
  if (size > 8) startValue = 0;
  std::array<uint8_t, 8> bytes{};
  Copy(offset + size - kept, std::span<uint8_t>(bytes.data(), static_cast<size_t>(kept)));
  uint64_t value = startValue;
  for (int64_t i = 0; i < kept; ++i) value = (value << 8) | bytes[static_cast<size_t>(i)];
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
