#pragma once
// Windows-1252, the encoding a text without a byte-order mark is read in when it is not valid
// UTF-8: one table shared by the settings reader and the file viewer, so that both read such a
// file alike.
#include <cstdint>

namespace korrin {

// The code point of one Windows-1252 byte; the five unassigned bytes keep their C1 code points,
// as the platform's own conversion does.
constexpr char16_t Windows1252ToUnicode(uint8_t b) {
  constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t{b};
}

}  // namespace korrin
