#pragma once
// Writing a list of lines to a text file with a chosen delimiter between them (CR LF, "," or ";"),
// as the window's "Save to file..." and `korrin-cli --output` both do.
#include <string>

#include "common/text_lines.h"

namespace korrin {

inline const char* const kCRLF = "\r\n";

// The delimiter stands only between lines: no final delimiter, an empty list gives an empty file.
// The file is replaced whole (common/file_io.h), so a failed write never leaves half a list.
// Raises korrin::Exception with the system's reason on failure.
void SaveListToFile(const TTextLines& lines, const std::string& fileName, const std::string& delimiter);

}  // namespace korrin
