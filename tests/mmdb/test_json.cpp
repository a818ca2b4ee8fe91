#include "test_json.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/utf8.h"

namespace korrin::test {

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s(text) {}

  Json Value() {
    Blank();
    if (i >= s.size()) Fail();
    const char c = s[i];
    Json v;
    if (c == '{') {
      v.kind = Json::Object;
      ++i;
      if (Peek('}')) return v;
      do {
        Blank();
        std::string key = StringBody();
        Expect(':');
        v.members.emplace_back(std::move(key), Value());
      } while (Peek(','));
      Expect('}');
    } else if (c == '[') {
      v.kind = Json::Array;
      ++i;
      if (Peek(']')) return v;
      do v.items.push_back(Value());
      while (Peek(','));
      Expect(']');
    } else if (c == '"') {
      v.kind = Json::String;
      v.text = StringBody();
    } else if (s.substr(i, 4) == "true" || s.substr(i, 5) == "false") {
      v.kind = Json::Bool;
      v.boolean = c == 't';
      i += v.boolean ? 4 : 5;
    } else if (s.substr(i, 4) == "null") {
      i += 4;
    } else {
      v.kind = Json::Number;
      const size_t start = i;
      while (i < s.size() && std::string_view("+-0123456789.eE").find(s[i]) != std::string_view::npos) ++i;
      v.text = std::string(s.substr(start, i - start));
      if (v.text.empty()) Fail();
      v.number = std::stod(v.text);
    }
    return v;
  }

  void End() {
    Blank();
    if (i != s.size()) Fail();
  }

 private:
  [[noreturn]] void Fail() { throw std::runtime_error("bad JSON at " + std::to_string(i)); }
  void Blank() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
  }
  bool Peek(char c) {
    Blank();
    if (i < s.size() && s[i] == c) return ++i, true;
    return false;
  }
  void Expect(char c) {
    if (!Peek(c)) Fail();
  }
  unsigned Hex4() {
    if (i + 4 > s.size()) Fail();
    const unsigned v = static_cast<unsigned>(std::stoul(std::string(s.substr(i, 4)), nullptr, 16));
    i += 4;
    return v;
  }
  std::string StringBody() {
    Expect('"');
    std::string out;
    while (i < s.size() && s[i] != '"') {
      if (s[i] != '\\') {
        out += s[i++];
        continue;
      }
      if (++i >= s.size()) Fail();
      const char e = s[i++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && s.substr(i, 2) == "\\u") {
            i += 2;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (Hex4() - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default: out += e;
      }
    }
    Expect('"');
    return out;
  }

  std::string_view s;
  size_t i = 0;
};

}  // namespace

const Json& Json::operator[](std::string_view key) const {
  static const Json none;
  for (const auto& [k, v] : members)
    if (k == key) return v;
  return none;
}

Json ParseJson(std::string_view text) {
  Parser p(text);
  Json v = p.Value();
  p.End();
  return v;
}

Json ReadJsonFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return ParseJson(buffer.str());
}

}  // namespace korrin::test
