#pragma once
// How many sockets a batch may hold open: a batch of many queries in flight must stay within the
// process's limit of open files, or its later sockets fail and their addresses come back unasked.
#include <cstdint>

namespace korrin {

struct TDescriptorRoom {
  int64_t Limit = 0;  // the soft limit of open files, after any raise
  int64_t Free = 0;   // what is left of it for new descriptors, less a reserve for the program
};

// The room for `wanted` more descriptors; raises the soft limit up to the hard one when they do
// not fit under it.
TDescriptorRoom MakeRoomForDescriptors(int64_t wanted);

}  // namespace korrin
