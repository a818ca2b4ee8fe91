#pragma once
// The CLI's view of a running operation: a live "percentage, elapsed time, status" line on
// standard error when it is a terminal, and Ctrl+C turned into a request to stop.
#include <functional>

#include "generator/progress_sink.h"

namespace korrin::cli {

class TProgressLine {
 public:
  // Shown only when `enabled` and standard error is a terminal.
  TProgressLine(const TProgressCounters& progress, bool enabled);
  // Runs `work` on a worker thread while this thread draws the line; rethrows what `work` threw.
  void Run(const std::function<void()>& work);

 private:
  void Draw(double seconds) const;

  const TProgressCounters& FProgress;
  bool FVisible;
};

// While alive, SIGINT and SIGTERM mark the operation as terminated instead of killing the process.
class TInterruptGuard {
 public:
  explicit TInterruptGuard(TProgressCounters& progress);
  ~TInterruptGuard();
  TInterruptGuard(const TInterruptGuard&) = delete;
  TInterruptGuard& operator=(const TInterruptGuard&) = delete;
};

}  // namespace korrin::cli
