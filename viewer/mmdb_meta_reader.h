#pragma once
// A MaxMind DB file as text lines for the file viewer: its metadata as name,value lines, a CSV
// header, then one row per network of the IPv4 space in address order, 1000 lines in all at most.
// It is a list-mode line reader, so the viewer opens a database through the same class reference
// it opens a delimited text file with.
#include <cstdint>
#include <memory>
#include <string>

#include "mmdb/mmdb_reader.h"
#include "textio/line_reader.h"

namespace korrin {

class TMMDBMetaReader : public TLineReader {
 public:
  using TLineReader::TLineReader;
  // Opens the database and builds every line; `BufferSize` is not used. Raises the reader's
  // messages when the file cannot be opened or walked.
  TMMDBMetaReader(const std::string& Filename, int32_t BufferSize);

  static constexpr int kMaxLines = 1000;

 private:
  // The records the walk decoded belong to it, so it lives as long as the lines.
  std::unique_ptr<TMMDBReader> FMMDBReader;
};

}  // namespace korrin
