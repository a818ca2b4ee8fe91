#pragma once
// Conversions between the UTF-8 text the core keeps and the encodings a settings file may arrive
// in, plus the case folding of names; settings files are untrusted, so every decoder here accepts
// any bytes and replaces what it cannot read with U+FFFD instead of failing.
#include <string>
#include <string_view>

namespace korrin {

// Decodes a whole file: a UTF-8 or UTF-16 (LE or BE) byte-order mark selects that encoding; text
// without one is UTF-8 when it is valid UTF-8 and Windows-1252 otherwise.
std::string DecodeTextFile(std::string_view bytes);

// Upper-cases letters of Latin-1, Latin Extended-A, Greek and Cyrillic, so that names compare
// without regard to case beyond ASCII; every mapping keeps the byte length of the text.
std::string UpperCase(std::string_view text);

}  // namespace korrin
