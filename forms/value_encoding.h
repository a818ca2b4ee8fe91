#pragma once
// Multi-line values kept in one name=value line: tab, line feed, carriage return and backslash
// are written as backslash escapes and read back.
#include <string>
#include <string_view>

namespace korrin {

std::string EncodeValue(std::string_view value);
// A backslash takes the next character literally ("n", "r", "t" become the control characters);
// a backslash at the very end stays.
std::string DecodeValue(std::string_view value);

}  // namespace korrin
