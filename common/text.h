#pragma once
// Text helpers shared by every subsystem: the one integer-text conversion used for every number a
// user types or a file holds, trimming, and counts formatted for people.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Leading blanks, optional sign, then decimal digits or hex digits after "$", "x", "X", "0x" or
// "0X"; the value must fit a signed 32-bit integer and nothing may follow the digits.
std::optional<int32_t> TryStrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// Removes characters with a code of 32 or less at both ends.
std::string_view Trim(std::string_view text);

// "1,234,567": counts shown to the user carry thousands separators.
std::string FormatCount(int64_t value);
// The counts in a message shown to the user, with thousands separators: every number that stands
// as a word of its own ("1048576 IPs generated." reads "1,048,576 IPs generated."); digits that are
// part of an address, a path or another token stay as they are.
std::string GroupCounts(std::string_view text);

// printf-style formatting into a std::string, for the messages of the system.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces every occurrence of `from` in one left-to-right pass, never rescanning inserted text.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Only the 26 ASCII letters change: for names and needles that are compared as bytes.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// A value as one field between `delimiter`s: quoted, its quotes doubled, when it holds the
// delimiter, a quote or a line break ("Blaine, Minnesota" with commas), so that the columns never
// shift; any other value stays as it is.
void AppendCSVField(std::string& out, std::string_view value, std::string_view delimiter = ",");
void AppendCSVField(std::u16string& out, std::u16string_view value, std::u16string_view delimiter);
std::string CSVField(std::string_view value, std::string_view delimiter = ",");

}  // namespace korrin
