#pragma once
// Tolerant UTF-8 for the text stream reader: a viewer of damaged files must show them, so every
// malformed sequence decodes to U+FFFD (the project's one rule, common/utf8.h) instead of failing.
#include "textio/stream_decoders.h"

namespace korrin {

class TFixedUTF8Encoding final : public TEncoding {
 public:
  std::span<const uint8_t> Preamble() const override;
  size_t IncompleteTail(std::span<const uint8_t> Bytes) const override;
  void Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const override;

  // The one instance the readers share.
  static const TFixedUTF8Encoding& Shared();
};

}  // namespace korrin
