#include "textio/cached_file_line_reader.h"

#include "textio/cached_file_stream.h"

namespace korrin {

TCachedFileLineReader::TCachedFileLineReader(const std::string& Filename, int32_t CacheSize, int32_t BufferSize)
    : TLineReader(std::make_unique<TReadOnlyCachedFileStream>(Filename, CacheSize), BufferSize) {}

}  // namespace korrin
