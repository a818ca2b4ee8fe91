#pragma once
// The row starts of a whole text file, so that any row can be read without reading the rows
// before it. The index is sparse, one byte offset every kStride rows (a reader skips the rest),
// which keeps it well under a byte per row; it is built by one scan, on the caller's thread or on
// a worker of its own while the caller reads the rows indexed so far.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "textio/cached_file_stream.h"
#include "textio/encoding_sniffer.h"
#include "viewer/row_scanner.h"

namespace korrin {

// Receives the scan's progress; returning true stops it.
using TIndexProgress = std::function<bool(int64_t Position, int64_t Size, int64_t Records)>;

class TRowIndex {
 public:
  static constexpr int64_t kStride = 128;

  // Opens the file: the index, and the readers and Finds made from File(), read that file even
  // when another is renamed over its name.
  TRowIndex(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options);
  ~TRowIndex();
  TRowIndex(const TRowIndex&) = delete;
  TRowIndex& operator=(const TRowIndex&) = delete;

  // Scans the file on the calling thread; false when Progress stopped it. Read errors throw.
  bool Build(const TIndexProgress& Progress);
  // Scans on a worker; a read error ends it with Error() set.
  void Start();
  void Stop();

  bool Done() const { return FDone; }
  std::string Error() const;
  int64_t Size() const { return FSize; }
  int64_t Position() const { return FPosition; }
  // Rows found so far: records (the table's rows) and physical lines (the text's rows).
  int64_t Records() const { return FRecords; }
  int64_t Lines() const { return FLines; }
  const TSniffedEncoding& Encoding() const { return FEncoding; }
  const std::shared_ptr<const TOpenedFile>& File() const { return FFile; }
  // The options as the scan applies them: with the delimiter it found.
  TRowOptions Options() const;
  // Where row Row (0-based; a record or a line) can be read from: the offset of an indexed row
  // at or before it and the rows to skip from there; false while the index has not reached it.
  bool Locate(bool Records, int64_t Row, int64_t& Offset, int64_t& Skip) const;
  size_t MemoryBytes() const;

 private:
  struct TCounts;
  template <class T>
  void Scan(const T* Units, size_t N, int64_t Base, TCounts& Counts);
  void ScanPlainLines(const uint8_t* Bytes, size_t N, int64_t Base, TCounts& Counts);
  void Publish(TCounts& Counts, int64_t Position);

  const std::shared_ptr<const TOpenedFile> FFile;
  const TSniffedEncoding FEncoding;
  TRowOptions FOptions;
  TRowScanner FScanner;
  std::atomic<int64_t> FSize{0};
  std::atomic<int64_t> FPosition{0};
  std::atomic<int64_t> FRecords{0};
  std::atomic<int64_t> FLines{0};
  std::atomic<bool> FDone{false};
  std::atomic<bool> FStop{false};
  char16_t FFoundDelimiter;            // the given one until the scan finds one
  mutable std::mutex FLock;            // guards the offsets, the found delimiter and the error
  std::vector<int64_t> FRecordStarts;  // of records 0, kStride, 2 kStride, ...
  std::vector<int64_t> FLineStarts;    // the same for lines, when they differ from records
  std::string FError;
  std::thread FWorker;
};

}  // namespace korrin
