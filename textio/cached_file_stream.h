#pragma once
// A read-only file stream that serves the decoder's many small reads from one cache block, so that
// a sequential reader costs one system read per block; it can present a window of the file as the
// whole stream.
#include <sys/stat.h>
#include <cstdint>

#include <memory>
#include <string>

#include "textio/stream.h"

namespace korrin {

// Lets a caller read around the cache for a while without knowing the stream's class.
class IDisableStreamReadCache {
 public:
  virtual void DisableStreamReadCache() = 0;
  virtual void EnableStreamReadCache() = 0;

 protected:
  ~IDisableStreamReadCache() = default;
};

// A file opened once and read by several streams (the row index, the rows on screen, Find), which
// then all read that one file even after another is renamed over its name.
class TOpenedFile {
 public:
  explicit TOpenedFile(const std::string& FileName);
  ~TOpenedFile();
  TOpenedFile(const TOpenedFile&) = delete;
  TOpenedFile& operator=(const TOpenedFile&) = delete;

  const std::string& Name() const { return FName; }
  int Handle() const { return FHandle; }
  // The name leads to another file or to none, or the file's size or modification time is not
  // what it was when it was opened: what is shown of it may be out of date.
  bool Changed() const;
  // The open file keeps its size but not its modification time: it was written over in place, so
  // rows read from it now may be of another version than those counted. (One that grew may only
  // have been appended to, and one cut short is found by its reads.)
  bool WrittenOver() const;

 private:
  std::string FName;
  int FHandle;
  struct TIdentity {
    uint64_t Device = 0, Inode = 0;
    int64_t Size = 0, Seconds = 0, Nanoseconds = 0;
    bool operator==(const TIdentity&) const = default;
  } FOpened;
  static TIdentity IdentityOf(const struct stat& St);
};

// Holds the descriptor, the cache block, the position and the last read error.
class TBaseCachedFileStream : public TStream {
 public:
  static constexpr int32_t kDefaultCacheSize = 16384;
  // What LastError gives after a read at or past the end: no errno is negative.
  static constexpr int32_t kEndOfFileError = -1;
  // A pipe, a device or a file without a size (/proc) is read in order up to its end, but no
  // further than this, so that an endless one (/dev/zero) stops with a message.
  static constexpr int64_t kMaxSequentialBytes = int64_t{16} << 30;

  ~TBaseCachedFileStream() override;
  TBaseCachedFileStream(const TBaseCachedFileStream&) = delete;
  TBaseCachedFileStream& operator=(const TBaseCachedFileStream&) = delete;

  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FileSize(); }
  void SetSize(int64_t NewSize) override;

  int32_t CacheSize() const { return FCacheSize; }
  int32_t LastError() const { return FLastError; }
  const std::string& FileName() const { return FFileName; }
  // True for a source that can only be read in order, from its first byte to its end.
  bool Sequential() const { return FSequential; }

 protected:
  // Handle -1 opens FileName ("-" is standard input) read-only and owns the descriptor; any
  // other handle is borrowed.
  TBaseCachedFileStream(const std::string& FileName, int Handle, int32_t CacheSize);

  virtual int64_t FileSize();
  // Positioned read: the byte count, FLastError 0. A failed read raises EStreamError with the
  // system's reason (FLastError its errno), so that no reader takes it for the end of the file. A
  // sequential source reads only at the offset it has reached, and fills the whole count unless it ends.
  int32_t ReadAt(int64_t Offset, void* Buffer, int32_t Count);
  [[noreturn]] void Fail(int Error);

  int FHandle = -1;
  bool FOwnsHandle = false;
  std::unique_ptr<uint8_t[]> FCache;
  int32_t FCacheSize = 0;
  int64_t FPosition = 0;
  int64_t FCacheStart = 0;
  int64_t FCacheEnd = 0;
  std::string FFileName;
  int32_t FLastError = 0;
  bool FSequential = false;
  int64_t FSequentialRead = 0;  // bytes read so far from a sequential source
  bool FSequentialEnded = false;
};

// The viewer's file stream: the view window, the cached read and the cache bypass. Reads end at
// the end of the view window (for the whole file, its size when opened), so that a file that
// grows while it is read cannot keep a reader going forever; a sequential source is read to its
// end and fails with a message past kMaxSequentialBytes.
class TReadOnlyCachedFileStream : public TBaseCachedFileStream, public IDisableStreamReadCache {
 public:
  explicit TReadOnlyCachedFileStream(const std::string& FileName, int32_t CacheSize = 0);
  TReadOnlyCachedFileStream(const std::string& FileName, int Handle, int32_t CacheSize);
  TReadOnlyCachedFileStream(std::shared_ptr<const TOpenedFile> File, int32_t CacheSize);

  int32_t Read(void* Buffer, int32_t Count) override;
  void SetViewWindow(int64_t ViewStart, int64_t ViewLength);
  // Widens a view of the whole file to the file's size now; false when it has not grown.
  bool ExtendViewToFileEnd();

  bool UseAlignedCache() const { return FUseAlignedCache; }
  void SetUseAlignedCache(bool Value) { FUseAlignedCache = Value; }

  void DisableStreamReadCache() override { ++FDisableStreamReadCacheRefCount; }
  void EnableStreamReadCache() override { --FDisableStreamReadCacheRefCount; }

 protected:
  // For a sequential source: the bytes read so far, as its size is not known before its end.
  int64_t FileSize() override { return FSequential ? FSequentialRead : FViewLength; }

 private:
  bool FillCache();
  // How many of Count bytes from Position lie inside the view; 0 (and the end code) outside it.
  int32_t ViewBytesFrom(int64_t Position, int32_t Count);

  std::shared_ptr<const TOpenedFile> FFile;  // kept open while read, when shared
  bool FUseAlignedCache = false;
  int64_t FViewStart = 0;
  int64_t FViewLength = 0;
  int32_t FDisableStreamReadCacheRefCount = 0;
};

}  // namespace korrin
