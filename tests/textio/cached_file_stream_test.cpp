#include "textio/cached_file_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>

#include <string>
#include <thread>
#include <vector>

#include "tests/textio/test_streams.h"
#include "textio/line_reader.h"
#include "textio/stream_error.h"

namespace korrin {
namespace {

using test::TTempFile;

// Exposes the cache block, which is the observable effect of aligned caching and the bypass.
class TProbeStream : public TReadOnlyCachedFileStream {
 public:
  using TReadOnlyCachedFileStream::TReadOnlyCachedFileStream;
  int64_t CacheStart() const { return FCacheStart; }
  int64_t CacheEnd() const { return FCacheEnd; }
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

std::string ReadAt(TStream& stream, int64_t position, int32_t count) {
  stream.SetPosition(position);
  std::string out(static_cast<size_t>(count), '\0');
  out.resize(static_cast<size_t>(stream.Read(out.data(), count)));
  return out;
}

TEST(CachedFileStreamTest, ReadsMatchTheFileWhereverTheyFallInTheCache) {
  const std::string bytes = Pattern(50000);
  TTempFile file(bytes);
  struct Case {
    int64_t Position;
    int32_t Count;
  };
  for (bool aligned : {false, true}) {
    TReadOnlyCachedFileStream stream(file.Name(), 16384);
    stream.SetUseAlignedCache(aligned);
    for (const Case& c : {Case{0, 10}, Case{10000, 20000}, Case{16380, 10}, Case{100, 5}, Case{49990, 100},
                          Case{0, 50000}, Case{32768, 1}}) {
      const size_t expected = std::min<size_t>(c.Count, bytes.size() - static_cast<size_t>(c.Position));
      EXPECT_EQ(ReadAt(stream, c.Position, c.Count), bytes.substr(static_cast<size_t>(c.Position), expected))
          << c.Position << " " << c.Count << " aligned " << aligned;
    }
    EXPECT_EQ(stream.Size(), 50000);
  }
}

TEST(CachedFileStreamTest, EndOfFileReadsNothingAndReportsTheEndCode) {
  TTempFile file(Pattern(100));
  TReadOnlyCachedFileStream stream(file.Name(), 64);
  for (int64_t position : {100, 5000}) {
    EXPECT_EQ(ReadAt(stream, position, 10), "");
    EXPECT_EQ(stream.LastError(), TBaseCachedFileStream::kEndOfFileError);
  }
  stream.Seek(-10, TSeekOrigin::soEnd);
  char tail[10];
  EXPECT_EQ(stream.Read(tail, 10), 10);
  EXPECT_EQ(std::string(tail, 10), Pattern(100).substr(90));
  EXPECT_EQ(stream.Seek(0, TSeekOrigin::soEnd), 100);
  EXPECT_EQ(stream.Read(tail, 10), 0);
}

TEST(CachedFileStreamTest, AlignedCacheStartsAtAMultipleOfTheCacheSize) {
  TTempFile file(Pattern(40000));
  TProbeStream stream(file.Name(), 16384);
  stream.SetUseAlignedCache(true);
  ReadAt(stream, 20000, 1);
  EXPECT_EQ(stream.CacheStart(), 16384);
  EXPECT_EQ(stream.CacheEnd(), 32768);
}

TEST(CachedFileStreamTest, BypassReadsTheFileAndLeavesTheCacheAlone) {
  const std::string bytes = Pattern(40000);
  TTempFile file(bytes);
  TProbeStream stream(file.Name(), 1000);
  ReadAt(stream, 0, 10);
  stream.DisableStreamReadCache();
  EXPECT_EQ(ReadAt(stream, 30000, 5000), bytes.substr(30000, 5000));
  EXPECT_EQ(stream.Position(), 35000);
  EXPECT_EQ(stream.CacheStart(), 0);
  EXPECT_EQ(stream.CacheEnd(), 1000);
  stream.EnableStreamReadCache();
  EXPECT_EQ(ReadAt(stream, 30000, 10), bytes.substr(30000, 10));
  EXPECT_EQ(stream.CacheStart(), 30000);
}

TEST(CachedFileStreamTest, ViewWindowActsAsTheWholeStream) {
  const std::string bytes = Pattern(1000);
  TTempFile file(bytes);
  TReadOnlyCachedFileStream stream(file.Name(), 128);
  stream.SetViewWindow(100, 900);
  EXPECT_EQ(stream.Size(), 900);
  EXPECT_EQ(ReadAt(stream, 0, 50), bytes.substr(100, 50));
  for (auto window : {std::pair<int64_t, int64_t>{-1, 10}, {0, 1001}, {500, 501}, {10, -5}, {INT64_MAX, 10}})
    EXPECT_THROW(stream.SetViewWindow(window.first, window.second), EAssertionFailed);
}

TEST(CachedFileStreamTest, ABorrowedDescriptorStaysOpen) {
  TTempFile file("borrowed");
  const int fd = ::open(file.Name().c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  {
    TReadOnlyCachedFileStream stream(file.Name(), fd, 0);
    EXPECT_EQ(ReadAt(stream, 0, 100), "borrowed");
  }
  char c;
  EXPECT_EQ(::pread(fd, &c, 1, 0), 1);
  ::close(fd);
}

TEST(CachedFileStreamTest, FailuresCarryTheirMessages) {
  const std::string missing = "/tmp/korrin-no-such-file.csv";
  try {
    TReadOnlyCachedFileStream stream(missing);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open " + missing + ". No such file or directory");
  }
  try {
    TReadOnlyCachedFileStream stream("/tmp");
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open /tmp. Is a directory");
  }
  // A descriptor that says nothing of its file (here none is open under the number) is an error
  // with its reason, not a file of unknown size.
  try {
    TReadOnlyCachedFileStream stream("borrowed.csv", 1 << 20, 0);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read borrowed.csv. Bad file descriptor");
  }
  TTempFile file("abc");
  TReadOnlyCachedFileStream stream(file.Name());
  EXPECT_EQ(stream.CacheSize(), TBaseCachedFileStream::kDefaultCacheSize);
  char c = 'x';
  try {
    stream.Write(&c, 1);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Cannot write to this stream");
  }
  try {
    stream.SetSize(1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("SetEndOfFile for " + file.Name() + ". ", 0), 0u) << e.what();
  }
}

// A read the system refuses is an error with its reason, through the cache, around it and through
// the line reader, never an early end; the end's code is none of the errno values.
TEST(CachedFileStreamTest, AFailedReadRaisesItsReasonInsteadOfEnding) {
  const TTempFile file(Pattern(5000));
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "0123456789", 10), 10);
  const std::string pipe = "/proc/self/fd/" + std::to_string(fds[0]);
  struct Case {
    const char* Name;
    std::function<void()> Read;
    std::string Error;
    int Errno;
  };
  const auto broken = [&] {
    auto opened = std::make_unique<TReadOnlyCachedFileStream>(file.Name(), 64);
    EXPECT_GE(test::BreakReadsOf(file.Name()), 1);
    return opened;
  };
  std::unique_ptr<TReadOnlyCachedFileStream> stream;
  std::vector<char> buffer(100);
  const Case cases[] = {
      {"cached", [&] { (stream = broken())->Read(buffer.data(), 10); }, file.Name() + ". Bad file descriptor", EBADF},
      {"around the cache",
       [&] {
         stream = broken();
         stream->DisableStreamReadCache();
         stream->Read(buffer.data(), 10);
       },
       file.Name() + ". Bad file descriptor", EBADF},
      // Unmapped memory: a source read in order that fails at its first byte.
      {"sequential",
       [&] {
         stream = std::make_unique<TReadOnlyCachedFileStream>("/proc/self/mem", 64);
         stream->Read(buffer.data(), 10);
       },
       "/proc/self/mem. Input/output error", EIO},
      // Bytes a pipe has given cannot be read again once the cache has moved past them.
      {"pipe read back",
       [&] {
         stream = std::make_unique<TReadOnlyCachedFileStream>(pipe, 4);
         stream->Read(buffer.data(), 8);
         stream->SetPosition(0);
         stream->Read(buffer.data(), 1);
       },
       pipe + ". Illegal seek", ESPIPE},
  };
  for (const Case& c : cases) {
    try {
      c.Read();
      ADD_FAILURE() << c.Name << ": no error";
    } catch (const EStreamError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot read " + c.Error) << c.Name;
      EXPECT_EQ(stream->LastError(), c.Errno) << c.Name;
    }
  }
  TLineReader lines(broken(), 0);
  EXPECT_THROW(lines.ReadLine(), EStreamError);
  EXPECT_LT(TBaseCachedFileStream::kEndOfFileError, 0);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(CachedFileStreamTest, WildSeeksReadNothingInsteadOfFailing) {
  TTempFile file(Pattern(100));
  TReadOnlyCachedFileStream stream(file.Name(), 64);
  char buffer[8];
  for (int64_t position : {int64_t{-5}, INT64_MAX, INT64_MIN}) {
    stream.SetPosition(position);
    EXPECT_EQ(stream.Read(buffer, 8), 0) << position;
  }
  stream.SetPosition(INT64_MAX);
  EXPECT_EQ(stream.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
}

TEST(CachedFileStreamTest, PipesAndProcFilesReadToTheirEnd) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const std::string text = Pattern(50000);
  std::thread writer([&] {
    for (size_t at = 0; at < text.size(); at += 999)
      if (::write(fds[1], text.data() + at, std::min<size_t>(999, text.size() - at)) < 0) break;
    ::close(fds[1]);
  });
  {
    TReadOnlyCachedFileStream pipe("/proc/self/fd/" + std::to_string(fds[0]), 1024);
    EXPECT_TRUE(pipe.Sequential());
    char mark[3];
    ASSERT_EQ(pipe.Read(mark, 3), 3);
    // Back to the start inside what the cache holds, then past it around the cache.
    pipe.SetPosition(0);
    pipe.DisableStreamReadCache();
    std::string read(60000, '\0');
    read.resize(static_cast<size_t>(pipe.Read(read.data(), 2000)));
    std::vector<char> rest(60000);
    for (int32_t n; (n = pipe.Read(rest.data(), 7000)) > 0;) read.append(rest.data(), static_cast<size_t>(n));
    EXPECT_EQ(read, text);
    EXPECT_EQ(pipe.Size(), 50000);
  }
  writer.join();
  ::close(fds[0]);

  TReadOnlyCachedFileStream status("/proc/self/status");
  char buffer[64];
  EXPECT_EQ(status.Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "Name:");
}

TEST(CachedFileStreamTest, AnEndlessDeviceStopsWithAMessageAndAFIFOWithoutWriterIsEmpty) {
  TReadOnlyCachedFileStream zero("/dev/zero", 4096);
  zero.SetViewWindow(0, 100000);
  std::vector<char> buffer(65536);
  EXPECT_EQ(zero.Read(buffer.data(), 65536), 65536);
  try {
    while (zero.Read(buffer.data(), 65536) > 0) {
    }
    ADD_FAILURE() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Stopped reading /dev/zero after 100,000 bytes: a pipe or device is read no further.");
  }

  const test::TTempFolder folder;
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TReadOnlyCachedFileStream pipe(fifo);  // must not wait for a writer
  EXPECT_EQ(pipe.Read(buffer.data(), 64), 0);
}

TEST(CachedFileStreamTest, AFileThatGrowsWhileReadEndsAtItsOpeningSize) {
  TTempFile file(Pattern(3000));
  TReadOnlyCachedFileStream stream(file.Name(), 1024);
  std::ofstream(file.Name(), std::ios::binary | std::ios::app) << Pattern(5000);
  EXPECT_EQ(ReadAt(stream, 0, 10000), Pattern(3000));
}

TEST(CachedFileStreamTest, AFileThatShrinksWhileReadEndsEarly) {
  TTempFile file(Pattern(10000));
  TReadOnlyCachedFileStream stream(file.Name(), 1024);
  std::vector<char> buffer(10000);
  EXPECT_EQ(stream.Read(buffer.data(), 100), 100);
  ASSERT_EQ(::truncate(file.Name().c_str(), 2000), 0);
  EXPECT_EQ(stream.Read(buffer.data(), 9900), 1900);
  EXPECT_EQ(stream.LastError(), TBaseCachedFileStream::kEndOfFileError);
}

}  // namespace
}  // namespace korrin
