#pragma once
// Turns a byte stream into UTF-16 lines for the viewer of arbitrary, possibly damaged, very large
// files: byte-order-mark detection, tolerant decoding chunk by chunk, a cap on the line length,
// lines cut at runs of NUL characters, and lines skipped or copied without allocating.
#include <cstdint>
#include <string>
#include <vector>

#include "textio/stream.h"
#include "textio/stream_decoders.h"
#include "textio/utf16_buffer.h"

namespace korrin {

class TStreamReaderEx {
 public:
  static constexpr int32_t kMinBufferSize = 128;
  static constexpr int32_t kDefaultTruncLineLength = 65535;

  // Encoding null means the shared tolerant UTF-8 encoding; a found byte-order mark overrides it.
  explicit TStreamReaderEx(TStream* Stream, const TEncoding* Encoding = nullptr, bool DetectBOM = true,
                           int32_t BufferSize = 1024);
  ~TStreamReaderEx();
  TStreamReaderEx(const TStreamReaderEx&) = delete;
  TStreamReaderEx& operator=(const TStreamReaderEx&) = delete;

  void Close();
  // Forgets the decoded text, for a caller that repositioned the stream.
  void DiscardBufferedData();

  bool EndOfStream();
  int32_t Peek();
  int32_t Read();
  int32_t Read(char16_t* Buffer, int32_t Index, int32_t Count);
  int32_t ReadBlock(char16_t* Buffer, int32_t Index, int32_t Count) { return Read(Buffer, Index, Count); }
  std::u16string ReadToEnd();

  std::u16string ReadLine();
  // The next line into LineBuffer (NUL-terminated, grown only when too short); returns its length.
  int64_t ReadLineBuffer(std::u16string& LineBuffer);
  void GotoNextLine();

  TStream* BaseStream() const { return FStream; }
  const TEncoding& CurrentEncoding() const { return *FEncoding; }
  int32_t TruncLineLength() const { return FTruncLineLength; }
  void SetTruncLineLength(int32_t Value) { FTruncLineLength = Value; }
  bool SkipLineNullChars() const { return FSkipLineNullChars; }
  void SetSkipLineNullChars(bool Value) { FSkipLineNullChars = Value; }

 private:
  void FillBuffer(bool DropConsumed);
  size_t DetectBOM(const uint8_t* Bytes, size_t Count);
  size_t Buffered() const { return FBufferedData.Chars().size(); }
  // Scans the next line: its length from FBufferedStartIndex, and where the line after it starts.
  void FindLineEnd(size_t& LineLength, size_t& NextStart);

  TStringBuilderEx FBufferedData;
  size_t FBufferedStartIndex = 0;
  int32_t FBufferSize;
  bool FDetectBOM;
  const TEncoding* FEncoding;
  bool FNoDataInStream = false;
  bool FSkipPreamble;
  TStream* FStream;  // the caller's: it outlives the reader
  int32_t FTruncLineLength = kDefaultTruncLineLength;
  bool FSkipLineNullChars = true;
  std::vector<uint8_t> FBytes;  // the chunk being decoded, kept to spare an allocation per fill
};

}  // namespace korrin
