#pragma once
// Writing a list of lines to a text file with a chosen delimiter between them (CR LF, "," or ";"),
// as the window's "Save to file..." and `korrin-cli --output` both do.
#include <string>
#include <utility>

#include "common/file_io.h"
#include "common/text_lines.h"

namespace korrin {

inline const char* const kCRLF = "\r\n";

// A list written in parts as they are made, for lists too long to hold. The delimiter stands only
// between lines: no final delimiter, an empty list gives an empty file. The file is replaced only
// at Commit() (common/file_io.h), so a failed or abandoned write never leaves half a list.
class TListFileWriter {
 public:
  TListFileWriter(const std::string& fileName, std::string delimiter)
      : FFile(fileName), FDelimiter(std::move(delimiter)) {}
  void Add(const TTextLines& lines);
  void Commit() { FFile.Commit(); }

 private:
  TReplacingFile FFile;
  std::string FDelimiter;
  bool FFirst = true;
  std::string FBuffer;
};

// The whole list at once. Raises korrin::Exception with the system's reason on failure.
void SaveListToFile(const TTextLines& lines, const std::string& fileName, const std::string& delimiter);

}  // namespace korrin
