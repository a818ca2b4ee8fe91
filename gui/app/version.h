#pragma once
// The application's version as the window shows it: the version compiled in from the build,
// cut to the wanted components (the short version "2.13", the build number "93").
#include <string>
#include <string_view>

namespace korrin {

// Drops leading "0." pairs when StripZeroPrefix, then SkipCount leading components (all of them
// when they run out), then keeps KeepCount components (all when KeepCount <= 0), padding a
// shorter text with leading "0." ones; an empty result is "0".
std::string CutVersion(std::string_view Version, bool StripZeroPrefix, int KeepCount, int SkipCount);

// The application's own version, cut as above.
std::string GetFileVersion(bool StripZeroPrefix, int KeepCount, int SkipCount);

}  // namespace korrin
