#include "gui/app/version.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(Version, CutsTheComponentsTheWindowShows) {
  const struct {
    const char* version;
    bool strip;
    int keep, skip;
    const char* expected;
  } cases[] = {
      {"2.13.0.93", false, 2, 0, "2.13"},  // the short version
      {"2.13.0.93", false, 1, 3, "93"},    // the build number
      {"2.13.0", false, 1, 3, "0"},        // too few components: the skip runs out
      {"2.13", false, 1, 3, "0"},
      {"0.0.7.1", true, 2, 0, "7.1"},
      {"0.0.7.1", false, 2, 0, "0.0"},
      {"5", false, 3, 0, "0.0.5"},  // padded in front
      {"2.13.0.93", false, 0, 1, "13.0.93"},
      {"", false, 2, 0, "0.0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CutVersion(c.version, c.strip, c.keep, c.skip), c.expected)
        << c.version << " " << c.strip << " " << c.keep << " " << c.skip;
}

TEST(Version, TheApplicationVersionComesFromTheBuild) {
  EXPECT_EQ(GetFileVersion(false, 0, 0), KORRIN_VERSION_FOR_TEST);
}

}  // namespace
}  // namespace korrin
