#include "mmdb/mmdb_mapped_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

namespace {

[[noreturn]] void RaiseFileError(const char* what, const std::string& fileName, const char* reason) {
  throw EMMDBError(TMMDBErrorKind::CannotOpen, Format("Cannot %s file \"%s\". %s", what, fileName.c_str(), reason));
}

}  // namespace

TMMDBMappedBuffer::TMMDBMappedBuffer(const std::string& fileName) {
  // Non-blocking, so that a FIFO without a writer cannot hold the open; refused just after.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) RaiseFileError("open", fileName, std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int saved = errno;
    ::close(fd);
    RaiseFileError("read", fileName, std::strerror(saved));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    RaiseFileError("read", fileName, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "Not a regular file");
  }
  if (st.st_size > 0) {
    FMappedLength = static_cast<size_t>(st.st_size);
    void* p = ::mmap(nullptr, FMappedLength, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      const int saved = errno;
      ::close(fd);
      RaiseFileError("read", fileName, std::strerror(saved));
    }
    FMapping = p;
    SetBytes({static_cast<const uint8_t*>(p), FMappedLength});
  }
  // The mapping keeps the file's pages; the descriptor is no longer needed.
  ::close(fd);
}

TMMDBMappedBuffer::~TMMDBMappedBuffer() {
  if (FMapping) ::munmap(FMapping, FMappedLength);
}

}  // namespace korrin
