#include "mmdb/mmdb_file_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/file_descriptor.h"
#include "common/text.h"
#include "mmdb/mmdb_error.h"

namespace korrin {

namespace {

[[noreturn]] void RaiseFileError(const char* what, const std::string& fileName, const char* reason) {
  throw EMMDBError(TMMDBErrorKind::CannotOpen, Format("Cannot %s file \"%s\". %s", what, fileName.c_str(), reason));
}

std::string ChangedMessage(const std::string& fileName) {
  return Format("The file \"%s\" changed while it was in use. Open it again once it has been written in full.",
                fileName.c_str());
}

// A write changes the modification time, and the change time too, which no one can set back.
bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

void TMMDBFileBuffer::TFree::operator()(uint8_t* bytes) const { std::free(bytes); }

TMMDBFileBuffer::TMMDBFileBuffer(const std::string& fileName, int64_t readWholeLimit)
    // Non-blocking, so that a FIFO without a writer cannot hold the open; refused just after.
    : FFile(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {
  if (FFile.Fd() < 0) RaiseFileError("open", fileName, std::strerror(errno));
  if (::fstat(FFile.Fd(), &FOpened) != 0) RaiseFileError("read", fileName, std::strerror(errno));
  if (!S_ISREG(FOpened.st_mode))
    RaiseFileError("read", fileName, S_ISDIR(FOpened.st_mode) ? std::strerror(EISDIR) : "Not a regular file");
  if (FOpened.st_size == 0) return;
  const auto length = static_cast<size_t>(FOpened.st_size);
  if (FOpened.st_size > readWholeLimit) {
    FMapping = TGuardedMapping::Map(FFile.Fd(), length);
    if (FMapping) {
      SetBytes({FMapping->Data(), length});
      WatchForChange(FMapping->Changed(), ChangedMessage(fileName));
      return;
    }
    if (errno != EMFILE) RaiseFileError("read", fileName, std::strerror(errno));
  }
  // In huge pages where the system allows it: a look-up touches pages all over a large database,
  // and faulting in 4 KiB pages one by one took as long as the look-ups that need them.
  const size_t rounded = (length + kHugePage - 1) / kHugePage * kHugePage;
  FBytes.reset(static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded)));
  if (!FBytes) RaiseFileError("read", fileName, std::strerror(ENOMEM));
  ::madvise(FBytes.get(), rounded, MADV_HUGEPAGE);
  for (size_t done = 0; done < length;) {
    const ssize_t n =
        ::pread(FFile.Fd(), FBytes.get() + done, std::min<size_t>(length - done, 64u << 20), static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileError("read", fileName, std::strerror(errno));
    if (n == 0) throw EMMDBError(TMMDBErrorKind::CannotOpen, ChangedMessage(fileName));  // cut short meanwhile
    done += static_cast<size_t>(n);
  }
  if (FileRewritten()) throw EMMDBError(TMMDBErrorKind::CannotOpen, ChangedMessage(fileName));
  SetBytes({FBytes.get(), length});
  (void)FFile.Close();  // the bytes are all here
}

bool TMMDBFileBuffer::FileRewritten() const {
  struct stat now {};
  return ::fstat(FFile.Fd(), &now) == 0 && !SameVersion(FOpened, now);
}

}  // namespace korrin
