#pragma once
// A database held in memory as bytes, for databases that are not files (tests, fuzzing).
#include <vector>

#include "mmdb/mmdb_buffer.h"

namespace korrin {

class TMMDBArrayBuffer : public TMMDBBuffer {
 public:
  explicit TMMDBArrayBuffer(std::vector<uint8_t> bytes);

 private:
  std::vector<uint8_t> _fileBytes;
};

}  // namespace korrin
