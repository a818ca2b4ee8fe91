#pragma once
// One named set of the window's choices that the user saved to load again later; its lines have
// the same name=value keys as the choices in the settings file.
#include <string>

#include "settings/hashed_string_list.h"

namespace korrin {

class TStoredSettings {
 public:
  explicit TStoredSettings(std::string AName) : FName(std::move(AName)), FSettings(256) {}

  const std::string& Name() const { return FName; }
  TVHashedStringList& Settings() { return FSettings; }
  const TVHashedStringList& Settings() const { return FSettings; }

 private:
  std::string FName;
  TVHashedStringList FSettings;
};

}  // namespace korrin
