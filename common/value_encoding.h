#pragma once
// Multi-line values kept on one line (a name=value entry, a column of the preview command's
// output): tab, line feed, carriage return and backslash are written as backslash escapes and
// read back.
#include <string>
#include <string_view>

namespace korrin {

// What a backslash followed by c stands for: "n", "r" and "t" name the control characters, any
// other character stands for itself.
template <class Char>
constexpr Char EscapedChar(Char c) {
  return c == 'n' ? Char('\n') : c == 'r' ? Char('\r') : c == 't' ? Char('\t') : c;
}

std::string EncodeValue(std::string_view value);
// A backslash takes the next character literally ("n", "r", "t" become the control characters);
// a backslash at the very end stays.
std::string DecodeValue(std::string_view value);

}  // namespace korrin
