#pragma once
// The status line of a running reverse lookup batch: how far it is, how many addresses ended for
// each reason, and a warning once no server has answered for a whole wait, so that a user
// watching a slow batch can tell servers that are timing out from a long list. Times are the
// caller's milliseconds of a steady clock, so that the text depends on no clock of its own.
#include <array>
#include <cstdint>
#include <string>

#include "dns/ptr_outcome.h"

namespace korrin {

enum class TLookupPhase : uint8_t { Running, Stopped, Finished };

class TLookupStatus {
 public:
  TLookupStatus(int total, int32_t waitingMs, int64_t startMs)
      : FTotal(total), FWaitingMs(waitingMs), FLastAnswerMs(startMs) {}

  // An address's lookup ended, in whatever order the answers came: any answer of a server counts
  // as one, whatever its response code.
  void Ended(TLookupReason reason, int64_t nowMs);
  // An address's result came out, in input order, into one of the lists.
  void Reported(TLookupReason reason);

  int Done() const { return FDone; }
  int Total() const { return FTotal; }

  // "Looking up 12 of 100: 5 resolved, 3 timed out, 4 NXDOMAIN" while running, with a second
  // line once no server has answered for a wait; "Stopped after 12 of 100: ..." and
  // "Looked up 100 of 100: ..." when it has ended.
  std::string Text(TLookupPhase phase, int64_t nowMs) const;

 private:
  static constexpr size_t kReasons = static_cast<size_t>(TLookupReason::NoAddress) + 1;

  int FTotal;
  int32_t FWaitingMs;
  int64_t FLastAnswerMs;
  int FDone = 0;
  std::array<int, kReasons> FByReason{};
};

}  // namespace korrin
