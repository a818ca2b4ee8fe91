#pragma once
// The window's choices handed to the generation engine before a run, the same way for the window
// and for `korrin-cli generate --settings`.
#include "generator/generation_engine.h"
#include "settings/window_choices.h"

namespace korrin {

// The name the empty database path is reported under ("Please, enter %s").
inline const char* const kMMDBFilePathName = "GeoIP2 MMDB File Path";

// Copies every choice into the engine's settings. False, with nothing copied, when the country is
// wanted without a database path. The count boxes are read only for their mode and the counter
// boxes only with names on; a text that is not an integer raises "'%s' is not a valid integer
// value", leaving what was copied before it.
bool CopySettingsToUtils(const TKorrinSettings& settings, TKorrinUtils& utils);

// One box read as a whole number, strictly.
int32_t IntegerOfBox(const std::string& text);

// The name delimiter of a drop-down index: " ", tab, ",", ";" or the custom text.
std::string NameDelimiterOf(int32_t index, const std::string& custom);

}  // namespace korrin
