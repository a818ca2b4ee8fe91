#include "textio/encoding_sniffer.h"

#include <algorithm>
#include <cstring>

#include "common/utf8.h"
#include "textio/tolerant_utf8.h"

namespace korrin {

namespace {

constexpr size_t kNulPatternBytes = 1024;

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// -1: not UTF-16 by its NULs; 0: little-endian; 1: big-endian.
int Utf16ByNuls(std::span<const uint8_t> head) {
  const size_t pairs = std::min(head.size(), kNulPatternBytes) / 2;
  if (pairs < 2) return -1;
  size_t even = 0, odd = 0;
  for (size_t i = 0; i < pairs; ++i) {
    even += head[2 * i] == 0;
    odd += head[2 * i + 1] == 0;
  }
  // Latin text in UTF-16 has a NUL in most pairs, always on the same side; binary data and
  // single-byte text with stray NULs do not.
  if (odd * 10 >= pairs * 3 && even * 10 <= odd) return 0;
  if (even * 10 >= pairs * 3 && odd * 10 <= even) return 1;
  return -1;
}

}  // namespace

TSniffedEncoding SniffEncoding(std::span<const uint8_t> Head, bool Complete) {
  if (StartsWith(Head, {0xEF, 0xBB, 0xBF})) return {&TFixedUTF8Encoding::Shared(), 3, 1, false, "UTF-8"};
  if (StartsWith(Head, {0xFF, 0xFE})) return {&TEncoding::Unicode(), 2, 2, false, "UTF-16 LE"};
  if (StartsWith(Head, {0xFE, 0xFF})) return {&TEncoding::BigEndianUnicode(), 2, 2, true, "UTF-16 BE"};
  switch (Utf16ByNuls(Head)) {
    case 0: return {&TEncoding::Unicode(), 0, 2, false, "UTF-16 LE"};
    case 1: return {&TEncoding::BigEndianUnicode(), 0, 2, true, "UTF-16 BE"};
    default: break;
  }
  // A character the sample cuts off is not held against the file.
  const size_t tail = Complete ? 0 : TFixedUTF8Encoding::Shared().IncompleteTail(Head);
  if (IsValidUtf8({reinterpret_cast<const char*>(Head.data()), Head.size() - tail}))
    return {&TFixedUTF8Encoding::Shared(), 0, 1, false, "UTF-8"};
  return {&TEncoding::Windows1252(), 0, 1, false, "Windows-1252"};
}

}  // namespace korrin
