// The reverse lookup area of the main window.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "app/worker_thread.h"
#include "app/main_window.h"
#include "app/memo_lines.h"
#include "forms/line_list_edit.h"
#include "common/text.h"
#include "dns/reverse_lookup.h"
#include "dns/reverse_lookup_lists.h"
#include "forms/browse_button.h"
#include "forms/link_label.h"

namespace korrin {

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

void TForm1::ResolveIPList(const std::vector<std::string>& OutputLines, const std::vector<std::string>& Servers) {
  FDNSBreak = false;
  FDNSRunning = true;
  ReverseLookupButton->setEnabled(false);
  // The batch appends to the result lists; an edit meanwhile would land between its lines.
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo}) list->SetReadOnly(true);
  TKorrinThread::Create(
      this, {},
      [this, OutputLines, Servers](TKorrinThread& thread) {
        auto sync = [&thread](const std::function<void()>& call) { thread.Synchronize(call); };
        TReverseLookupEvents events;
        events.OnProgress = [this, sync](int done, int total) {
          sync([this, done, total] {
            if (done == 0) LookupProgressBar->setRange(0, std::max(total, 1));
            LookupProgressBar->setValue(done);
            LookupCountLabel->setText(QString::fromStdString(FormatCount(done)));
          });
        };
        // The break flag belongs to the window; it is read on the window's thread.
        events.OnProcessEvents = [this, sync] {
          bool stop = false;
          sync([this, &stop] { stop = FDNSBreak; });
          if (stop) FLookup->Break();
        };
        events.OnResolved = [this, sync](const std::string& line) {
          sync([this, &line] { ResolvedMemo->AppendLines({line}); });
        };
        events.OnUnresolved = [this, sync](const std::string& address) {
          sync([this, &address] { UnresolvedMemo->AppendLines({address}); });
        };
        FLookup->SetEvents(std::move(events));
        try {
          FLookup->Lookup(OutputLines, Servers);
        } catch (const std::exception& e) {
          const QString message = QString::fromStdString(e.what());
          sync([this, message] { ErrorMessage(message); });
        }
      },
      [this] { OnEndLookup(); });
}

void TForm1::OnEndLookup() {
  FDNSRunning = false;
  ReverseLookupButton->setEnabled(true);
  for (TLineListEdit* list : {ResolvedMemo, UnresolvedMemo}) list->SetReadOnly(false);
  CloseIfAsked();
}

}  // namespace korrin
