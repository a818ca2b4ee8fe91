#include "settings/settings_file_encoding.h"

#include <cstdint>

#include "common/utf16.h"
#include "common/utf8.h"
#include "common/windows_1252.h"

namespace korrin {

namespace {

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, Windows1252ToUnicode(b));
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string units;
  AppendUtf16Units({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, big_endian, units);
  return Utf16ToUtf8(units);
}

std::string DecodeUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) {
    const TDecodedCodePoint c = DecodeUtf8At(bytes, pos);
    AppendUtf8(out, c.Value);
    pos += c.Length;
  }
  return out;
}

char32_t UpperCodePoint(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c < 0x80) return c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
    return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  // Latin Extended-A pairs upper and lower case in neighbouring code points; the dotless i and
  // the long s are left alone because their capitals are one byte shorter.
  const bool odd_lower = (c >= 0x100 && c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177);
  const bool even_lower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if ((odd_lower && c % 2 == 1) || (even_lower && c % 2 == 0)) return c - 1;
  return c;
}

}  // namespace

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return DecodeUtf8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return DecodeWindows1252(bytes);
}

std::string UpperCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const TDecodedCodePoint c = DecodeUtf8At(text, pos);
    if (c.Valid) AppendUtf8(out, UpperCodePoint(c.Value));
    else out += text.substr(pos, c.Length);  // keep bytes it cannot read
    pos += c.Length;
  }
  return out;
}

}  // namespace korrin
