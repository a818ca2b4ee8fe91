#include "generator/wildcard_mask.h"

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

namespace {

constexpr int kMaxRuns = 30;

unsigned char Lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

[[noreturn]] void Invalid(std::string_view mask, size_t position) {
  throw Exception(Format("'%.*s' is an invalid mask at (%d)", int(mask.size()), mask.data(), int(position)));
}

}  // namespace

TWildcardMask::TWildcardMask(std::string_view mask) {
  int runs = 0;
  for (size_t i = 0; i < mask.size();) {
    const char c = mask[i];
    if (c == '*') {
      if (++runs > kMaxRuns) Invalid(mask, i + 1);
      while (i < mask.size() && mask[i] == '*') ++i;
      FTokens.emplace_back(Kind::AnyRun);
      continue;
    }
    if (c == '?') {
      FTokens.emplace_back(Kind::AnyChar);
      ++i;
      continue;
    }
    if (c != '[') {
      FTokens.emplace_back(Kind::Literal, static_cast<char>(Lower(c)));
      ++i;
      continue;
    }
    Token set(Kind::Set);
    ++i;
    const bool negate = i < mask.size() && mask[i] == '!';
    if (negate) ++i;
    bool empty = true;
    for (;;) {
      if (i >= mask.size()) Invalid(mask, i + 1);  // no closing "]"
      if (mask[i] == ']') {
        if (empty) Invalid(mask, i + 1);
        ++i;
        break;
      }
      if (mask[i] == '-') Invalid(mask, i + 1);  // a range without its first character
      const unsigned char low = Lower(mask[i++]);
      unsigned char high = low;
      if (i < mask.size() && mask[i] == '-') {
        ++i;
        if (i >= mask.size()) Invalid(mask, i + 1);
        if (mask[i] == ']') {  // "[a-]": the "-" stands for itself
          set.set.set('-');
        } else {
          high = Lower(mask[i++]);
        }
      }
      for (unsigned v = low; v <= high; ++v) set.set.set(v);
      empty = false;
    }
    if (negate) set.set.flip();
    FTokens.push_back(set);
  }
}

bool TWildcardMask::TokenMatches(const Token& t, char c) const {
  switch (t.kind) {
    case Kind::AnyChar: return true;
    case Kind::Literal: return Lower(c) == static_cast<unsigned char>(t.literal);
    case Kind::Set: return t.set.test(Lower(c));
    case Kind::AnyRun: break;
  }
  return false;
}

bool TWildcardMask::Matches(std::string_view text) const {
  // Greedy match with one resumption point: correct for "*" runs, linear in practice.
  size_t ti = 0, pi = 0, starP = SIZE_MAX, starT = 0;
  while (ti < text.size()) {
    if (pi < FTokens.size() && FTokens[pi].kind == Kind::AnyRun) {
      starP = pi++;
      starT = ti;
    } else if (pi < FTokens.size() && TokenMatches(FTokens[pi], text[ti])) {
      ++pi;
      ++ti;
    } else if (starP != SIZE_MAX) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < FTokens.size() && FTokens[pi].kind == Kind::AnyRun) ++pi;
  return pi == FTokens.size();
}

}  // namespace korrin
