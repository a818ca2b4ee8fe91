#include "viewer/utf8_line_counter.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/viewer/test_streams.h"
#include "viewer/text_stream_reader.h"

namespace korrin {
namespace {

size_t ReaderLines(const std::string& bytes) {
  test::TBytesStream stream(bytes);
  TStreamReaderEx reader(&stream, nullptr, true, 4096);
  size_t n = 0;
  for (; !reader.EndOfStream(); ++n) reader.GotoNextLine();
  return n;
}

// Feeds the bytes after a UTF-8 mark in blocks of random sizes, so that breaks, CR LF pairs and
// characters fall across block ends.
int64_t CounterLines(const std::string& bytes, std::mt19937& rng) {
  TUTF8LineCounter counter;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t at = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0; at < bytes.size();) {
    const size_t n = std::min<size_t>(bytes.size() - at, 1 + rng() % 700);
    counter.Add({data + at, n});
    at += n;
  }
  return counter.Finish();
}

TEST(UTF8LineCounterTest, CountsWhatTheDecoderDelivers) {
  std::mt19937 rng(77);
  const std::string euro = "\xE2\x82\xAC";
  std::string manyEuros;
  for (int i = 0; i < 40000; ++i) manyEuros += euro;
  const std::string cases[] = {
      "",
      "a",
      "a\n",
      "\n\n",
      "a\r\nb\rc\n\rd",
      std::string(65535, 'x') + "\nz",
      std::string(65536, 'x'),
      std::string(131070, 'x') + "\r\n",
      std::string(200000, 'y') + std::string("\0\0", 2) + "z\n",
      std::string("a\0\0b\0", 5),
      manyEuros + "\n" + manyEuros + manyEuros,
      std::string(70000, '\0'),
      "\xF0\x9F\x98\n\xE2\x82",
      "\xEF\xBB\xBF",
      std::string("\xEF\xBB\xBF\0a", 5),
  };
  for (const std::string& bytes : cases)
    EXPECT_EQ(CounterLines(bytes, rng), static_cast<int64_t>(ReaderLines(bytes))) << bytes.size();

  // Whole blocks of plain lines are counted in bulk unless a line may reach the cap.
  for (size_t longLine : {100u, 65534u, 65535u, 65536u, 70000u, 140000u}) {
    const std::string bytes = "a\n" + std::string(40000, 'b') + "\n" + std::string(longLine, 'c') + "\nd\ne";
    TUTF8LineCounter counter;
    counter.Add({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    EXPECT_EQ(counter.Finish(), static_cast<int64_t>(ReaderLines(bytes))) << longLine;
  }
}

TEST(UTF8LineCounterTest, RandomBytesCountAsTheDecoderReadsThem) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 500; ++round) {
    std::string bytes = test::RandomBytes(rng);
    // A UTF-16 mark sends a count to the decoder; the counter reads only UTF-8.
    while (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) bytes.erase(0, 1);
    if (round % 10 == 0) bytes.insert(rng() % (bytes.size() + 1), std::string(66000 + rng() % 3000, "x\xC3\0"[rng() % 3]));
    ASSERT_EQ(CounterLines(bytes, rng), static_cast<int64_t>(ReaderLines(bytes))) << "round " << round;
  }
}

}  // namespace
}  // namespace korrin
