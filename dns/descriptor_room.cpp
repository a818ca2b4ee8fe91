#include "dns/descriptor_room.h"

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>

namespace korrin {

namespace {

// Left to the rest of the program while a batch runs: files the window reads and saves, its
// display connection, the database of the country column.
constexpr int64_t kReserve = 64;

// The descriptors open now; /proc/self/fd lists them, itself one while it is read.
int64_t OpenDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return 0;
  int64_t count = -1;
  while (const dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return std::max<int64_t>(count, 0);
}

int64_t AsCount(rlim_t value) {
  return value == RLIM_INFINITY ? INT64_MAX : static_cast<int64_t>(std::min<rlim_t>(value, INT64_MAX));
}

}  // namespace

TDescriptorRoom MakeRoomForDescriptors(int64_t wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return {INT64_MAX, INT64_MAX};
  const int64_t open = OpenDescriptors();
  if (AsCount(limit.rlim_cur) - open - kReserve < wanted && limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  const int64_t soft = AsCount(limit.rlim_cur);
  return {soft, std::max<int64_t>(soft - open - kReserve, 0)};
}

}  // namespace korrin
