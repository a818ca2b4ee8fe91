#include "common/random.h"

#include <chrono>

namespace korrin {

uint64_t FreshSeed() {
  std::random_device device;
  const uint64_t entropy = (static_cast<uint64_t>(device()) << 32) ^ device();
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return entropy ^ static_cast<uint64_t>(ticks);
}

}  // namespace korrin
