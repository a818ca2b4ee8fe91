#include "common/list_file.h"

#include <utility>

namespace korrin {

void TListFileWriter::Add(const TTextLines& lines) {
  FBuffer.clear();
  FBuffer.reserve(lines.Text().size() + lines.size() * FDelimiter.size());
  for (std::string_view line : lines) {
    if (!std::exchange(FFirst, false)) FBuffer += FDelimiter;
    FBuffer += line;
  }
  FFile.Write(FBuffer);
}

void SaveListToFile(const TTextLines& lines, const std::string& fileName, const std::string& delimiter) {
  TListFileWriter writer(fileName, delimiter);
  writer.Add(lines);
  writer.Commit();
}

}  // namespace korrin
