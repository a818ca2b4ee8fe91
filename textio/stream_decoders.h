#pragma once
// The byte-to-UTF-16 decoders the text stream reader can switch between; each decodes a chunk on
// its own and says how many trailing bytes begin a character the chunk does not complete, so that
// the reader can fetch the rest before decoding.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace korrin {

class TEncoding {
 public:
  virtual ~TEncoding() = default;

  // The byte-order mark this encoding writes in front of a text.
  virtual std::span<const uint8_t> Preamble() const = 0;
  // Trailing bytes of Bytes that start a character which more bytes could still complete.
  virtual size_t IncompleteTail(std::span<const uint8_t> Bytes) const = 0;
  // Appends the text of Bytes to Out; malformed input becomes U+FFFD, never an error.
  virtual void Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const = 0;

  // The process-wide UTF-16 decoders, little-endian and big-endian.
  static const TEncoding& Unicode();
  static const TEncoding& BigEndianUnicode();
  // The process-wide Windows-1252 decoder, for text that is not UTF-8 and has no mark.
  static const TEncoding& Windows1252();
};

}  // namespace korrin
