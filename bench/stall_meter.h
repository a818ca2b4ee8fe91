#pragma once
// How long a window could not answer the user while something ran: the longest gap between two
// ticks of a 5 ms timer that runs through whatever event loop is running, and optionally when a
// condition first held (the first lines shown, say).
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>

class TStallMeter {
 public:
  explicit TStallMeter(std::function<bool()> Reached = {}) : FReached(std::move(Reached)) {
    FTimer.setInterval(5);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      FLongest = std::max(FLongest, FTick.restart());
      if (FReachedMs < 0 && FReached && FReached()) FReachedMs = FStart.elapsed();
    });
    FTick.start();
    FStart.start();
    FTimer.start();
  }
  qint64 LongestMs() const { return FLongest; }
  // -1 until the condition held at a tick.
  qint64 ReachedMs() const { return FReachedMs; }

 private:
  std::function<bool()> FReached;
  QTimer FTimer;
  QElapsedTimer FTick, FStart;
  qint64 FLongest = 0;
  qint64 FReachedMs = -1;
};
