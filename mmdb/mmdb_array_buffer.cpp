#include "mmdb/mmdb_array_buffer.h"

#include <utility>

namespace korrin {

TMMDBArrayBuffer::TMMDBArrayBuffer(std::vector<uint8_t> bytes) : _fileBytes(std::move(bytes)) { SetBytes(_fileBytes); }

}  // namespace korrin
