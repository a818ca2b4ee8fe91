#pragma once
// Decides how the viewer decodes a text file from its first bytes, so that the window, the index
// and korrin-cli agree: a byte-order mark; else UTF-16 when the NUL bytes of the first kilobyte
// fall on one side of each pair, as they do in mostly-Latin UTF-16; else UTF-8 when the sample is
// valid UTF-8; else Windows-1252, as the settings reader reads such files.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "textio/stream_decoders.h"

namespace korrin {

struct TSniffedEncoding {
  const TEncoding* Encoding;
  size_t PreambleSize;  // bytes of the mark before the text
  int UnitSize;         // 2 for UTF-16, else 1
  bool BigEndian;
  const char* Name;  // as the status bar shows it
};

// Head: the first bytes of the file (the more, the surer the UTF-8 test); Complete: Head is all of it.
TSniffedEncoding SniffEncoding(std::span<const uint8_t> Head, bool Complete);

// The bytes SniffEncoding looks at.
constexpr size_t kSniffSize = 1 << 20;

}  // namespace korrin
