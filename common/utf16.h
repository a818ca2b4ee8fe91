#pragma once
// The one UTF-16 decoder and encoder of the project, and the conversions between UTF-8 and UTF-16
// that the viewer's text pipeline and its edges (file names, messages, command-line output) need.
// Like UTF-8 decoding it never fails: an unpaired surrogate or a dangling odd byte becomes U+FFFD.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/utf8.h"

namespace korrin {

constexpr char16_t kReplacementChar = 0xFFFD;

// The code point at text[pos]: a surrogate pair, or one unit; pos must be inside text.
TDecodedCodePoint DecodeUtf16At(std::u16string_view text, size_t pos);

void AppendUtf16(std::u16string& out, char32_t codePoint);

// The code units of UTF-16 bytes in the given byte order, unpaired surrogates kept as they are;
// an odd byte at the end becomes U+FFFD.
void AppendUtf16Units(std::span<const uint8_t> bytes, bool bigEndian, std::u16string& out);

void AppendUtf8AsUtf16(std::string_view text, std::u16string& out);
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace korrin
