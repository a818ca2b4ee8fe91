#include "settings/settings_file_encoding.h"

#include <cstdint>

#include "common/windows_1252.h"

namespace korrin {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, Windows1252ToUnicode(b));
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool little_endian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit_at = [&](size_t i) -> char32_t {
    const auto lo = static_cast<unsigned char>(bytes[little_endian ? i : i + 1]);
    const auto hi = static_cast<unsigned char>(bytes[little_endian ? i + 1 : i]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit_at(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = unit_at(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? kReplacement : u);
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacement);  // an odd trailing byte
  return out;
}

std::string DecodeUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) AppendUtf8(out, NextUtf8CodePoint(bytes, pos));
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

char32_t NextUtf8CodePoint(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t length = 0;
  char32_t c = 0, min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F, min = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F, min = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07, min = 0x10000;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[pos + k]);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    c = c << 6 | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
    ++pos;
    return kReplacement;
  }
  pos += length;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    // A decoded U+FFFD is an error only when the bytes did not spell it.
    if (NextUtf8CodePoint(text, pos) == kReplacement && pos == start + 1) return false;
  }
  return true;
}

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return DecodeUtf8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), false);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return DecodeWindows1252(bytes);
}

std::string UpperCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const char32_t c = NextUtf8CodePoint(text, pos);
    if (c == kReplacement && pos == start + 1) out += text[start];  // keep bytes it cannot read
    else AppendUtf8(out, UpperCodePoint(c));
  }
  return out;
}

}  // namespace korrin
