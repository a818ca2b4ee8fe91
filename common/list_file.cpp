#include "common/list_file.h"

#include "common/file_io.h"

namespace korrin {

void SaveListToFile(const TTextLines& lines, const std::string& fileName, const std::string& delimiter) {
  std::string data;
  data.reserve(lines.Text().size() + lines.size() * delimiter.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) data += delimiter;
    data += lines[i];
  }
  WriteFileReplacing(fileName, data);
}

}  // namespace korrin
