#include "mmdb/guarded_mapping.h"

#include <signal.h>
#include <sys/mman.h>

#include <array>
#include <cerrno>
#include <mutex>

namespace korrin {

namespace {

// What the signal handler may read: lock-free atomics only.
struct TGuardSlot {
  std::atomic<bool> Taken{false};
  std::atomic<uintptr_t> Begin{0};
  std::atomic<size_t> Length{0};
  std::atomic<bool> Changed{false};
};

// More databases than anyone opens at once; beyond it a database is read into memory instead.
std::array<TGuardSlot, 64> gSlots;
struct sigaction gPrevious {};
std::once_flag gInstalled;

void OnBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  for (TGuardSlot& slot : gSlots) {
    const uintptr_t begin = slot.Begin.load();
    const size_t length = slot.Length.load();
    if (begin != 0 && address >= begin && address - begin < length) {
      // Zero pages over the whole mapping: the read that faulted goes on, and so do the rest.
      mmap(reinterpret_cast<void*>(begin), length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
      slot.Changed = true;
      return;
    }
  }
  // Not ours: what would have happened without this handler.
  if ((gPrevious.sa_flags & SA_SIGINFO) != 0 && gPrevious.sa_sigaction != nullptr) {
    gPrevious.sa_sigaction(signal, info, context);
  } else if (gPrevious.sa_handler != SIG_IGN && gPrevious.sa_handler != SIG_DFL) {
    gPrevious.sa_handler(signal);
  } else {
    sigaction(SIGBUS, &gPrevious, nullptr);
    if (info->si_code <= 0) raise(SIGBUS);  // sent, not a fault that comes again on return
  }
}

void Install() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &gPrevious);
}

}  // namespace

std::unique_ptr<TGuardedMapping> TGuardedMapping::Map(int fd, size_t length) {
  std::call_once(gInstalled, Install);
  for (size_t i = 0; i < gSlots.size(); ++i) {
    bool free = false;
    if (!gSlots[i].Taken.compare_exchange_strong(free, true)) continue;
    void* p = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      gSlots[i].Taken = false;
      return nullptr;
    }
    gSlots[i].Changed = false;
    gSlots[i].Length = length;
    gSlots[i].Begin = reinterpret_cast<uintptr_t>(p);
    return std::unique_ptr<TGuardedMapping>(new TGuardedMapping(static_cast<const uint8_t*>(p), length, i));
  }
  errno = EMFILE;
  return nullptr;
}

TGuardedMapping::~TGuardedMapping() {
  gSlots[FSlot].Begin = 0;
  munmap(const_cast<uint8_t*>(FData), FLength);
  gSlots[FSlot].Taken = false;
}

const std::atomic<bool>& TGuardedMapping::Changed() const { return gSlots[FSlot].Changed; }

}  // namespace korrin
