#pragma once
// The whole database file held in memory, so that look-ups never touch the file again.
#include <string>
#include <vector>

#include "mmdb/mmdb_buffer.h"

namespace korrin {

class TMMDBArrayBuffer : public TMMDBBuffer {
 public:
  // Reads the file from its first byte to its last; raises the system's message when it cannot.
  explicit TMMDBArrayBuffer(const std::string& fileName);
  explicit TMMDBArrayBuffer(std::vector<uint8_t> bytes);

 private:
  std::vector<uint8_t> _fileBytes;
};

}  // namespace korrin
