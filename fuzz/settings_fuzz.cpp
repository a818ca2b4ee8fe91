// A settings file's bytes through the loader: decoding, the window's choices, the stored sets,
// each set applied over the choices, and the choices handed to the generation engine.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/exception.h"
#include "generator/generation_engine.h"
#include "settings/choices_to_engine.h"
#include "settings/hashed_string_list.h"
#include "settings/settings_file.h"
#include "settings/settings_file_encoding.h"
#include "settings/stored_settings_list.h"
#include "settings/window_choices.h"

namespace {

void CopyToEngine(const korrin::TKorrinSettings& settings) {
  korrin::TKorrinUtils engine(nullptr);
  try {
    korrin::CopySettingsToUtils(settings, engine);
  } catch (const korrin::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korrin::TVHashedStringList list(256);
  list.SetText(korrin::DecodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size)));
  korrin::TKorrinSettings settings;
  korrin::LoadSettingsFromList(list, settings);
  CopyToEngine(settings);
  korrin::TStoredSettingsList stored;
  stored.LoadFromList(list, korrin::kStoredSettingsName, korrin::kSettingName);
  for (int32_t i = 0; i < stored.Count() && i < 50; ++i) {
    korrin::TKorrinSettings applied = settings;
    korrin::LoadStoredSettings(stored, stored.GetSettings(i).Name(), applied);
    CopyToEngine(applied);
  }
  return 0;
}
