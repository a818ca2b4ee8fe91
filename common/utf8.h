#pragma once
// The one UTF-8 decoder and encoder of the project. Files, replies and typed text are untrusted, so
// decoding never fails: each malformed stretch becomes U+FFFD, one per maximal invalid subpart as
// Unicode recommends (E2 82 41 gives U+FFFD then "A"; the surrogate ED A0 80 gives three), and every
// reader shows the same text for the same damaged bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korrin {

constexpr char32_t kReplacementCodePoint = 0xFFFD;

struct TDecodedCodePoint {
  char32_t Value;  // U+FFFD where the input is malformed
  uint8_t Length;  // units taken: the whole sequence, or the malformed part (at least one)
  bool Valid;      // false where Value stands for malformed input, not for a U+FFFD the text spells
};

namespace detail {
TDecodedCodePoint DecodeUtf8SequenceAt(std::string_view text, size_t pos);
}

// The code point whose sequence starts at text[pos]; pos must be inside text. ASCII, most of any
// text, is decoded inline.
inline TDecodedCodePoint DecodeUtf8At(std::string_view text, size_t pos) {
  const auto b = static_cast<uint8_t>(text[pos]);
  return b < 0x80 ? TDecodedCodePoint{b, 1, true} : detail::DecodeUtf8SequenceAt(text, pos);
}

// The bytes at the end of text that begin a sequence more bytes could still complete (0 to 3).
size_t IncompleteUtf8Tail(std::string_view text);

bool IsValidUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace korrin
