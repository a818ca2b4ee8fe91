// The reverse lookup area of the main window. The batch runs on its own thread and hands its
// results over in bulk; a timer of the window's thread shows them, as the generation job's lines
// are shown, so that the batch never waits for the window.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <mutex>
#include <optional>

#include "common/exception.h"
#include "common/text.h"
#include "dns/lookup_status.h"
#include "dns/reverse_lookup.h"
#include "dns/reverse_lookup_lists.h"
#include "gui/app/main_window.h"
#include "gui/app/memo_lines.h"
#include "gui/app/worker_thread.h"
#include "gui/forms/browse_button.h"
#include "gui/forms/line_list_edit.h"
#include "gui/forms/link_label.h"
#include "settings/choices_to_engine.h"

namespace korrin {

namespace {

constexpr int kLookupDisplayPeriodMs = 100;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

struct TForm1::TLookupHandover {
  std::mutex Lock;
  TTextLines Resolved, Unresolved;
  std::optional<TLookupStatus> Status;  // from the batch's first report on
  QString Warnings;
};

void TForm1::ReverseLookupButtonClick() {
  ResolvedMemo->Clear();
  UnresolvedMemo->Clear();
  const std::vector<std::string> servers = MemoLines(DnsServersMemo).ToVector();
  if (ReverseLookupServers(servers).empty()) {
    ErrorMessage(QStringLiteral("Error"), QStringLiteral("No DNS Servers specified"));
    return;
  }
  ResolveIPList(OutputMemo->Lines().ToVector(), servers);
}

void TForm1::BreakLookup() {
  FDNSBreak = true;
  FLookup->Break();
}

void TForm1::ResolveIPList(const std::vector<std::string>& OutputLines, const std::vector<std::string>& Servers) {
  FDNSBreak = false;
  FDNSRunning = true;
  ReverseLookupButton->setEnabled(false);
  FLookup->Options().Parallel = QueriesInFlightSpinBox->value();
  const std::string delimiter =
      NameDelimiterOf(NameDelimiterComboBox->currentIndex(), CustomDelimiterEdit->text().toStdString());
  auto handover = std::make_shared<TLookupHandover>();
  FLookupHandover = handover;
  if (FLookupTimer == nullptr) {
    FLookupTimer = new QTimer(this);
    FLookupTimer->setInterval(kLookupDisplayPeriodMs);
    connect(FLookupTimer, &QTimer::timeout, this, [this] { ShowLookupResults(false); });
  }
  FLookupTimer->start();
  // The batch appends to the result lists; an edit meanwhile would land between its lines.
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo})
    list->SetReadOnly(true, QStringLiteral("The lookup adds to this list; it can be edited when the lookup ends."));

  TReverseLookupEvents events;
  const int32_t waitingMs = FLookup->Options().WaitingTime;
  events.OnProgress = [handover, waitingMs](int, int total) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    if (!handover->Status) handover->Status.emplace(total, waitingMs, SteadyMs());
  };
  events.OnEnded = [handover](TLookupReason reason) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Status->Ended(reason, SteadyMs());
  };
  events.OnResolved = [handover](const std::string& line) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Resolved.push_back(line);
    handover->Status->Reported(TLookupReason::Resolved);
  };
  events.OnUnresolved = [handover](const std::string& address, TLookupReason reason) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Unresolved.push_back(address);
    handover->Status->Reported(reason);
  };
  FLookup->SetEvents(std::move(events));
  TKorrinThread::Create(
      this, {},
      [this, handover, OutputLines, Servers, delimiter](TKorrinThread& thread) {
        try {
          const TReverseLookupSummary summary = FLookup->Lookup(OutputLines, Servers, delimiter);
          std::string warnings;
          for (const std::string& warning : summary.Warnings) warnings += (warnings.empty() ? "" : "\n") + warning;
          std::lock_guard<std::mutex> guard(handover->Lock);
          handover->Warnings = QString::fromStdString(warnings);
        } catch (...) {
          const QString message = QString::fromStdString(ExceptionMessage(std::current_exception()));
          thread.Synchronize([this, message] { ErrorMessage(message); });
        }
      },
      [this] { OnEndLookup(); });
}

void TForm1::ShowLookupResults(bool Ended) {
  if (!FLookupHandover) return;
  TLookupHandover& handover = *FLookupHandover;
  TTextLines resolved, unresolved;
  std::optional<TLookupStatus> status;
  QString warnings;
  {
    std::lock_guard<std::mutex> guard(handover.Lock);
    std::swap(resolved, handover.Resolved);
    std::swap(unresolved, handover.Unresolved);
    status = handover.Status;
    warnings.swap(handover.Warnings);
  }
  if (!resolved.empty()) ResolvedMemo->AppendLines(resolved);
  if (!unresolved.empty()) UnresolvedMemo->AppendLines(unresolved);
  if (!status) return;
  LookupProgressBar->setRange(0, std::max(status->Total(), 1));
  LookupProgressBar->setValue(status->Done());
  LookupCountLabel->setText(QString::fromStdString(FormatCount(status->Done())));
  // The window's own reason for waiting stays while it closes.
  if (FClosing) return;
  const TLookupPhase phase = !Ended                             ? TLookupPhase::Running
                             : status->Done() < status->Total() ? TLookupPhase::Stopped
                                                                : TLookupPhase::Finished;
  QString text = QString::fromStdString(status->Text(phase, SteadyMs()));
  if (!warnings.isEmpty()) text += QLatin1Char('\n') + warnings;
  ShowStatus(text);
}

void TForm1::OnEndLookup() {
  FLookupTimer->stop();
  ShowLookupResults(true);
  FLookupHandover.reset();
  FDNSRunning = false;
  ReverseLookupButton->setEnabled(true);
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo}) list->SetReadOnly(false);
  CloseIfAsked();
}

}  // namespace korrin
