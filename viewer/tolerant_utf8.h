#pragma once
// Tolerant UTF-8: a viewer of damaged files must show them, so every malformed sequence decodes to
// U+FFFD (one per maximal invalid subpart, as Unicode recommends) instead of failing the read.
#include <string>
#include <string_view>

#include "viewer/stream_decoders.h"

namespace korrin {

class TFixedUTF8Encoding final : public TEncoding {
 public:
  std::span<const uint8_t> Preamble() const override;
  size_t IncompleteTail(std::span<const uint8_t> Bytes) const override;
  void Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const override;

  // The one instance the readers share.
  static const TFixedUTF8Encoding& Shared();
};

// UTF-8 for the edges of the UTF-16 pipeline (file names, messages, command-line output);
// unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view Text);
std::u16string Utf8ToUtf16(std::string_view Text);

}  // namespace korrin
