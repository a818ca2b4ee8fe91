#pragma once
// Reads rows of a text file from a row start the index gave, decoding only the rows asked for:
// the preview's first rows, the rows on screen and korrin-cli's rows all come through here, split
// by the same scanner as the index.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "textio/cached_file_stream.h"
#include "textio/encoding_sniffer.h"
#include "viewer/row_scanner.h"

namespace korrin {

using TStringList = std::vector<std::u16string>;

class TRowReader {
 public:
  // A shown line keeps at most this many code units; the row still ends where the file says.
  static constexpr size_t kMaxLineLength = 65535;

  TRowReader(const std::string& FileName, const TSniffedEncoding& Encoding, const TRowOptions& Options,
             int32_t CacheSize = 65536);
  // Reads the file an index opened (TRowIndex::File), whatever its name shows now.
  TRowReader(std::shared_ptr<const TOpenedFile> File, const TSniffedEncoding& Encoding, const TRowOptions& Options,
             int32_t CacheSize = 65536);

  // Goes to a row start: an offset from TRowIndex, or DataStart().
  void Seek(int64_t Offset);
  int64_t DataStart() const { return static_cast<int64_t>(FEncoding.PreambleSize); }

  // The next record (Records) or line: its physical lines. A record's lines but its last keep the
  // break that ends them (LF, CR LF or CR), which belongs to a value; other lines have none.
  // False at the end.
  bool Read(bool Records, TStringList& Lines);
  // Passes over the next rows without decoding them; false when the end came first.
  bool Skip(bool Records, int64_t Count);
  bool AtEnd();
  // Where the next row starts.
  int64_t Position() const { return FBase + static_cast<int64_t>(FAt); }
  // Where the file ends for this reader: its size when the reader was made.
  int64_t Size() { return FStream.Size(); }
  // The delimiter the scan has found or was given; 0 while none is known.
  char16_t Delimiter() const { return FScanner.Delimiter(); }

 private:
  bool Fill();
  // Scans one row; Lines null skips it.
  bool Row(bool Records, TStringList* Lines);
  void EndLine(TStringList* Lines, bool KeepBreak = false);

  TReadOnlyCachedFileStream FStream;
  const TSniffedEncoding FEncoding;
  TRowScanner FScanner;
  std::vector<uint8_t> FBytes;  // raw bytes from file offset FBase
  int64_t FBase = 0;
  size_t FAt = 0;
  bool FEnd = false;
  std::vector<uint8_t> FLine;  // the raw bytes of the line being read, up to the cap
  std::u16string FWide;        // UTF-16 buffers decoded for scanning
};

}  // namespace korrin
