#include "gui/app/version.h"

#include <algorithm>

namespace korrin {

std::string CutVersion(std::string_view Version, bool StripZeroPrefix, int KeepCount, int SkipCount) {
  std::string s(Version);
  if (StripZeroPrefix)
    while (s.starts_with("0.")) s.erase(0, 2);
  for (int i = 0; i < SkipCount; ++i) {
    const size_t dot = s.find('.');
    if (dot == std::string::npos) {
      s.clear();
      break;
    }
    s.erase(0, dot + 1);
  }
  if (KeepCount <= 0) return s;
  size_t pos = 0;
  for (int n = 0; (pos = s.find('.', pos)) != std::string::npos; ++pos) {
    if (++n == KeepCount) {
      s.resize(pos);
      break;
    }
  }
  if (s.empty()) s = "0";
  const int components = static_cast<int>(std::count(s.begin(), s.end(), '.')) + 1;
  for (int i = components; i < KeepCount; ++i) s.insert(0, "0.");
  return s;
}

std::string GetFileVersion(bool StripZeroPrefix, int KeepCount, int SkipCount) {
  return CutVersion(KORRIN_VERSION, StripZeroPrefix, KeepCount, SkipCount);
}

}  // namespace korrin
