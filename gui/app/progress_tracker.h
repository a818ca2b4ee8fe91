#pragma once
// The progress tracker of the generation job: the job thread writes numbers and the status into
// the shared stores, and a 100 ms timer on the user-interface thread copies them to the attached
// bar, labels and buttons at most once per update period; it also raises the events around a
// start and a stop.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "generator/progress_sink.h"

class QAbstractButton;
class QLabel;
class QProgressBar;
class QTimer;
class QWidget;

namespace korrin {

enum TProgressFlag : unsigned {
  pfPBHidden = 1,  // the progress outputs are visible only while running
  pfBBHidden = 2,  // the Break button is visible only while running
  pfSBHide = 4,    // the Start button is hidden while running
};
using TProgressFlags = unsigned;

class TProgress : public TProgressCounters {
 public:
  using TBeforeStartEvent = std::function<void(TProgress& Sender, bool& Allow, bool& ClearLog)>;
  using TNotifyEvent = std::function<void(TProgress& Sender)>;

  TProgress();
  ~TProgress() override;
  TProgress(const TProgress&) = delete;
  TProgress& operator=(const TProgress&) = delete;

  void StartProgress();
  void EndProgress();

  void IncProcessedGood(int64_t AInc) { FProcessedGood.fetch_add(AInc, std::memory_order_relaxed); }
  void IncProcessedBad(int64_t AInc) { FProcessedBad.fetch_add(AInc, std::memory_order_relaxed); }
  int64_t ProcessedGood() const { return FProcessedGood.load(std::memory_order_relaxed); }
  void SetProcessedGood(int64_t v) { FProcessedGood.store(v, std::memory_order_relaxed); }
  int64_t ProcessedBad() const { return FProcessedBad.load(std::memory_order_relaxed); }
  void SetProcessedBad(int64_t v) { FProcessedBad.store(v, std::memory_order_relaxed); }
  int64_t Min() const { return FMin.load(std::memory_order_relaxed); }
  // Raises the position to the new minimum when it lies below it.
  void SetMin(int64_t AMin);
  // Lowers the position to the new maximum when it lies above it.
  void SetMax(int64_t AMax) override;
  // (Position - Min) * 100 / (Max - Min), truncated and not clamped; 0 for an empty range.
  int64_t Percent() const;

  // Milliseconds since the epoch; 0 while unset.
  int64_t StartTime() const { return FStartTime; }
  int64_t EndTime() const { return FEndTime; }
  // Whole seconds from the start to the end, or to now while running; 0 before any start.
  int64_t Elapsed() const;
  int64_t UpdatePeriod() const { return FUpdatePeriod; }
  void SetUpdatePeriod(int64_t Milliseconds) { FUpdatePeriod = Milliseconds; }

  // User-interface thread only: also enables and disables the attached buttons.
  void SetTerminated(bool Value);

  void SetProgressBar(QProgressBar* Bar);
  void SetProgressLabel(QLabel* Label);
  void SetElapsedLabel(QLabel* Label) { Attach(FElapsedLabel, Label); }
  void SetElapsedTitleLabel(QLabel* Label) { Attach(FElapsedTitleLabel, Label); }
  void SetProcessedLabel(QLabel* Label) { Attach(FProcessedLabel, Label); }
  void SetProcessedTitleLabel(QLabel* Label) { Attach(FProcessedTitleLabel, Label); }
  void SetProcessedGoodLabel(QLabel* Label) { Attach(FProcessedGoodLabel, Label); }
  void SetProcessedGoodTitleLabel(QLabel* Label) { Attach(FProcessedGoodTitleLabel, Label); }
  void SetProcessedBadLabel(QLabel* Label) { Attach(FProcessedBadLabel, Label); }
  void SetProcessedBadTitleLabel(QLabel* Label) { Attach(FProcessedBadTitleLabel, Label); }
  void SetStatusLabel(QLabel* Label);
  void SetBreakButton(QAbstractButton* Button);
  void SetStartButton(QAbstractButton* Button);
  void SetCloseButton(QAbstractButton* Button);
  TProgressFlags Flags() const { return FFlags; }
  void SetFlags(TProgressFlags Value);

  void SetBeforeStart(TBeforeStartEvent e) { FBeforeStart = std::move(e); }
  void SetAfterStop(TNotifyEvent e) { FAfterStop = std::move(e); }
  void SetOnStart(TNotifyEvent e) { FOnStart = std::move(e); }
  void SetOnStop(TNotifyEvent e) { FOnStop = std::move(e); }
  void SetOnTerminate(TNotifyEvent e) { FOnTerminate = std::move(e); }
  void SetOnBreakClicked(TNotifyEvent e) { FOnBreakClicked = std::move(e); }
  void SetOnDisplay(TNotifyEvent e) { FOnDisplay = std::move(e); }

  // h:mm:ss, the hours without an upper bound.
  static std::string FormatElapsed(int64_t Milliseconds);

 protected:
  virtual void DoTimer();
  virtual void BreakButtonClick();
  virtual void StartButtonClick();
  virtual void CloseButtonClick();
  virtual void DoBeforeStart(bool& Allow, bool& ClearLog);
  virtual void DoStart();
  virtual void DoStop();
  virtual void DoAfterStop();
  virtual void DoTerminate();
  virtual void DoBreakClicked();

 public:
  virtual void UpdateDisplay();
  virtual void ShowControls(bool Running);

 private:
  template <typename T>
  void Attach(T*& Field, T* Value) {
    Field = Value;
    ShowControls(false);
  }
  void AttachButton(QAbstractButton*& Field, QAbstractButton* Button, void (TProgress::*Click)());
  static void Raise(const TNotifyEvent& e, TProgress& p) {
    if (e) e(p);
  }

  std::unique_ptr<QTimer> FTimer;
  QProgressBar* FProgressBar = nullptr;
  QLabel* FProgressLabel = nullptr;
  QLabel* FElapsedLabel = nullptr;
  QLabel* FElapsedTitleLabel = nullptr;
  QLabel* FProcessedLabel = nullptr;
  QLabel* FProcessedTitleLabel = nullptr;
  QLabel* FProcessedGoodLabel = nullptr;
  QLabel* FProcessedGoodTitleLabel = nullptr;
  QLabel* FProcessedBadLabel = nullptr;
  QLabel* FProcessedBadTitleLabel = nullptr;
  QLabel* FStatusLabel = nullptr;
  QAbstractButton* FBreakButton = nullptr;
  QAbstractButton* FStartButton = nullptr;
  QAbstractButton* FCloseButton = nullptr;
  TProgressFlags FFlags = 0;
  int64_t FStartTime = 0;
  int64_t FEndTime = 0;
  int64_t FUpdatePeriod = 500;
  int64_t FUpTime = 0;
  std::atomic<int64_t> FMin{0};
  std::atomic<int64_t> FProcessedGood{0};
  std::atomic<int64_t> FProcessedBad{0};
  TBeforeStartEvent FBeforeStart;
  TNotifyEvent FAfterStop, FOnStart, FOnStop, FOnTerminate, FOnBreakClicked, FOnDisplay;
};

}  // namespace korrin
