#pragma once
// The line reader for files: stream mode over a TReadOnlyCachedFileStream, so that the decoder's
// small reads cost one system read per cache block.
#include "textio/line_reader.h"

namespace korrin {

class TCachedFileLineReader : public TLineReader {
 public:
  using TLineReader::TLineReader;
  TCachedFileLineReader(const std::string& Filename, int32_t CacheSize, int32_t BufferSize);

  static const TLineReaderClass& Class() { return TLineReaderClassOf<TCachedFileLineReader>::Instance(); }
};

}  // namespace korrin
