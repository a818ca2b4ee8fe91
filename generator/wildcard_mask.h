#pragma once
// A prepared wildcard mask ("*.0", "10.0.0.?", "*:[a-f]f") matched against address texts:
// exclusions are tested once per generated address, so masks are compiled once.
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

class TWildcardMask {
 public:
  // Raises "'%s' is an invalid mask at (%d)" for a malformed mask.
  explicit TWildcardMask(std::string_view mask);
  bool Matches(std::string_view text) const;

 private:
  enum class Kind { Literal, AnyChar, AnyRun, Set };
  struct Token {
    explicit Token(Kind k, char lit = 0) : kind(k), literal(lit) {}
    Kind kind;
    char literal;          // lower case
    std::bitset<256> set;  // lower-case members, already negated for "[!...]"
  };
  bool TokenMatches(const Token& t, char c) const;

  std::vector<Token> FTokens;
};

}  // namespace korrin
