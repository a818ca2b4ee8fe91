#include "textio/text_stream_reader.h"

#include <algorithm>
#include <cstring>

#include "common/exception.h"
#include "textio/tolerant_utf8.h"

namespace korrin {

namespace {

bool StartsWith(const uint8_t* bytes, size_t count, std::span<const uint8_t> mark) {
  return count >= mark.size() && std::memcmp(bytes, mark.data(), mark.size()) == 0;
}

}  // namespace

TStreamReaderEx::TStreamReaderEx(TStream* Stream, const TEncoding* Encoding, bool DetectBOM, int32_t BufferSize)
    : FBufferSize(std::max(BufferSize, kMinBufferSize)),
      FDetectBOM(DetectBOM),
      FEncoding(Encoding ? Encoding : &TFixedUTF8Encoding::Shared()),
      FSkipPreamble(!DetectBOM),
      FStream(Stream) {
  if (!Stream) throw Exception("Parameter Stream cannot be nil");
}

TStreamReaderEx::~TStreamReaderEx() { Close(); }

void TStreamReaderEx::Close() {
  FStream = nullptr;
  std::u16string().swap(FBufferedData.Chars());
  FBufferedStartIndex = 0;
  FNoDataInStream = true;
}

void TStreamReaderEx::DiscardBufferedData() {
  FBufferedData.Chars().clear();
  FBufferedStartIndex = 0;
  FNoDataInStream = false;
  // Back at the start, the byte-order mark is skipped again rather than read as text.
  if (FStream && FStream->Position() == 0) FSkipPreamble = true;
}

size_t TStreamReaderEx::DetectBOM(const uint8_t* Bytes, size_t Count) {
  FDetectBOM = false;
  static constexpr uint8_t kUtf16Le[] = {0xFF, 0xFE};
  static constexpr uint8_t kUtf16Be[] = {0xFE, 0xFF};
  static constexpr uint8_t kUtf8[] = {0xEF, 0xBB, 0xBF};
  if (StartsWith(Bytes, Count, kUtf16Le)) {
    FEncoding = &TEncoding::Unicode();
    return 2;
  }
  if (StartsWith(Bytes, Count, kUtf16Be)) {
    FEncoding = &TEncoding::BigEndianUnicode();
    return 2;
  }
  FEncoding = &TFixedUTF8Encoding::Shared();
  return StartsWith(Bytes, Count, kUtf8) ? 3 : 0;
}

void TStreamReaderEx::FillBuffer(bool DropConsumed) {
  if (!FStream) {
    FNoDataInStream = true;
    return;
  }
  if (FBytes.size() < static_cast<size_t>(FBufferSize) + 4) FBytes.resize(static_cast<size_t>(FBufferSize) + 4);
  // A pipe or terminal returns what has arrived: only a read of nothing is the end.
  const int32_t read = std::max(FStream->Read(FBytes.data(), FBufferSize), 0);
  FNoDataInStream = read == 0;
  size_t count = static_cast<size_t>(read);

  size_t skip = 0;
  if (FDetectBOM) {
    skip = DetectBOM(FBytes.data(), count);
  } else if (FSkipPreamble) {
    FSkipPreamble = false;
    if (StartsWith(FBytes.data(), count, FEncoding->Preamble())) skip = FEncoding->Preamble().size();
  }

  // A character cut by the chunk's end is completed from the stream, so that decoding chunk by
  // chunk gives the same text as decoding the whole stream at once.
  if (!FNoDataInStream) {
    while (FEncoding->IncompleteTail({FBytes.data() + skip, count - skip}) > 0) {
      if (count == FBytes.size()) FBytes.resize(count + 4);
      if (FStream->Read(FBytes.data() + count, 1) != 1) break;
      ++count;
    }
  }

  if (DropConsumed && FBufferedStartIndex > 0) {
    FBufferedData.Chars().erase(0, FBufferedStartIndex);
    FBufferedStartIndex = 0;
  }
  FEncoding->Decode({FBytes.data() + skip, count - skip}, FBufferedData.Chars());
}

bool TStreamReaderEx::EndOfStream() {
  // A chunk may decode to nothing (a lone byte-order mark): only the end of the stream ends it.
  while (!FNoDataInStream && FBufferedStartIndex >= Buffered()) FillBuffer(false);
  return FNoDataInStream && FBufferedStartIndex >= Buffered();
}

int32_t TStreamReaderEx::Peek() {
  while (FBufferedStartIndex >= Buffered() && !FNoDataInStream) FillBuffer(true);
  if (FBufferedStartIndex >= Buffered()) return -1;
  return FBufferedData.Chars()[FBufferedStartIndex];
}

int32_t TStreamReaderEx::Read() {
  const int32_t c = Peek();
  if (c >= 0) ++FBufferedStartIndex;
  return c;
}

int32_t TStreamReaderEx::Read(char16_t* Buffer, int32_t Index, int32_t Count) {
  if (Count <= 0) return 0;
  while (Buffered() - FBufferedStartIndex < static_cast<size_t>(Count) && !FNoDataInStream) FillBuffer(true);
  const size_t n = std::min(Buffered() - FBufferedStartIndex, static_cast<size_t>(Count));
  if (n == 0) return -1;
  std::copy_n(FBufferedData.Chars().data() + FBufferedStartIndex, n, Buffer + Index);
  FBufferedStartIndex += n;
  return static_cast<int32_t>(n);
}

std::u16string TStreamReaderEx::ReadToEnd() {
  while (!FNoDataInStream) FillBuffer(true);
  std::u16string rest = FBufferedData.Chars().substr(std::min(FBufferedStartIndex, Buffered()));
  FBufferedStartIndex = Buffered();
  return rest;
}

void TStreamReaderEx::FindLineEnd(size_t& LineLength, size_t& NextStart) {
  const size_t cap = FTruncLineLength > 0 ? static_cast<size_t>(FTruncLineLength) : SIZE_MAX;
  size_t i = 0;          // offset from FBufferedStartIndex, which a fill may move
  bool crAtEnd = false;  // a CR ends what is buffered: its LF may be in the next chunk
  for (;;) {
    if (crAtEnd || FBufferedStartIndex + i >= Buffered()) {
      // Past a CR at the end, the next character is wanted; else the one at i.
      const size_t need = i + (crAtEnd ? 1 : 0);
      while (!FNoDataInStream && FBufferedStartIndex + need >= Buffered()) FillBuffer(true);
      crAtEnd = false;
      if (FBufferedStartIndex + i >= Buffered()) {
        LineLength = NextStart = i;
        return;
      }
    }
    const char16_t* s = FBufferedData.Chars().data() + FBufferedStartIndex;
    const size_t available = Buffered() - FBufferedStartIndex;
    // Fast path over the buffered characters; a CR at their end waits for the next one, so that
    // a line that ends in LF is given as soon as it has arrived.
    for (; i < available; ++i) {
      const char16_t c = s[i];
      if (c == u'\n') {
        LineLength = i;
        NextStart = i + 1;
        return;
      }
      if (c == u'\r') {
        if (i + 1 == available && !FNoDataInStream) {
          crAtEnd = true;
          break;
        }
        LineLength = i;
        NextStart = i + 1 < available && s[i + 1] == u'\n' ? i + 2 : i + 1;
        return;
      }
      if (i == cap || (FSkipLineNullChars && i > 0 && (c == 0) != (s[i - 1] == 0))) {
        LineLength = NextStart = i;
        return;
      }
    }
  }
}

std::u16string TStreamReaderEx::ReadLine() {
  if (!FStream) return {};
  size_t length, next;
  FindLineEnd(length, next);
  std::u16string line = FSkipLineNullChars ? FBufferedData.ToNotNullString(FBufferedStartIndex, length)
                                           : FBufferedData.Chars().substr(FBufferedStartIndex, length);
  FBufferedStartIndex += next;
  return line;
}

int64_t TStreamReaderEx::ReadLineBuffer(std::u16string& LineBuffer) {
  if (!FStream) return CopyToLineBuffer(LineBuffer, nullptr, 0);
  size_t length, next;
  FindLineEnd(length, next);
  const auto start = static_cast<int64_t>(FBufferedStartIndex);
  const int64_t result = FSkipLineNullChars ? FBufferedData.ToNotNullStringBuffer(LineBuffer, start, length)
                                            : FBufferedData.ToStringBuffer(LineBuffer, start, length);
  FBufferedStartIndex += next;
  return result;
}

void TStreamReaderEx::GotoNextLine() {
  if (!FStream) return;
  size_t length, next;
  FindLineEnd(length, next);
  FBufferedStartIndex += next;
}

}  // namespace korrin
