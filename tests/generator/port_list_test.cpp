#include "generator/port_list.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(PortList, ItemsRangesAndClamping) {
  using V = std::vector<std::string>;
  const std::pair<const char*, V> cases[] = {
      {"80,3128-3130", {":80", ":3128", ":3129", ":3130"}},
      {"3130-3128", {":3128", ":3129", ":3130"}},
      {"0-2", {":1", ":2"}},
      {"65534-70000", {":65534", ":65535"}},
      {"70000", {}},
      {"0", {}},
      {"80-", {}},
      {"", {}},
      {"80,80", {":80", ":80"}},
      {"0x50", {":80"}},
      {" 22 ; 23 - 24 ,x", {":22", ":23", ":24"}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadPortList(text), expected) << text;
}

}  // namespace
}  // namespace korrin
