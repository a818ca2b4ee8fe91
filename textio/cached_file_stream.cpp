#include "textio/cached_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "textio/stream_error.h"

namespace korrin {

namespace {

[[noreturn]] void RaiseStreamError(const char* format, const std::string& name, int error) {
  throw EStreamError(Format(format, name.c_str()) + " " + std::strerror(error));
}

// Positions come from callers' seeks; saturating keeps any sum well defined.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? INT64_MAX : INT64_MIN;
}

// St receives what the opened file is: its identity, type and size.
int OpenReadOnly(const std::string& name, struct stat& st) {
  // Non-blocking, so that a FIFO without a writer cannot hold the open; reads block again after.
  const int fd = ::open(name == "-" ? "/dev/stdin" : name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) RaiseStreamError("Cannot open %s.", name, errno);
  // A file whose kind and size are unknown cannot be read safely: neither as a file nor as a pipe.
  const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (error) {
    ::close(fd);
    RaiseStreamError("Cannot open %s.", name, error);
  }
  if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace

TOpenedFile::TOpenedFile(const std::string& FileName) : FName(FileName) {
  struct stat st {};
  FHandle = OpenReadOnly(FileName, st);
  FOpened = IdentityOf(st);
}

TOpenedFile::~TOpenedFile() { ::close(FHandle); }

TOpenedFile::TIdentity TOpenedFile::IdentityOf(const struct stat& St) {
  return {static_cast<uint64_t>(St.st_dev), static_cast<uint64_t>(St.st_ino), static_cast<int64_t>(St.st_size),
          static_cast<int64_t>(St.st_mtim.tv_sec), static_cast<int64_t>(St.st_mtim.tv_nsec)};
}

bool TOpenedFile::Changed() const {
  struct stat st {};
  return ::stat(FName.c_str(), &st) != 0 || !(IdentityOf(st) == FOpened);
}

bool TOpenedFile::WrittenOver() const {
  struct stat st {};
  if (::fstat(FHandle, &st) != 0) return true;  // what cannot be looked at is not vouched for
  const TIdentity now = IdentityOf(st);
  return now.Size == FOpened.Size && (now.Seconds != FOpened.Seconds || now.Nanoseconds != FOpened.Nanoseconds);
}

TBaseCachedFileStream::TBaseCachedFileStream(const std::string& FileName, int Handle, int32_t CacheSize)
    : FFileName(FileName) {
  struct stat st {};
  if (Handle < 0) {
    FHandle = OpenReadOnly(FileName, st);
    FOwnsHandle = true;
  } else {
    FHandle = Handle;
    if (::fstat(FHandle, &st) != 0) RaiseStreamError("Cannot read %s.", FileName, errno);
  }
  FCacheSize = CacheSize > 0 ? CacheSize : kDefaultCacheSize;
  FCache = std::make_unique<uint8_t[]>(FCacheSize);
  // Files of /proc report no size but have contents: they are read like pipes.
  FSequential = !S_ISREG(st.st_mode) || st.st_size == 0;
}

TBaseCachedFileStream::~TBaseCachedFileStream() {
  if (FOwnsHandle) ::close(FHandle);
}

int32_t TBaseCachedFileStream::Read(void*, int32_t) { throw EAssertionFailed("Cannot read from this stream"); }

int32_t TBaseCachedFileStream::Write(const void*, int32_t) { throw EAssertionFailed("Cannot write to this stream"); }

int64_t TBaseCachedFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case TSeekOrigin::soBeginning: FPosition = Offset; break;
    case TSeekOrigin::soCurrent: FPosition = SaturatingAdd(FPosition, Offset); break;
    case TSeekOrigin::soEnd: FPosition = SaturatingAdd(FileSize(), Offset); break;
  }
  return FPosition;
}

void TBaseCachedFileStream::SetSize(int64_t NewSize) {
  Seek(NewSize, TSeekOrigin::soBeginning);
  if (::ftruncate(FHandle, NewSize) != 0) RaiseStreamError("SetEndOfFile for %s.", FFileName, errno);
}

int64_t TBaseCachedFileStream::FileSize() {
  if (FSequential) return kMaxSequentialBytes;
  struct stat st;
  if (::fstat(FHandle, &st) != 0) RaiseStreamError("GetFileSizeEx failed for %s.", FFileName, errno);
  return st.st_size;
}

int32_t TBaseCachedFileStream::ReadAt(int64_t Offset, void* Buffer, int32_t Count) {
  if (FSequential) {
    if (Offset != FSequentialRead) Fail(ESPIPE);
    int32_t total = 0;
    while (total < Count && !FSequentialEnded) {
      const ssize_t n = ::read(FHandle, static_cast<uint8_t*>(Buffer) + total, static_cast<size_t>(Count - total));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) Fail(errno);
      FSequentialEnded = n == 0;
      total += static_cast<int32_t>(n);
    }
    FSequentialRead += total;
    FLastError = 0;
    return total;
  }
  ssize_t n;
  do {
    n = ::pread(FHandle, Buffer, static_cast<size_t>(Count), Offset);
  } while (n < 0 && errno == EINTR);
  if (n < 0) Fail(errno);
  FLastError = 0;
  return static_cast<int32_t>(n);
}

void TBaseCachedFileStream::Fail(int Error) {
  FLastError = Error;
  RaiseStreamError("Cannot read %s.", FFileName, Error);
}

TReadOnlyCachedFileStream::TReadOnlyCachedFileStream(const std::string& FileName, int32_t CacheSize)
    : TReadOnlyCachedFileStream(FileName, -1, CacheSize) {}

TReadOnlyCachedFileStream::TReadOnlyCachedFileStream(const std::string& FileName, int Handle, int32_t CacheSize)
    : TBaseCachedFileStream(FileName, Handle, CacheSize) {
  SetViewWindow(0, TBaseCachedFileStream::FileSize());
}

TReadOnlyCachedFileStream::TReadOnlyCachedFileStream(std::shared_ptr<const TOpenedFile> File, int32_t CacheSize)
    : TReadOnlyCachedFileStream(File->Name(), File->Handle(), CacheSize) {
  FFile = std::move(File);
}

bool TReadOnlyCachedFileStream::ExtendViewToFileEnd() {
  if (FSequential || FViewStart != 0) return false;
  const int64_t size = TBaseCachedFileStream::FileSize();
  if (size <= FViewLength) return false;
  FViewLength = size;
  return true;
}

void TReadOnlyCachedFileStream::SetViewWindow(int64_t ViewStart, int64_t ViewLength) {
  int64_t viewEnd;
  if (ViewStart < 0 || ViewLength < 0 || __builtin_add_overflow(ViewStart, ViewLength, &viewEnd) ||
      viewEnd > TBaseCachedFileStream::FileSize())
    throw EAssertionFailed("Invalid view window");
  FViewStart = ViewStart;
  FViewLength = ViewLength;
  FPosition = 0;
  FCacheStart = 0;
  FCacheEnd = 0;
}

int32_t TReadOnlyCachedFileStream::ViewBytesFrom(int64_t Position, int32_t Count) {
  if (FSequential && Position >= FViewLength && !FSequentialEnded)
    throw EStreamError(Format("Stopped reading %s after %s bytes: a pipe or device is read no further.",
                              FFileName.c_str(), FormatCount(FViewLength).c_str()));
  if (Position < 0 || Position >= FViewLength) {
    FLastError = kEndOfFileError;
    return 0;
  }
  return static_cast<int32_t>(std::min<int64_t>(Count, FViewLength - Position));
}

bool TReadOnlyCachedFileStream::FillCache() {
  int64_t start = FPosition;
  if (FUseAlignedCache && start > 0 && !FSequential) start -= start % FCacheSize;
  // An unreadable or empty block leaves the cache empty, so that it never claims stale bytes.
  FCacheStart = 0;
  FCacheEnd = 0;
  const int32_t count = ViewBytesFrom(start, FCacheSize);
  if (count == 0) return false;
  const int32_t n = ReadAt(FViewStart + start, FCache.get(), count);
  FCacheStart = start;
  FCacheEnd = start + n;
  // A block that ends before the position (a file that shrank) means the end is reached.
  if (FPosition >= FCacheEnd) {
    FLastError = kEndOfFileError;
    return false;
  }
  return true;
}

int32_t TReadOnlyCachedFileStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  // A sequential source cannot read again what the cache holds, so the cache serves it first.
  const bool cached = FPosition >= FCacheStart && FPosition < FCacheEnd;
  if (FDisableStreamReadCacheRefCount > 0 && !(FSequential && cached)) {
    const int32_t count = ViewBytesFrom(FPosition, Count);
    const int32_t n = count > 0 ? ReadAt(FViewStart + FPosition, Buffer, count) : 0;
    FPosition += n;
    return n;
  }
  auto* out = static_cast<uint8_t*>(Buffer);
  int32_t copied = 0;
  while (Count > 0) {
    if ((FPosition < FCacheStart || FPosition >= FCacheEnd) && !FillCache()) break;
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(Count, FCacheEnd - FPosition));
    std::memcpy(out, FCache.get() + (FPosition - FCacheStart), static_cast<size_t>(n));
    FPosition += n;
    out += n;
    copied += n;
    Count -= n;
  }
  return copied;
}

}  // namespace korrin
