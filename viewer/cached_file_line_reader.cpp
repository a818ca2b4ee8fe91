#include "viewer/cached_file_line_reader.h"

#include "viewer/cached_file_stream.h"

namespace korrin {

TCachedFileLineReader::TCachedFileLineReader(const std::string& Filename, int32_t CacheSize, int32_t BufferSize)
    : TLineReader(new TReadOnlyCachedFileStream(Filename, CacheSize), BufferSize, true) {}

}  // namespace korrin
