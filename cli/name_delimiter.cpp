#include "cli/name_delimiter.h"

namespace korrin::cli {

void SetNameDelimiter(TKorrinSettings& choices, const std::string& name) {
  const char* const items[] = {"whitespace", "tab", "comma", "semicolon"};
  for (int32_t i = 0; i < 4; ++i)
    if (name == items[i]) {
      choices.NameDelimiter = i;
      return;
    }
  choices.NameDelimiter = kNameDelimiterCustom;
  choices.NameCustomDelimiter = name;
}

}  // namespace korrin::cli
