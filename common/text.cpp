#include "common/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace korrin {

namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  // Hex text may spell the full 32-bit pattern, as "$FFFFFFFF" does for -1.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > limit) return std::nullopt;
  }
  int64_t result = base == 16 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                              : static_cast<int64_t>(value);
  if (negative) result = -result;
  if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(result);
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) { return TryStrToInt(text).value_or(fallback); }

std::string_view Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

std::string FormatCount(int64_t value) {
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

std::string GroupCounts(std::string_view text) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto wordEdge = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(' || c == ')'; };
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!digit(text[i])) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && digit(text[end])) ++end;
    const bool startsWord = i == 0 || wordEdge(text[i - 1]);
    // A full stop ends a sentence when nothing but a blank or the end follows it.
    const bool endsWord = end == text.size() || wordEdge(text[end]) ||
                          (text[end] == '.' && (end + 1 == text.size() || wordEdge(text[end + 1])));
    const std::string_view run = text.substr(i, end - i);
    if (startsWord && endsWord && run.size() > 3 && run.size() < 19 && run[0] != '0')
      out += FormatCount(std::stoll(std::string(run)));
    else out += run;
    i = end;
  }
  return out;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  va_end(args);
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(text.substr(pos));
  return out;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (suffix.size() > text.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i)
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  return true;
}

namespace {

// One quoting rule for UTF-8 and UTF-16 text alike.
template <class C>
void AppendField(std::basic_string<C>& out, std::basic_string_view<C> value, std::basic_string_view<C> delimiter) {
  constexpr C kSpecial[] = {C('"'), C('\r'), C('\n')};
  if (value.find_first_of(std::basic_string_view<C>(kSpecial, 3)) == value.npos &&
      (delimiter.empty() || value.find(delimiter) == value.npos)) {
    out += value;
    return;
  }
  out += C('"');
  for (const C c : value) {
    if (c == C('"')) out += C('"');
    out += c;
  }
  out += C('"');
}

}  // namespace

void AppendCSVField(std::string& out, std::string_view value, std::string_view delimiter) {
  AppendField(out, value, delimiter);
}

void AppendCSVField(std::u16string& out, std::u16string_view value, std::u16string_view delimiter) {
  AppendField(out, value, delimiter);
}

std::string CSVField(std::string_view value, std::string_view delimiter) {
  std::string field;
  AppendCSVField(field, value, delimiter);
  return field;
}

}  // namespace korrin
