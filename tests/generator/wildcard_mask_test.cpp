#include "generator/wildcard_mask.h"

#include <gtest/gtest.h>

#include "common/exception.h"

namespace korrin {
namespace {

TEST(WildcardMask, Matching) {
  const struct {
    const char* mask;
    const char* text;
    bool match;
  } cases[] = {
      {"*.0", "10.0.1.0", true},      {"*.0", "10.0.1.10", false},
      {"10.0.0.?", "10.0.0.9", true}, {"10.0.0.?", "10.0.0.10", false},
      {"*:ff", "fdc7::ff", true},     {"*:FF", "fdc7::ff", true},
      {"[0-4]*", "3.1.1.1", true},    {"[0-4]*", "5.1.1.1", false},
      {"[!0-4]*", "5.1.1.1", true},   {"[::1]", "[::1]", false},
      {"?::1?", "[::1]", true},       {"*", "", true},
      {"a*b*c", "axxbyyc", true},     {"a*b*c", "axxbyy", false},
      {"1.2.3.4 ", "1.2.3.4", false}, {"[a-]", "-", true},
      {"*1*1*1*", "1.1.1.2", true},
  };
  for (const auto& c : cases) EXPECT_EQ(TWildcardMask(c.mask).Matches(c.text), c.match) << c.mask << " ~ " << c.text;
}

TEST(WildcardMask, MalformedMasksNameThePosition) {
  const std::pair<const char*, const char*> cases[] = {
      {"[1-", "'[1-' is an invalid mask at (4)"},
      {"[12", "'[12' is an invalid mask at (4)"},
      {"a[]", "'a[]' is an invalid mask at (3)"},
      {"[-1]", "'[-1]' is an invalid mask at (2)"},
  };
  for (const auto& [mask, message] : cases) {
    try {
      TWildcardMask m(mask);
      ADD_FAILURE() << mask;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
  std::string thirty, thirtyOne;
  for (int i = 0; i < 30; ++i) thirty += "*a";
  thirtyOne = thirty + "*";
  EXPECT_NO_THROW(TWildcardMask{thirty});
  try {
    TWildcardMask m(thirtyOne);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "'" + thirtyOne + "' is an invalid mask at (61)");
  }
}

}  // namespace
}  // namespace korrin
