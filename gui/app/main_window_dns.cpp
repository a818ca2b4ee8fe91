// The reverse lookup area of the main window. The batch runs on its own thread and hands its
// results over in bulk; a timer of the window's thread shows them, as the generation job's lines
// are shown, so that the batch never waits for the window.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

#include <mutex>

#include "common/text.h"
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

}  // namespace

struct TForm1::TLookupHandover {
  std::mutex Lock;
  TTextLines Resolved, Unresolved;
  int Done = 0;
  int Total = 0;
  bool Started = false;
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
    connect(FLookupTimer, &QTimer::timeout, this, [this] { ShowLookupResults(); });
  }
  FLookupTimer->start();
  // The batch appends to the result lists; an edit meanwhile would land between its lines.
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo})
    list->SetReadOnly(true, QStringLiteral("The lookup adds to this list; it can be edited when the lookup ends."));

  TReverseLookupEvents events;
  events.OnProgress = [handover](int done, int total) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Done = done;
    handover->Total = total;
    handover->Started = true;
  };
  events.OnResolved = [handover](const std::string& line) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Resolved.push_back(line);
  };
  events.OnUnresolved = [handover](const std::string& address, TLookupReason) {
    std::lock_guard<std::mutex> guard(handover->Lock);
    handover->Unresolved.push_back(address);
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
        } catch (const std::exception& e) {
          const QString message = QString::fromStdString(e.what());
          thread.Synchronize([this, message] { ErrorMessage(message); });
        }
      },
      [this] { OnEndLookup(); });
}

void TForm1::ShowLookupResults() {
  if (!FLookupHandover) return;
  TLookupHandover& handover = *FLookupHandover;
  TTextLines resolved, unresolved;
  int done, total;
  bool started;
  QString warnings;
  {
    std::lock_guard<std::mutex> guard(handover.Lock);
    std::swap(resolved, handover.Resolved);
    std::swap(unresolved, handover.Unresolved);
    done = handover.Done;
    total = handover.Total;
    started = handover.Started;
    warnings.swap(handover.Warnings);
  }
  if (!resolved.empty()) ResolvedMemo->AppendLines(resolved);
  if (!unresolved.empty()) UnresolvedMemo->AppendLines(unresolved);
  if (started) {
    LookupProgressBar->setRange(0, std::max(total, 1));
    LookupProgressBar->setValue(done);
    LookupCountLabel->setText(QString::fromStdString(FormatCount(done)));
  }
  if (!warnings.isEmpty()) StatusLabel->setText(warnings);
}

void TForm1::OnEndLookup() {
  FLookupTimer->stop();
  ShowLookupResults();
  FLookupHandover.reset();
  FDNSRunning = false;
  ReverseLookupButton->setEnabled(true);
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo}) list->SetReadOnly(false);
  CloseIfAsked();
}

}  // namespace korrin
