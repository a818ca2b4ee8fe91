#include "common/utf8.h"

namespace korrin {

namespace {

// What a lead byte promises: the sequence length and the range its second byte must fall in
// (narrower than 80..BF where overlong forms, surrogates or values above U+10FFFF would follow).
struct TLead {
  uint8_t Length;  // 0: not a lead byte
  uint8_t Low;
  uint8_t High;
};

TLead LeadOf(uint8_t b) {
  if (b < 0x80) return {1, 0, 0};
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

bool Continues(const TLead& lead, size_t index, uint8_t b) {
  return index == 1 ? b >= lead.Low && b <= lead.High : b >= 0x80 && b <= 0xBF;
}

uint8_t ByteAt(std::string_view text, size_t i) { return static_cast<uint8_t>(text[i]); }

}  // namespace

TDecodedCodePoint detail::DecodeUtf8SequenceAt(std::string_view text, size_t pos) {
  const uint8_t b = ByteAt(text, pos);
  const TLead lead = LeadOf(b);
  if (lead.Length == 0) return {kReplacementCodePoint, 1, false};
  char32_t c = b & (0x7F >> lead.Length);
  uint8_t k = 1;
  while (k < lead.Length && pos + k < text.size() && Continues(lead, k, ByteAt(text, pos + k))) {
    c = c << 6 | (ByteAt(text, pos + k) & 0x3F);
    ++k;
  }
  if (k < lead.Length) return {kReplacementCodePoint, k, false};
  return {c, k, true};
}

size_t IncompleteUtf8Tail(std::string_view text) {
  for (size_t k = 1; k <= 3 && k <= text.size(); ++k) {
    const size_t start = text.size() - k;
    const uint8_t b = ByteAt(text, start);
    if (b >= 0x80 && b <= 0xBF) continue;
    const TLead lead = LeadOf(b);
    if (lead.Length <= k) return 0;
    for (size_t i = 1; i < k; ++i)
      if (!Continues(lead, i, ByteAt(text, start + i))) return 0;
    return k;
  }
  return 0;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const TDecodedCodePoint c = DecodeUtf8At(text, pos);
    if (!c.Valid) return false;
    pos += c.Length;
  }
  return true;
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

}  // namespace korrin
