// The status line of a lookup batch: counts per reason in a fixed order, the phase's words, and
// the warning that appears once no server has answered for a query's wait, and only then.
#include "dns/lookup_status.h"

#include <gtest/gtest.h>

#include <vector>

namespace korrin {
namespace {

using R = TLookupReason;

TEST(LookupStatus, CountsEachReasonInTheWordsOfThePhase) {
  struct TCase {
    std::vector<R> Reported;
    TLookupPhase Phase;
    const char* Text;
  };
  const TCase cases[] = {
      {{}, TLookupPhase::Running, "Looking up 0 of 12,000"},
      {{R::NXDomain, R::Resolved, R::Timeout, R::Resolved},
       TLookupPhase::Running,
       "Looking up 4 of 12,000: 2 resolved, 1 timed out, 1 NXDOMAIN"},
      {{R::Timeout, R::Refused, R::NoPTR, R::BadReply, R::NoAddress, R::Unreachable},
       TLookupPhase::Stopped,
       "Stopped after 6 of 12,000: 1 timed out, 1 unreachable, 1 REFUSED, 1 bad reply, 1 no PTR, 1 no address"},
      {{R::ServFail, R::FormErr, R::NotImp},
       TLookupPhase::Finished,
       "Looked up 3 of 12,000: 1 FORMERR, 1 SERVFAIL, 1 NOTIMP"},
  };
  for (const TCase& c : cases) {
    TLookupStatus status(12000, 5000, 0);
    for (R reason : c.Reported) {
      status.Ended(reason, 0);
      status.Reported(reason);
    }
    EXPECT_EQ(status.Text(c.Phase, 100), c.Text);
  }
}

TEST(LookupStatus, WarnsOnceNoServerHasAnsweredForAWait) {
  struct TCase {
    std::vector<R> Ended;  // all at 1000 ms
    TLookupPhase Phase;
    int64_t Now;
    const char* Text;
  };
  const char* kWarning = "Looking up 0 of 10\nNo DNS server has answered for 1.5 s: the queries are timing out";
  const TCase cases[] = {
      {{}, TLookupPhase::Running, 1499, "Looking up 0 of 10"},
      {{}, TLookupPhase::Running, 1500, kWarning},
      // Timeouts and unreachable servers are no answer; a refusal is one.
      {{R::Timeout, R::Unreachable, R::NoAddress}, TLookupPhase::Running, 1500, kWarning},
      {{R::Refused}, TLookupPhase::Running, 1500, "Looking up 0 of 10"},
      {{R::Refused}, TLookupPhase::Running, 2500, kWarning},
      // Only while it runs.
      {{}, TLookupPhase::Stopped, 9000, "Stopped after 0 of 10"},
      {{}, TLookupPhase::Finished, 9000, "Looked up 0 of 10"},
  };
  for (const TCase& c : cases) {
    TLookupStatus status(10, 1500, 0);
    for (R reason : c.Ended) status.Ended(reason, 1000);
    EXPECT_EQ(status.Text(c.Phase, c.Now), c.Text) << c.Now;
  }
}

TEST(LookupStatus, NoWarningWhenEveryAddressIsDone) {
  TLookupStatus status(1, 5000, 0);
  status.Ended(R::Timeout, 5000);
  status.Reported(R::Timeout);
  EXPECT_EQ(status.Text(TLookupPhase::Running, 20000), "Looking up 1 of 1: 1 timed out");
}

}  // namespace
}  // namespace korrin
