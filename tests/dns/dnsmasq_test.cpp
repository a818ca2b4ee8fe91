#include <gtest/gtest.h>

#include "dns/reverse_lookup.h"
#include "tests/dns/dnsmasq_process.h"

namespace korrin {
namespace {

using test::TDnsmasqProcess;

TEST(ReverseLookupWithDnsmasq, ResolvesWhatTheServerKnows) {
  const TDnsmasqProcess dnsmasq({
      "--ptr-record=1.0.0.10.in-addr.arpa,host1.lan",
      "--ptr-record=2.0.0.10.in-addr.arpa,host2.lan",
      "--host-record=host5.lan,10.0.0.5",
      "--host-record=v6a.lan,2001:db8::1",
      "--ptr-record=f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa,v6ff.lan",
  });
  if (dnsmasq.Unavailable()) GTEST_SKIP() << dnsmasq.Problem();
  ASSERT_TRUE(dnsmasq.Ready()) << dnsmasq.Problem();

  TReverseLookup batch;
  batch.Resolver().SetWaitingTime(2000);
  std::vector<std::string> resolved, unresolved;
  TReverseLookupEvents events;
  events.OnResolved = [&](const std::string& line) { resolved.push_back(line); };
  events.OnUnresolved = [&](const std::string& address) { unresolved.push_back(address); };
  batch.SetEvents(events);
  batch.Lookup({"10.0.0.1", "mail 10.0.0.2 US", "10.0.0.2:8080", "10.0.0.3", "10.0.0.5:80", "[2001:db8::1]:53",
                "2001:db8::2", "2001:DB8::FF", "10.0.0.1"},
               {"127.0.0.77", "127.0.0.77:53"});
  EXPECT_EQ(resolved, (std::vector<std::string>{"10.0.0.1,host1.lan", "10.0.0.2,host2.lan", "10.0.0.5,host5.lan",
                                                "2001:db8::1,v6a.lan", "2001:DB8::FF,v6ff.lan", "10.0.0.1,host1.lan"}));
  EXPECT_EQ(unresolved, (std::vector<std::string>{"10.0.0.3", "2001:db8::2"}));
}

}  // namespace
}  // namespace korrin
