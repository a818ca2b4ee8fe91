#pragma once
// A database file mapped read-only into memory: look-ups read the page cache in place, so
// memory does not grow with the file and opening costs no copy.
#include <string>

#include "mmdb/mmdb_buffer.h"

namespace korrin {

class TMMDBMappedBuffer : public TMMDBBuffer {
 public:
  // Maps the whole file; raises the system's message when it cannot be opened or mapped, and
  // refuses at once anything but a regular file (a FIFO or a device would block or never end).
  explicit TMMDBMappedBuffer(const std::string& fileName);
  ~TMMDBMappedBuffer() override;

 private:
  void* FMapping = nullptr;
  size_t FMappedLength = 0;
};

}  // namespace korrin
