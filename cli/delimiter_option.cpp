#include "cli/delimiter_option.h"

#include "common/utf16.h"

namespace korrin::cli {

void AddDelimiterOption(CLI::App& Command, char16_t& Delimiter) {
  Command
      .add_option_function<std::string>(
          "--delimiter",
          [&Delimiter](const std::string& value) {
            if (value == "auto") Delimiter = 0;
            else if (value == "comma") Delimiter = u',';
            else if (value == "semicolon") Delimiter = u';';
            else if (value == "pipe") Delimiter = u'|';
            else if (value == "tab") Delimiter = u'\t';
            else {
              const std::u16string text = Utf8ToUtf16(value);
              if (text.size() != 1 || text[0] == u'"' || text[0] == u'\r' || text[0] == u'\n')
                throw CLI::ValidationError(
                    "--delimiter",
                    "auto, comma, semicolon, pipe, tab or one character other than a quote or a line break");
              Delimiter = text[0];
            }
          },
          "auto (from the file), comma, semicolon, pipe, tab, or one character")
      ->default_str("auto");
}

}  // namespace korrin::cli
