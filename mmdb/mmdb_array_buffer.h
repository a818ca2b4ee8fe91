#pragma once
// The whole database file held in memory, so that look-ups never touch the file again.
#include <string>

#include "mmdb/mmdb_buffer.h"

namespace korrin {

class TMMDBArrayBuffer : public TMMDBBuffer {
 public:
  // Reads the file from its first byte to its last; raises the system's message when it cannot.
  explicit TMMDBArrayBuffer(const std::string& fileName);
  explicit TMMDBArrayBuffer(std::vector<uint8_t> bytes);

  std::vector<uint8_t> Read(int64_t offset, int64_t count) const override;
  std::string ReadString(int64_t offset, int64_t count) const override;
  uint8_t ReadOne(int64_t offset) const override;
  void Copy(int64_t offset, std::span<uint8_t> array) const override;

 private:
  std::vector<uint8_t> _fileBytes;
};

}  // namespace korrin
