#include "gui/app/progress_tracker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "common/text.h"

namespace korrin {
namespace {

int64_t Now() { return QDateTime::currentMSecsSinceEpoch(); }

void SetVisible(QWidget* w, bool visible) {
  if (w && w->isHidden() == visible) w->setVisible(visible);
}

}  // namespace

TProgress::TProgress() : FTimer(std::make_unique<QTimer>()) {
  SetMax(100);
  StoreTerminated(true);
  FTimer->setInterval(100);
  QObject::connect(FTimer.get(), &QTimer::timeout, [this] { DoTimer(); });
  FTimer->start();
}

TProgress::~TProgress() = default;

void TProgress::SetMin(int64_t AMin) {
  if (Position() < AMin) SetPosition(AMin);
  FMin.store(AMin, std::memory_order_relaxed);
}

void TProgress::SetMax(int64_t AMax) {
  if (Position() > AMax) SetPosition(AMax);
  TProgressCounters::SetMax(AMax);
}

int64_t TProgress::Percent() const {
  const int64_t range = Max() - Min();
  if (range <= 0) return 0;
  return (Position() - Min()) * 100 / range;
}

int64_t TProgress::Elapsed() const {
  if (FStartTime == 0) return 0;
  return ((FEndTime != 0 ? FEndTime : Now()) - FStartTime) / 1000;
}

std::string TProgress::FormatElapsed(int64_t Milliseconds) {
  const int64_t s = Milliseconds / 1000;
  return Format("%lld:%02lld:%02lld", static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                static_cast<long long>(s % 60));
}

void TProgress::SetTerminated(bool Value) {
  if (Value != Terminated()) {
    StoreTerminated(Value);
    if (FBreakButton) FBreakButton->setEnabled(!Value);
    if (Value && FEndTime == 0) {
      DoTerminate();
      return;
    }
  }
  if (FStartButton) FStartButton->setEnabled(Value);
  if (FCloseButton) FCloseButton->setEnabled(Value);
}

void TProgress::SetProgressBar(QProgressBar* Bar) {
  FProgressBar = Bar;
  if (Bar) {
    Bar->setMinimum(0);
    Bar->setValue(0);
    Bar->setMaximum(100);
  }
  ShowControls(false);
}

void TProgress::SetProgressLabel(QLabel* Label) {
  FProgressLabel = Label;
  if (Label) Label->setText(QStringLiteral("%1 %").arg(Percent()));
  ShowControls(false);
}

void TProgress::SetStatusLabel(QLabel* Label) {
  FStatusLabel = Label;
  if (Label) Label->setText(QString::fromStdString(Status()));
  ShowControls(false);
}

void TProgress::AttachButton(QAbstractButton*& Field, QAbstractButton* Button, void (TProgress::*Click)()) {
  if (Field) QObject::disconnect(Field, &QAbstractButton::clicked, FTimer.get(), nullptr);
  Field = Button;
  if (Button) QObject::connect(Button, &QAbstractButton::clicked, FTimer.get(), [this, Click] { (this->*Click)(); });
  ShowControls(false);
}

void TProgress::SetBreakButton(QAbstractButton* Button) {
  AttachButton(FBreakButton, Button, &TProgress::BreakButtonClick);
  if (Button) Button->setEnabled(false);
}

void TProgress::SetStartButton(QAbstractButton* Button) {
  AttachButton(FStartButton, Button, &TProgress::StartButtonClick);
}

void TProgress::SetCloseButton(QAbstractButton* Button) {
  AttachButton(FCloseButton, Button, &TProgress::CloseButtonClick);
}

void TProgress::SetFlags(TProgressFlags Value) {
  FFlags = Value;
  ShowControls(false);
}

void TProgress::DoTimer() {
  const int64_t now = Now();
  if (FUpdatePeriod != 0 && now - FUpTime < FUpdatePeriod) return;
  UpdateDisplay();
  FUpTime = now;
}

void TProgress::BreakButtonClick() {
  DoBreakClicked();
  if (Terminated()) return;
  StoreTerminated(true);
  if (FBreakButton) FBreakButton->setEnabled(false);
  if (FEndTime == 0) DoTerminate();
}

void TProgress::StartButtonClick() { StartProgress(); }

void TProgress::CloseButtonClick() {
  if (QWidget* main = FCloseButton ? FCloseButton->window() : nullptr) main->close();
}

void TProgress::DoBeforeStart(bool& Allow, bool& ClearLog) {
  if (FBeforeStart) FBeforeStart(*this, Allow, ClearLog);
}

void TProgress::DoStart() { Raise(FOnStart, *this); }
void TProgress::DoStop() { Raise(FOnStop, *this); }
void TProgress::DoAfterStop() { Raise(FAfterStop, *this); }
void TProgress::DoTerminate() { Raise(FOnTerminate, *this); }
void TProgress::DoBreakClicked() { Raise(FOnBreakClicked, *this); }

void TProgress::StartProgress() {
  bool allow = true;
  bool clearLog = true;
  DoBeforeStart(allow, clearLog);
  if (!allow) return;
  ShowControls(true);
  FStartTime = Now();
  FEndTime = 0;
  SetPosition(Min());
  SetStatus({});
  SetProcessed(0);
  SetProcessedGood(0);
  SetProcessedBad(0);
  SetTerminated(false);
  UpdateDisplay();
  DoStart();
}

void TProgress::EndProgress() {
  DoStop();
  FEndTime = Now();
  SetTerminated(true);
  UpdateDisplay();
  ShowControls(false);
  DoAfterStop();
}

void TProgress::UpdateDisplay() {
  const int64_t percent = Percent();
  // A random run may pass its maximum: the label keeps the figure, the bar stays full.
  if (FProgressBar) FProgressBar->setValue(static_cast<int>(std::clamp<int64_t>(percent, 0, 100)));
  if (FStatusLabel) FStatusLabel->setText(QString::fromStdString(Status()));
  if (FProgressLabel) FProgressLabel->setText(QStringLiteral("%1 %").arg(percent));
  if (FProcessedLabel) FProcessedLabel->setText(QString::fromStdString(FormatCount(Processed())));
  if (FProcessedGoodLabel) FProcessedGoodLabel->setText(QString::fromStdString(FormatCount(ProcessedGood())));
  if (FProcessedBadLabel) FProcessedBadLabel->setText(QString::fromStdString(FormatCount(ProcessedBad())));
  if (FElapsedLabel && FStartTime != 0 && FEndTime == 0)
    FElapsedLabel->setText(QString::fromStdString(FormatElapsed(Now() - FStartTime)));
  Raise(FOnDisplay, *this);
  // Qt repaints from its own loop; no pending events need to be run from here.
}

void TProgress::ShowControls(bool Running) {
  QWidget* outputs[] = {FProgressBar,       FProgressLabel,          FElapsedLabel,       FElapsedTitleLabel,
                        FProcessedLabel,    FProcessedTitleLabel,    FProcessedGoodLabel, FProcessedGoodTitleLabel,
                        FProcessedBadLabel, FProcessedBadTitleLabel, FStatusLabel};
  if (Running) {
    if (FFlags & pfPBHidden)
      for (QWidget* w : outputs) SetVisible(w, true);
    if (FFlags & pfBBHidden) SetVisible(FBreakButton, true);
    if (FFlags & pfSBHide) SetVisible(FStartButton, false);
  } else {
    if (FFlags & pfSBHide) SetVisible(FStartButton, true);
    if (FFlags & pfPBHidden)
      for (QWidget* w : outputs) SetVisible(w, false);
    if (FFlags & pfBBHidden) SetVisible(FBreakButton, false);
  }
}

}  // namespace korrin
