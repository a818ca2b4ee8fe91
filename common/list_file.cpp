#include "common/list_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& fileName, int error) {
  throw Exception(Format("%s \"%s\": %s", what, fileName.c_str(), std::strerror(error)));
}

}  // namespace

void SaveListToFile(const TTextLines& lines, const std::string& fileName, const std::string& delimiter) {
  // Devices and pipes (/dev/stdout, a FIFO) are written in place; only regular files are replaced.
  struct stat info;
  const bool inPlace = stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
  const std::string temp = inPlace ? fileName : fileName + ".korrin-tmp";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) Fail("Cannot create file", fileName, errno);
  bool ok = true;
  for (size_t i = 0; i < lines.size() && ok; ++i) {
    if (i > 0) ok = std::fwrite(delimiter.data(), 1, delimiter.size(), file) == delimiter.size();
    const std::string_view line = lines[i];
    if (ok) ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  }
  if (ok) ok = std::fflush(file) == 0 && (inPlace || fsync(fileno(file)) == 0);
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && !inPlace && std::rename(temp.c_str(), fileName.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    if (!inPlace) std::remove(temp.c_str());
    Fail("Cannot write file", fileName, error);
  }
}

}  // namespace korrin
