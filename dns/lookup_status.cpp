#include "dns/lookup_status.h"

#include "common/text.h"

namespace korrin {

namespace {

// A server's answer of any kind, as opposed to a wait that ran out or a query never sent.
bool ServerAnswered(TLookupReason reason) {
  return reason != TLookupReason::Timeout && reason != TLookupReason::Unreachable && reason != TLookupReason::NoAddress;
}

std::string Seconds(int32_t ms) { return ms % 1000 == 0 ? Format("%d s", ms / 1000) : Format("%.1f s", ms / 1000.0); }

}  // namespace

void TLookupStatus::Ended(TLookupReason reason, int64_t nowMs) {
  if (ServerAnswered(reason)) FLastAnswerMs = nowMs;
}

void TLookupStatus::Reported(TLookupReason reason) {
  const auto index = static_cast<size_t>(reason);
  if (index < kReasons) ++FByReason[index];
  ++FDone;
}

std::string TLookupStatus::Text(TLookupPhase phase, int64_t nowMs) const {
  const char* head = phase == TLookupPhase::Running   ? "Looking up "
                     : phase == TLookupPhase::Stopped ? "Stopped after "
                                                      : "Looked up ";
  std::string text = head + FormatCount(FDone) + " of " + FormatCount(FTotal);
  const char* separator = ": ";
  for (size_t i = 0; i < kReasons; ++i) {
    if (FByReason[i] == 0) continue;
    const auto reason = static_cast<TLookupReason>(i);
    const char* word = reason == TLookupReason::Resolved  ? "resolved"
                       : reason == TLookupReason::Timeout ? "timed out"
                                                          : ReasonText(reason);
    text += separator + FormatCount(FByReason[i]) + " " + word;
    separator = ", ";
  }
  if (phase == TLookupPhase::Running && FDone < FTotal && nowMs - FLastAnswerMs >= FWaitingMs)
    text += "\nNo DNS server has answered for " + Seconds(FWaitingMs) + ": the queries are timing out";
  return text;
}

}  // namespace korrin
