#pragma once
// The bytes of a database as the decoder and the search tree read them: every read is checked
// against the length, so no file content can make a read leave the bytes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korrin {

class TMMDBBuffer {
 public:
  virtual ~TMMDBBuffer() = default;

  int64_t Length() const { return _Length; }

  virtual std::vector<uint8_t> Read(int64_t offset, int64_t count) const = 0;
  virtual std::string ReadString(int64_t offset, int64_t count) const = 0;
  virtual uint8_t ReadOne(int64_t offset) const = 0;
  // Fills the whole of `array` from `offset`.
  virtual void Copy(int64_t offset, std::span<uint8_t> array) const = 0;

  double ReadDouble(int64_t offset) const;
  float ReadFloat(int64_t offset) const;
  // Big-endian accumulation of `size` bytes onto `startValue`; bits shifted out are lost.
  int32_t ReadInteger(int32_t startValue, int64_t offset, int64_t size) const;
  int64_t ReadLong(int64_t offset, int64_t size) const;
  uint64_t ReadULong(int64_t offset, int64_t size) const;

  // True when `count` bytes from `offset` lie inside the buffer.
  bool Contains(int64_t offset, int64_t count) const {
    return offset >= 0 && count >= 0 && offset <= _Length && count <= _Length - offset;
  }

 protected:
  explicit TMMDBBuffer(int64_t length) : _Length(length) {}
  // Raises the bad-data message unless `count` bytes from `offset` lie inside the buffer.
  void CheckRange(int64_t offset, int64_t count) const;

 private:
  uint64_t Accumulate(uint64_t startValue, int64_t offset, int64_t size) const;

  int64_t _Length;
};

}  // namespace korrin
