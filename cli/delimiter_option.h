#pragma once
// The --delimiter option that preview and count share, named as the viewer's options box names
// its choices.
#include <string>

#include "CLI/CLI.hpp"

namespace korrin::cli {

// Adds --delimiter to Command; Delimiter receives 0 for "auto" (the default) or the character.
void AddDelimiterOption(CLI::App& Command, char16_t& Delimiter);

}  // namespace korrin::cli
