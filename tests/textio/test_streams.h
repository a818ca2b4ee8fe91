#pragma once
// Sources for the reader tests: bytes in memory as a stream, bytes written to a temporary file
// that is removed with its owner, and a file whose reads fail.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/exception.h"
#include "tests/support/temp_folder.h"
#include "textio/stream.h"

namespace korrin::test {

class TBytesStream final : public TStream {
 public:
  explicit TBytesStream(std::string Bytes) : FBytes(std::move(Bytes)) {}

  int32_t Read(void* Buffer, int32_t Count) override {
    if (FPosition < 0 || FPosition >= static_cast<int64_t>(FBytes.size()) || Count <= 0) return 0;
    const auto n = static_cast<int32_t>(std::min<int64_t>(Count, static_cast<int64_t>(FBytes.size()) - FPosition));
    std::memcpy(Buffer, FBytes.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
  }
  int32_t Write(const void*, int32_t) override { throw Exception("read-only"); }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    FPosition = Origin == TSeekOrigin::soBeginning ? Offset
                : Origin == TSeekOrigin::soCurrent ? FPosition + Offset
                                                   : static_cast<int64_t>(FBytes.size()) + Offset;
    return FPosition;
  }
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  void SetSize(int64_t) override { throw Exception("read-only"); }

 private:
  std::string FBytes;
  int64_t FPosition = 0;
};

// In a temporary folder of its own, removed with it.
class TTempFile {
 public:
  explicit TTempFile(const std::string& Bytes, const std::string& Suffix = ".csv")
      : FName(FFolder / ("file" + Suffix)) {
    std::ofstream(FName, std::ios::binary) << Bytes;
  }

  const std::string& Name() const { return FName; }

 private:
  TTempFolder FFolder;
  std::string FName;
};

// Makes every later read of the descriptors this process holds open on File fail (EBADF) while
// fstat still sees the file: one open only for writing takes each one's place. A read error for
// any reader of the file that needs neither privileges nor timing. Gives how many it broke.
inline int BreakReadsOf(const std::string& File) {
  const std::filesystem::path file = std::filesystem::canonical(File);
  const int writeOnly = ::open(File.c_str(), O_WRONLY | O_CLOEXEC);
  if (writeOnly < 0) return 0;
  int broken = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const int fd = std::stoi(entry.path().filename().string());
    if (fd != writeOnly && std::filesystem::read_symlink(entry.path(), error) == file && ::dup2(writeOnly, fd) >= 0)
      ++broken;
  }
  ::close(writeOnly);
  return broken;
}

// Bytes drawn mostly from the values that matter to the decoder and the line rules.
inline std::string RandomBytes(std::mt19937& rng) {
  static const uint8_t interesting[] = {'\n', '\r', 0,    'a',  ',',  '"',  0x80, 0xBF, 0xC3,
                                        0xE2, 0xED, 0xEF, 0xBB, 0xF0, 0xF4, 0x9F, 0xFF, 0xFE};
  std::string bytes(std::uniform_int_distribution<size_t>(0, 3000)(rng), '\0');
  for (char& b : bytes) {
    const auto pick = rng() % 4;
    b = static_cast<char>(pick == 0 ? rng() % 256 : interesting[rng() % sizeof interesting]);
  }
  if (rng() % 4 == 0) bytes.insert(0, rng() % 2 ? "\xFF\xFE" : "\xEF\xBB\xBF");
  return bytes;
}

}  // namespace korrin::test
