#include "viewer/tolerant_utf8.h"

namespace korrin {

namespace {

// What a lead byte promises: the sequence length and the range its second byte must fall in
// (narrower than 80..BF where overlong forms, surrogates or values above U+10FFFF would follow).
struct TLead {
  int Length;  // 0: not a lead byte
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

void AppendCodePoint(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

}  // namespace

std::span<const uint8_t> TFixedUTF8Encoding::Preamble() const {
  static constexpr uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
  return kMark;
}

size_t TFixedUTF8Encoding::IncompleteTail(std::span<const uint8_t> Bytes) const {
  for (size_t k = 1; k <= 3 && k <= Bytes.size(); ++k) {
    const size_t start = Bytes.size() - k;
    const uint8_t b = Bytes[start];
    if (b >= 0x80 && b <= 0xBF) continue;
    const TLead lead = LeadOf(b);
    if (lead.Length <= static_cast<int>(k)) return 0;
    for (size_t i = 1; i < k; ++i)
      if (!Continues(lead, i, Bytes[start + i])) return 0;
    return k;
  }
  return 0;
}

void TFixedUTF8Encoding::Decode(std::span<const uint8_t> Bytes, std::u16string& Out) const {
  const size_t n = Bytes.size();
  Out.reserve(Out.size() + n);
  size_t i = 0;
  while (i < n) {
    const uint8_t b = Bytes[i];
    if (b < 0x80) {
      Out.push_back(b);
      ++i;
      continue;
    }
    const TLead lead = LeadOf(b);
    if (lead.Length == 0) {
      Out.push_back(kReplacementChar);
      ++i;
      continue;
    }
    char32_t c = b & (0x7F >> lead.Length);
    size_t k = 1;
    while (k < static_cast<size_t>(lead.Length) && i + k < n && Continues(lead, k, Bytes[i + k])) {
      c = c << 6 | (Bytes[i + k] & 0x3F);
      ++k;
    }
    if (k == static_cast<size_t>(lead.Length)) AppendCodePoint(c, Out);
    else Out.push_back(kReplacementChar);
    i += k;
  }
}

const TFixedUTF8Encoding& TFixedUTF8Encoding::Shared() {
  static const TFixedUTF8Encoding encoding;
  return encoding;
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    char32_t c = Text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacementChar;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | c >> 6));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | c >> 12));
      out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | c >> 18));
      out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string out;
  TFixedUTF8Encoding::Shared().Decode(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(Text.data()), Text.size()), out);
  return out;
}

}  // namespace korrin
