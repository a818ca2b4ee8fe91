#pragma once
// What a long-running core operation reports while it runs, and how it learns that the user
// asked it to stop. The GUI's progress tracker and the CLI's progress line implement it; only
// atomics and a small lock are touched, so the worker thread may call it freely.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace korrin {

class IProgressSink {
 public:
  virtual ~IProgressSink() = default;
  virtual void SetStatus(const std::string& status) = 0;
  virtual void SetPosition(int64_t position) = 0;
  virtual void SetMax(int64_t max) = 0;
  virtual void SetProcessed(int64_t processed) = 0;
  virtual int64_t Max() const = 0;
  virtual void IncProgress(int64_t delta) = 0;
  virtual void IncProcessed(int64_t delta) = 0;
  virtual bool Terminated() const = 0;
};

// The number and text stores every implementation shares; readers poll them from other threads.
class TProgressCounters : public IProgressSink {
 public:
  void SetStatus(const std::string& status) override {
    std::lock_guard<std::mutex> lock(FStatusLock);
    FStatus = status;
  }
  std::string Status() const {
    std::lock_guard<std::mutex> lock(FStatusLock);
    return FStatus;
  }
  void SetPosition(int64_t position) override { FPosition.store(position, std::memory_order_relaxed); }
  int64_t Position() const { return FPosition.load(std::memory_order_relaxed); }
  void SetMax(int64_t max) override { FMax.store(max, std::memory_order_relaxed); }
  int64_t Max() const override { return FMax.load(std::memory_order_relaxed); }
  void SetProcessed(int64_t processed) override { FProcessed.store(processed, std::memory_order_relaxed); }
  int64_t Processed() const { return FProcessed.load(std::memory_order_relaxed); }
  void IncProgress(int64_t delta) override { FPosition.fetch_add(delta, std::memory_order_relaxed); }
  void IncProcessed(int64_t delta) override { FProcessed.fetch_add(delta, std::memory_order_relaxed); }
  bool Terminated() const override { return FTerminated.load(std::memory_order_relaxed); }
  // Any thread, also a signal handler: it only stores the lock-free flag. The GUI's tracker has its
  // own SetTerminated, for its thread alone, that also updates its buttons.
  void StoreTerminated(bool value) { FTerminated.store(value, std::memory_order_relaxed); }

 private:
  mutable std::mutex FStatusLock;
  std::string FStatus;
  std::atomic<int64_t> FPosition{0};
  std::atomic<int64_t> FMax{0};
  std::atomic<int64_t> FProcessed{0};
  std::atomic<bool> FTerminated{false};
  static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace korrin
