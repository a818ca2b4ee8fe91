#include "common/utf16.h"

namespace korrin {

namespace {

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

TDecodedCodePoint DecodeUtf16At(std::u16string_view text, size_t pos) {
  const char32_t u = text[pos];
  if (IsHighSurrogate(u) && pos + 1 < text.size() && IsLowSurrogate(text[pos + 1]))
    return {0x10000 + ((u - 0xD800) << 10) + (text[pos + 1] - 0xDC00), 2, true};
  if (IsHighSurrogate(u) || IsLowSurrogate(u)) return {kReplacementCodePoint, 1, false};
  return {u, 1, true};
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendUtf16Units(std::span<const uint8_t> bytes, bool bigEndian, std::u16string& out) {
  const size_t units = bytes.size() / 2;
  const size_t base = out.size();
  out.resize(base + units + bytes.size() % 2);
  const int hi = bigEndian ? 0 : 1;
  for (size_t i = 0; i < units; ++i)
    out[base + i] = static_cast<char16_t>(bytes[2 * i + hi] << 8 | bytes[2 * i + 1 - hi]);
  if (bytes.size() % 2) out[base + units] = kReplacementChar;
}

void AppendUtf8AsUtf16(std::string_view text, std::u16string& out) {
  out.reserve(out.size() + text.size());
  for (size_t i = 0; i < text.size();) {
    const TDecodedCodePoint c = DecodeUtf8At(text, i);
    AppendUtf16(out, c.Value);
    i += c.Length;
  }
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  AppendUtf8AsUtf16(text, out);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const TDecodedCodePoint c = DecodeUtf16At(text, i);
    AppendUtf8(out, c.Value);
    i += c.Length;
  }
  return out;
}

}  // namespace korrin
