#include <gtest/gtest.h>

#include "dns/reverse_lookup.h"
#include "tests/dns/dnsmasq_process.h"

namespace korrin {
namespace {

using test::TDnsmasqProcess;
using TLines = std::vector<std::string>;

struct TLists {
  TLines Resolved, Unresolved;
};

TLists Resolve(const TLines& lines, int parallel) {
  TReverseLookup batch;
  batch.Options().WaitingTime = 2000;
  batch.Options().Parallel = parallel;
  TLists lists;
  TReverseLookupEvents events;
  events.OnResolved = [&](const std::string& line) { lists.Resolved.push_back(line); };
  events.OnUnresolved = [&](const std::string& address, TLookupReason reason) {
    lists.Unresolved.push_back(address + "," + ReasonText(reason));
  };
  batch.SetEvents(events);
  batch.Lookup(lines, {TDnsmasqProcess::kAddress, std::string(TDnsmasqProcess::kAddress) + ":53"});
  return lists;
}

// A PTR answer too long for a datagram: four names of about 200 bytes each.
std::vector<std::string> LongNames() {
  std::vector<std::string> records;
  for (char c : {'a', 'b', 'c', 'd'})
    records.push_back("--ptr-record=9.9.0.10.in-addr.arpa," + std::string(60, c) + "." + std::string(60, c) + "." +
                      std::string(60, c) + ".lan");
  return records;
}

TEST(ReverseLookupWithDnsmasq, ResolvesWhatTheServerKnows) {
  std::vector<std::string> records = {
      "--ptr-record=1.0.0.10.in-addr.arpa,host1.lan",
      "--ptr-record=2.0.0.10.in-addr.arpa,host2.lan",
      "--host-record=host5.lan,10.0.0.5",
      "--host-record=v6a.lan,2001:db8::1",
      "--ptr-record=f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa,v6ff.lan",
  };
  for (const std::string& record : LongNames()) records.push_back(record);
  const TDnsmasqProcess dnsmasq(records);
  if (dnsmasq.Unavailable()) GTEST_SKIP() << dnsmasq.Problem();
  ASSERT_TRUE(dnsmasq.Ready()) << dnsmasq.Problem();

  TLists lists = Resolve({"10.0.0.1", "mail 10.0.0.2 US", "10.0.0.2:8080", "10.0.0.3", "10.0.0.5:80",
                          "[2001:db8::1]:53", "2001:db8::2", "2001:DB8::FF", "10.0.0.1", "10.0.9.9"},
                         64);
  ASSERT_EQ(lists.Resolved.size(), 7u);
  // Only TCP carries an answer this long whole; any of its names is the first record.
  const std::string longName = lists.Resolved.back().substr(std::string("10.0.9.9,").size());
  EXPECT_EQ(longName.size(), 3 * 61 + 3u) << longName;
  lists.Resolved.pop_back();
  EXPECT_EQ(lists.Resolved, (TLines{"10.0.0.1,host1.lan", "10.0.0.2,host2.lan", "10.0.0.5,host5.lan",
                                    "2001:db8::1,v6a.lan", "2001:DB8::FF,v6ff.lan", "10.0.0.1,host1.lan"}));
  EXPECT_EQ(lists.Unresolved, (TLines{"10.0.0.3,NXDOMAIN", "2001:db8::2,NXDOMAIN"}));
}

TEST(ReverseLookupWithDnsmasq, OneOrManyQueriesInFlightGiveTheSameLists) {
  std::vector<std::string> records;
  for (int i = 0; i < 256; i += 3)
    records.push_back("--ptr-record=" + std::to_string(i) + ".1.0.10.in-addr.arpa,host" + std::to_string(i) + ".lan");
  const TDnsmasqProcess dnsmasq(records);
  if (dnsmasq.Unavailable()) GTEST_SKIP() << dnsmasq.Problem();
  ASSERT_TRUE(dnsmasq.Ready()) << dnsmasq.Problem();
  TLines lines;
  for (int i = 0; i < 600; ++i) lines.push_back("name" + std::to_string(i) + " 10.0.1." + std::to_string(i % 256));
  const TLists one = Resolve(lines, 1), many = Resolve(lines, 64);
  EXPECT_EQ(one.Resolved.size(), 86u + 86u + 30u);  // every third of 0-255, twice, and of 0-87
  EXPECT_EQ(one.Resolved.size() + one.Unresolved.size(), 600u);
  EXPECT_EQ(many.Resolved, one.Resolved);
  EXPECT_EQ(many.Unresolved, one.Unresolved);
}

}  // namespace
}  // namespace korrin
