#include "textio/text_input_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/exception.h"

namespace korrin {
namespace {

// A pipe that delivers its text in pieces with pauses between, as a slow producer does.
struct TSlowPipe {
  int fds[2];
  std::thread writer;
  explicit TSlowPipe(std::vector<std::string> pieces) {
    EXPECT_EQ(::pipe(fds), 0);
    writer = std::thread([this, pieces] {
      for (const auto& piece : pieces) {
        EXPECT_EQ(::write(fds[1], piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
      }
      ::close(fds[1]);
    });
  }
  ~TSlowPipe() {
    writer.join();
    ::close(fds[0]);
  }
  std::string Path() const { return "/dev/fd/" + std::to_string(fds[0]); }
};

// A short read from a pipe is not its end: every piece arrives, a CR LF split between pieces too.
TEST(TextInputReader, ReadsAPipeToItsEnd) {
  std::string bytes = "\xFF\xFE";
  for (char c : std::string("1\r\n2\r3")) bytes += std::string{c, '\0'};
  // Cut inside a character, and between the CR and the LF.
  TSlowPipe pipe({bytes.substr(0, 5), bytes.substr(5, 1), bytes.substr(6)});
  EXPECT_EQ(ReadTextInputLines(pipe.Path()), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(TextInputReader, KeepsNulCharactersAndBoundsLines) {
  TSlowPipe withNul({std::string("a\0b\nc", 5)});
  EXPECT_EQ(ReadTextInputLines(withNul.Path()), (std::vector<std::string>{std::string("a\0b", 3), "c"}));
  TSlowPipe longLine({"ok\n" + std::string(TTextInputReader::kMaxLineLength, 'x') + "\n",
                      std::string(TTextInputReader::kMaxLineLength + 1, 'y') + "\n"});
  try {
    ReadTextInputLines(longLine.Path());
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Line 3 of the file \"" + longLine.Path() + "\" is longer than 65,534 characters");
  }
}

}  // namespace
}  // namespace korrin
