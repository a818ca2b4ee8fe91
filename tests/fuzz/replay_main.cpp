// Feeds every kept fuzz input of one target (its corpus, its seeds kept elsewhere in the
// repository and the inputs that once crashed) to the target's entry point, so that a fixed crash
// stays fixed in the sanitizer test build.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

TEST(KORRIN_FUZZ_SUITE, EveryKeptInputRunsCleanly) {
  int replayed = 0;
  for (const char* folder : {KORRIN_FUZZ_CORPUS, KORRIN_FUZZ_SEEDS, KORRIN_FUZZ_CRASHES}) {
    if (!std::filesystem::is_directory(folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(entry.path().string());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0) << "no inputs under " << KORRIN_FUZZ_CORPUS;
}

}  // namespace
