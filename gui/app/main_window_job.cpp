// The generation job of the main window: preparing it, running it on its thread, reporting its
// outcome and delivering its lines, and closing the window only once the work has ended.
#include <QCloseEvent>
#include <QCoreApplication>

#include "common/text.h"
#include "generator/generation_engine.h"
#include "gui/app/main_window.h"
#include "gui/app/progress_tracker.h"
#include "gui/app/worker_thread.h"
#include "gui/forms/browse_button.h"
#include "gui/forms/line_list_edit.h"
#include "gui/forms/link_label.h"

namespace korrin {

void TForm1::ProgressBeforeStart(bool& Allow) {
  try {
    Allow = CopySettingsToUtils();
  } catch (const std::exception& e) {
    Allow = false;
    ErrorMessage(QString::fromStdString(e.what()));
  }
  if (!Allow) return;
  SaveSettingsBeforeStart();
  FStartHadFocus = StartButton->hasFocus();
  SetRunning(true);
  FRunFailed = false;
  FUtils->IPList() = FUtils->Append() ? OutputMemo->Lines() : TTextLines();
}

void TForm1::OnStartProcess() {
  TKorrinThread::Create(
      this, [this] { ++FActiveThreads; }, [this](TKorrinThread& thread) { DoProcess(thread); },
      [this] {
        if (--FActiveThreads == 0) FProgress->EndProgress();
      });
}

void TForm1::DoProcess(TKorrinThread& Thread) {
  bool succeeded = false;
  try {
    FActionResult.clear();
    FUtils->PerformGenerateIPList(FActionResult);
    succeeded = true;
  } catch (const std::exception& e) {
    FActionResult = e.what();
    Thread.Synchronize([this] { ShowActionError(); });
  } catch (...) {
    FActionResult.clear();
    Thread.Synchronize([this] { ShowActionError(); });
  }
  if (FProgress->Terminated()) Thread.Synchronize([this] { ShowActionTerminated(); });
  else if (succeeded) Thread.Synchronize([this] { ShowActionResult(); });
}

void TForm1::ShowActionResult() {
  // Lines that could not be read, lines that repeat addresses, and a database whose records
  // hold no country code are named after the result, which stays as it is.
  std::string status = FActionResult;
  for (const std::string& note : {SkippedLinesSummary(*FUtils), OverlapsSummary(*FUtils), FUtils->MMDBWarning()})
    if (!note.empty()) status += " " + note;
  FProgress->SetStatus(GroupCounts(status));
}

void TForm1::ShowActionError() {
  FRunFailed = true;
  FProgress->SetStatus(FActionResult.empty() ? std::string("Failed.") : GroupCounts(FActionResult));
  ErrorMessage(QString::fromStdString(FProgress->Status()));
}

void TForm1::ShowActionTerminated() { FProgress->SetStatus("Terminated."); }

void TForm1::ShowStatus(const QString& Text) {
  FProgress->SetStatus(Text.toStdString());
  StatusLabel->setText(Text);
}

void TForm1::ProgressAfterStop() {
  // The window holds the lines now; the next start copies them back.
  if (FRunFailed) CloseIfAsked();
  else DeliverLines(std::move(FUtils->IPList()));
  FUtils->IPList().clear();
  SetRunning(false);
  // A Return after the run would otherwise land in whatever took the focus meanwhile.
  if (FStartHadFocus) StartButton->setFocus();
}

void TForm1::SetRunning(bool Running) {
  StartButton->setEnabled(!Running);
  BreakButton->setEnabled(Running);
  // The run's lines replace the list when it ends: an edit meanwhile would be lost.
  OutputMemo->SetReadOnly(Running, QStringLiteral("The list is being generated; it can be edited when the run ends."));
  ClearOutputButton->setEnabled(!Running);
  ShuffleButton->setEnabled(!Running);
}

void TForm1::DeliverLines(TTextLines Lines) {
  OutputMemo->SetLines(std::move(Lines));
  UpdateIPsCount();
  CloseIfAsked();
}

bool TForm1::Busy() const { return FActiveThreads > 0 || FDNSRunning; }

void TForm1::EndWork() {
  if (FActiveThreads > 0) FProgress->SetTerminated(true);
  BreakLookup();
  while (FActiveThreads > 0 || FDNSRunning) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Busy()) {
    // The work ends at its next check; the main loop keeps serving its calls meanwhile, and its
    // end makes the close again.
    FClosing = true;
    if (FActiveThreads > 0) FProgress->SetTerminated(true);
    BreakLookup();
    // A lookup ends once its queries in flight are dropped; say why the window stays meanwhile.
    if (FDNSRunning) ShowStatus(QStringLiteral("Closing when the running DNS query ends..."));
    event->ignore();
    return;
  }
  FClosing = true;
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    ErrorMessage(QString::fromStdString(e.what()));
  }
  event->accept();
}

void TForm1::CloseIfAsked() {
  if (FClosing && !Busy())
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

}  // namespace korrin
