#pragma once
// Every text a command reads (range, exclusion and address files, standard input) goes through the
// viewer's decoder, so a byte-order mark, UTF-16 and CR, LF or CR LF line ends read alike
// everywhere, pipes are read to their end, and the input is bounded.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "textio/stream.h"
#include "textio/text_stream_reader.h"

namespace korrin {

class TTextInputReader {
 public:
  static constexpr int64_t kMaxLines = 10000000;
  static constexpr int32_t kMaxLineLength = TStreamReaderEx::kDefaultTruncLineLength - 1;

  // "-" is standard input; raises "Cannot open file ..." for a file that does not open.
  explicit TTextInputReader(const std::string& path);
  ~TTextInputReader();
  TTextInputReader(const TTextInputReader&) = delete;
  TTextInputReader& operator=(const TTextInputReader&) = delete;

  // The next line in UTF-8 without its end; false at the end of the input. Raises for a read
  // error, a line longer than kMaxLineLength or more than kMaxLines lines.
  bool Next(std::string& line);
  int64_t LineNumber() const { return FLineNumber; }
  // The bytes a regular file holds, 0 for a pipe or a terminal: a reader can reserve for it.
  int64_t SizeHint() const { return FSizeHint; }
  // Runs `action` before each read of the input, which may wait for more: a command that
  // buffers its answers writes them out there, so none waits behind a question not yet asked.
  void SetBeforeRead(std::function<void()> action);

 private:
  std::string FName;
  std::unique_ptr<TStream> FStream;
  std::unique_ptr<TStreamReaderEx> FReader;
  int64_t FLineNumber = 0;
  int64_t FSizeHint = 0;
};

// Every line of the input at `path` ("-" for standard input), as strings or in one buffer
// (TTextLines), which costs a few bytes a line where a string costs tens.
template <typename TLines = std::vector<std::string>>
TLines ReadTextInputLines(const std::string& path) {
  TTextInputReader reader(path);
  TLines lines;
  // Lines take no more bytes than the file: the buffer then never grows by doubling.
  if constexpr (requires { lines.reserve(size_t{0}, size_t{0}); })
    lines.reserve(0, static_cast<size_t>(reader.SizeHint()));
  for (std::string line; reader.Next(line);) lines.push_back(std::move(line));
  return lines;
}

}  // namespace korrin
