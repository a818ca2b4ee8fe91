#include "generator/port_list.h"

#include <gtest/gtest.h>

#include "common/exception.h"

namespace korrin {
namespace {

TEST(PortList, ItemsAndRanges) {
  using V = std::vector<std::string>;
  const std::pair<const char*, V> cases[] = {
      {"80,3128-3130", {":80", ":3128", ":3129", ":3130"}},
      {"1-2", {":1", ":2"}},
      {"65534-65535", {":65534", ":65535"}},
      {"", {}},
      {"80,,443,", {":80", ":443"}},
      {"80,80", {":80", ":80"}},
      {"0x50", {":80"}},
      {" 22 ; 23 - 24 ", {":22", ":23", ":24"}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ReadPortList(text), expected) << text;
    EXPECT_EQ(CountPorts(text), expected.size()) << text;
  }
}

// A typo is never read as a shorter list: the whole list is refused, naming the item.
TEST(PortList, AnItemThatDoesNotReadIsAnError) {
  const std::pair<const char*, const char*> cases[] = {
      {"80,htps,443", "port 'htps' is not a number from 1 to 65535"},
      {"0", "port '0' is not a number from 1 to 65535"},
      {"65536", "port '65536' is not a number from 1 to 65535"},
      {"80; 70000", "port '70000' is not a number from 1 to 65535"},
      {"80-70", "port range '80-70' ends below its start"},
      {"3130-3128", "port range '3130-3128' ends below its start"},
      {"0-2", "port range '0-2' is not two numbers from 1 to 65535"},
      {"65534-70000", "port range '65534-70000' is not two numbers from 1 to 65535"},
      {"80-", "port range '80-' is not two numbers from 1 to 65535"},
      {"x;y", "port 'x' is not a number from 1 to 65535"},
  };
  for (const auto& [text, message] : cases) {
    for (const auto& read : {+[](std::string_view t) { ReadPortList(t); }, +[](std::string_view t) { CountPorts(t); }})
      try {
        read(text);
        ADD_FAILURE() << text;
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), message) << text;
      }
  }
}

}  // namespace
}  // namespace korrin
