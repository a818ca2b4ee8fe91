#pragma once
// The seekable byte-stream contract that the text readers consume, so that a file, a cached file
// or bytes in memory can feed the same decoder.
#include <cstdint>

namespace korrin {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  // Copies up to Count bytes into Buffer and returns how many were copied; 0 at the end. A read
  // that fails raises its error, so that a reader never takes it for the end.
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() = 0;
  virtual void SetSize(int64_t NewSize) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }
};

}  // namespace korrin
