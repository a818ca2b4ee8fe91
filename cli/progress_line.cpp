#include "cli/progress_line.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <thread>

#include "common/text.h"

namespace korrin::cli {

namespace {

// The handler may run on any thread at any moment, so the target is read through a lock-free atomic.
std::atomic<TProgressCounters*> gInterruptTarget{nullptr};
static_assert(std::atomic<TProgressCounters*>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  if (TProgressCounters* target = gInterruptTarget.load()) target->StoreTerminated(true);
}

}  // namespace

TProgressLine::TProgressLine(const TProgressCounters& progress, bool enabled)
    : FProgress(progress), FVisible(enabled && isatty(STDERR_FILENO)) {}

void TProgressLine::Draw(double seconds) const {
  const int64_t max = FProgress.Max();
  const int64_t position = FProgress.Position();
  const int percent = max > 0 ? static_cast<int>(std::min<int64_t>(100, position * 100 / max)) : 0;
  const int s = static_cast<int>(seconds);
  std::fprintf(stderr, "\r%3d %%  %d:%02d:%02d  %s  %s\033[K", percent, s / 3600, s / 60 % 60, s % 60,
               FormatCount(FProgress.Processed()).c_str(), FProgress.Status().c_str());
  std::fflush(stderr);
}

void TProgressLine::Run(const std::function<void()>& work) {
  if (!FVisible) {
    work();
    return;
  }
  std::exception_ptr failure;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    done.store(true);
  });
  const auto start = std::chrono::steady_clock::now();
  while (!done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Draw(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  worker.join();
  std::fprintf(stderr, "\r\033[K");
  if (failure) std::rethrow_exception(failure);
}

TInterruptGuard::TInterruptGuard(TProgressCounters& progress) {
  gInterruptTarget.store(&progress);
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

TInterruptGuard::~TInterruptGuard() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  gInterruptTarget.store(nullptr);
}

}  // namespace korrin::cli
