// The text stream reader and the line reader over random bytes, with random buffer sizes,
// encodings, line-length caps and a random mix of the ways of reading.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/exception.h"
#include "tests/textio/test_streams.h"
#include "textio/line_reader.h"
#include "textio/stream_decoders.h"
#include "textio/text_stream_reader.h"

namespace {

constexpr int kMaxSteps = 5000;

const korrin::TEncoding* EncodingOf(uint8_t choice) {
  switch (choice % 3) {
    case 1: return &korrin::TEncoding::Unicode();
    case 2: return &korrin::TEncoding::BigEndianUnicode();
    default: return nullptr;
  }
}

void ReadStream(korrin::TStreamReaderEx& reader, uint64_t script) {
  std::u16string buffer;
  char16_t chars[300];
  for (int step = 0; step < kMaxSteps && !reader.EndOfStream(); ++step) {
    switch ((script >> (step % 21 * 3)) & 7) {
      case 0: reader.ReadLine(); break;
      case 1: reader.ReadLineBuffer(buffer); break;
      case 2: reader.GotoNextLine(); break;
      case 3: reader.Peek(); break;
      case 4: reader.Read(); break;
      case 5: reader.Read(chars, step % 7, static_cast<int32_t>(sizeof chars / sizeof chars[0]) - step % 7); break;
      case 6: reader.ReadToEnd(); break;
      default: reader.DiscardBufferedData(); break;
    }
  }
}

void ReadLines(korrin::TLineReader& reader, uint64_t script) {
  std::u16string buffer;
  bool rewound = false;
  for (int step = 0; step < kMaxSteps && !reader.EndOfLines(); ++step) {
    switch ((script >> (step % 32 * 2)) & 3) {
      case 0: reader.ReadLine(); break;
      case 1: reader.ReadLineBuffer(buffer); break;
      case 2: reader.GotoNextLine(); break;
      default:
        (void)reader.StreamPosition();
        if (!rewound) reader.GotoBegin();
        rewound = true;
        break;
    }
  }
}

}  // namespace

// Input: the buffer size (2 bytes), options, a line-length cap, 8 bytes of reading script, the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  const int32_t bufferSize = (data[0] << 8 | data[1]) % 5000;
  const uint8_t options = data[2];
  const int32_t truncLength = data[3] < 128 ? data[3] + 1 : korrin::TStreamReaderEx::kDefaultTruncLineLength;
  uint64_t script = 0;
  for (int i = 0; i < 8; ++i) script = script << 8 | data[4 + i];
  const std::string text(reinterpret_cast<const char*>(data + 12), size - 12);
  try {
    if (options & 1) {
      korrin::TLineReader reader(std::make_unique<korrin::test::TBytesStream>(text), bufferSize);
      reader.SetThreadSafe(options & 2);
      if (options & 4) korrin::TLineReader::SetRejectChars(u"\\t\\n\\ra-z0-9,;\"");
      ReadLines(reader, script);
      korrin::TLineReader::ResetRejectChars();
    } else {
      korrin::test::TBytesStream stream(text);
      korrin::TStreamReaderEx reader(&stream, EncodingOf(options >> 1), options & 8, bufferSize);
      reader.SetTruncLineLength(truncLength);
      reader.SetSkipLineNullChars(options & 16);
      ReadStream(reader, script);
    }
  } catch (const korrin::Exception&) {
    korrin::TLineReader::ResetRejectChars();
  }
  return 0;
}
