#pragma once
// The --delimiter flag of generate and reverse: a named item of the window's name delimiter
// drop-down, or a custom text, so that both commands read the same word the same way.
#include <string>

#include "settings/window_choices.h"

namespace korrin::cli {

// "whitespace", "tab", "comma", "semicolon", or any other text as the custom delimiter.
void SetNameDelimiter(TKorrinSettings& choices, const std::string& name);

}  // namespace korrin::cli
