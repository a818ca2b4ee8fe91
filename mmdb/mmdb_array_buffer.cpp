#include "mmdb/mmdb_array_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "mmdb/mmdb_error.h"
#include "common/text.h"

namespace korrin {

namespace {

[[noreturn]] void RaiseFileError(const char* what, const std::string& fileName) {
  throw EMMDBError(TMMDBErrorKind::CannotOpen, Format("Cannot %s file \"%s\". %s", what, fileName.c_str(), std::strerror(errno)));
}

std::vector<uint8_t> LoadFile(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseFileError("open", fileName);
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
  uint8_t chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      RaiseFileError("read", fileName);
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

}  // namespace

TMMDBArrayBuffer::TMMDBArrayBuffer(const std::string& fileName) : TMMDBArrayBuffer(LoadFile(fileName)) {}

TMMDBArrayBuffer::TMMDBArrayBuffer(std::vector<uint8_t> bytes) : _fileBytes(std::move(bytes)) { SetBytes(_fileBytes); }

}  // namespace korrin
