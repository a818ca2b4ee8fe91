#include "textio/text_input_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"

namespace korrin {

namespace {

// A forward-only stream over a descriptor. A read returns what has arrived, so that a pipeline
// gets each line's answer while it still writes the next; the decoder takes only a read of
// nothing for the end.
class TDescriptorStream final : public TStream {
 public:
  TDescriptorStream(int fd, bool owned, std::string name) : FFd(fd), FOwned(owned), FName(std::move(name)) {}
  ~TDescriptorStream() override {
    if (FOwned) ::close(FFd);
  }
  int32_t Read(void* Buffer, int32_t Count) override {
    if (BeforeRead) BeforeRead();
    for (;;) {
      const ssize_t n = ::read(FFd, Buffer, static_cast<size_t>(Count));
      if (n >= 0) {
        FPosition += n;
        return static_cast<int32_t>(n);
      }
      if (errno != EINTR) throw Exception(Format("Cannot read %s. %s", FName.c_str(), std::strerror(errno)));
    }
  }
  int32_t Write(const void*, int32_t) override { throw Exception("The input stream is read-only"); }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    if (Offset == 0 && Origin == TSeekOrigin::soCurrent) return FPosition;
    throw Exception("The input stream cannot seek");
  }
  int64_t Size() override { return -1; }
  void SetSize(int64_t) override { throw Exception("The input stream is read-only"); }

  std::function<void()> BeforeRead;

 private:
  int FFd;
  bool FOwned;
  std::string FName;
  int64_t FPosition = 0;
};

}  // namespace

TTextInputReader::TTextInputReader(const std::string& path)
    : FName(path == "-" ? "standard input" : "file \"" + path + "\"") {
  if (path == "-") {
    FStream = std::make_unique<TDescriptorStream>(STDIN_FILENO, false, FName);
  } else {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Exception(Format("Cannot open %s. %s", FName.c_str(), std::strerror(errno)));
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) FSizeHint = status.st_size;
    FStream = std::make_unique<TDescriptorStream>(fd, true, FName);
  }
  FReader = std::make_unique<TStreamReaderEx>(FStream.get(), nullptr, true, 65536);
  FReader->SetSkipLineNullChars(false);  // a NUL is part of the line, and makes it unreadable
}

TTextInputReader::~TTextInputReader() = default;

void TTextInputReader::SetBeforeRead(std::function<void()> action) {
  static_cast<TDescriptorStream&>(*FStream).BeforeRead = std::move(action);
}

bool TTextInputReader::Next(std::string& line) {
  if (FReader->EndOfStream()) return false;
  const std::u16string text = FReader->ReadLine();
  if (++FLineNumber > kMaxLines)
    throw Exception(Format("The %s has more than %s lines", FName.c_str(), FormatCount(kMaxLines).c_str()));
  // The reader cuts a line at its cap: a line that reaches it was longer than any input line may be.
  if (text.size() > static_cast<size_t>(kMaxLineLength))
    throw Exception(Format("Line %s of the %s is longer than %s characters", FormatCount(FLineNumber).c_str(),
                           FName.c_str(), FormatCount(kMaxLineLength).c_str()));
  line = Utf16ToUtf8(text);
  return true;
}

}  // namespace korrin
