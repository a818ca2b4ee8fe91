#pragma once
// A small JSON reader for the test expectations in the format's source-data files.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korrin::test {

struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // the string, or a number's digits as written
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;  // in file order

  // The member's value, or a null value when there is none.
  const Json& operator[](std::string_view key) const;
  bool IsNull() const { return kind == Null; }
};

Json ParseJson(std::string_view text);
Json ReadJsonFile(const std::string& path);

}  // namespace korrin::test
