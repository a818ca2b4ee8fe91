#include "dns/reverse_lookup.h"

#include <gtest/gtest.h>

#include <memory>

#include "dns/dns_error.h"
#include "dns/reverse_lookup_lists.h"
#include "tests/dns/fake_dns_server.h"

namespace korrin {
namespace {

using namespace test;

TEST(ReverseLookupLists, TakesTheAddressOfEveryOutputLayout) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.0.0.1", "10.0.0.1"},
      {"mail1 10.0.0.1", "10.0.0.1"},
      {"10.0.0.1 US", "10.0.0.1"},
      {"mail1 10.0.0.1 US", "10.0.0.1"},
      {"10.0.0.1 us", "us"},
      {"10.0.0.1 USA", "USA"},
      {"10.0.0.1:8080", "10.0.0.1"},
      {"mail1 10.0.0.1:80 DE", "10.0.0.1"},
      {"mail1\t10.0.0.1:80", "mail1\t10.0.0.1"},
      {"mail1;10.0.0.1", "mail1;10.0.0.1"},
      {"2001:db8::1", "2001:db8::1"},
      {"mail1 2001:db8::1 US", "2001:db8::1"},
      {"[2001:db8::1]", "2001:db8::1"},
      {"[2001:db8::1]:443", "2001:db8::1"},
      {"mail1 [::1]:53 DE", "::1"},
      {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8"},
      {"host:80", "host"},
      {"mail1  10.0.0.1", ""},
      {"", ""},
  };
  for (const auto& [line, address] : cases) EXPECT_EQ(AddressFromOutputLine(line), address) << line;
}

TEST(ReverseLookupLists, SkipsEmptyAddressesAndRepeatedNeighbours) {
  const std::vector<std::string> lines = {"1.2.3.4:80", "1.2.3.4:3128", "5.6.7.8", "1.2.3.4", "",
                                          "mail1 10.0.0.1", "10.0.0.1 US", "mail1 10.0.0.1 US", "[::1]:80", "::1",
                                          "10.0.0.1"};
  EXPECT_EQ(ReverseLookupAddresses(lines),
            (std::vector<std::string>{"1.2.3.4", "5.6.7.8", "1.2.3.4", "10.0.0.1", "::1", "10.0.0.1"}));
  EXPECT_EQ(ReverseLookupServers({"a", "", " ", "\tb ", "127.0.0.93\t"}), (std::vector<std::string>{"a", "b", "127.0.0.93"}));
}

TEST(ReverseLookupLists, SplitsServerTextsIntoHostAndPort) {
  const std::tuple<const char*, const char*, uint16_t> good[] = {
      {"127.0.0.1", "127.0.0.1", 53},   {"127.0.0.1:5353", "127.0.0.1", 5353}, {"[::1]:5353", "::1", 5353},
      {"[::1]", "::1", 53},             {"::1", "::1", 53},                     {"2001:db8::53", "2001:db8::53", 53},
      {"dns.example:54", "dns.example", 54},
  };
  for (const auto& [text, host, port] : good) {
    const TDnsServer server = SplitServerText(text);
    EXPECT_EQ(server.Host, host) << text;
    EXPECT_EQ(server.Port, port) << text;
  }
  for (const char* bad : {"127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:", "127.0.0.1:x", "[::1", "[::1]53",
                          "[::1]:", "[]:53", ":53", ""})
    EXPECT_THROW(SplitServerText(bad), EDnsError) << bad;
}

// A fake server whose every answer names it: "sN.example".
std::unique_ptr<TFakeDnsServer> NamedServer(const std::string& name) {
  return std::make_unique<TFakeDnsServer>([name](const TBytes& q) {
    const TBytes reply = Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
                              Record({0xC0, 12}, kDnsTypePTR, WireName(name))});
    return std::vector<TFakeDatagram>{{reply}};
  });
}

struct TBatchLog {
  std::vector<std::string> Resolved, Unresolved;
  std::vector<std::pair<int, int>> Progress;
  int EventRounds = 0;
};

TReverseLookupEvents Logging(TBatchLog& log) {
  return {[&log](int done, int total) { log.Progress.emplace_back(done, total); }, [&log] { ++log.EventRounds; },
          [&log](const std::string& line) { log.Resolved.push_back(line); },
          [&log](const std::string& address) { log.Unresolved.push_back(address); }};
}

TEST(ReverseLookup, ServersTakeTurns) {
  const auto s1 = NamedServer("s1.example"), s2 = NamedServer("s2.example"), s3 = NamedServer("s3.example");
  TReverseLookup batch;
  batch.Resolver().SetWaitingTime(500);
  TBatchLog log;
  batch.SetEvents(Logging(log));
  batch.Lookup({"10.0.0.1", "10.0.0.2:80", "10.0.0.2:81", "mail 10.0.0.3 US", "10.0.0.4", "10.0.0.5"},
               {s1->Address(), "", s2->Address(), s3->Address()});
  EXPECT_EQ(log.Resolved, (std::vector<std::string>{"10.0.0.1,s1.example", "10.0.0.2,s2.example", "10.0.0.3,s3.example",
                                                    "10.0.0.4,s1.example", "10.0.0.5,s2.example"}));
  EXPECT_TRUE(log.Unresolved.empty());
  EXPECT_EQ(s1->Queries().size(), 2u);
  EXPECT_EQ(QuestionName(s3->Queries().at(0)), "3.0.0.10.in-addr.arpa");
  EXPECT_EQ(log.Progress, (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
  EXPECT_EQ(log.EventRounds, 6);
}

TEST(ReverseLookup, EveryFailureCountsAsUnresolved) {
  const auto good = NamedServer("good.example");
  const auto emptyName = NamedServer("");
  const auto refusing = std::make_unique<TFakeDnsServer>([](const TBytes& q) {
    return std::vector<TFakeDatagram>{{Cat({Header(QueryId(q), 0x8185, 1, 0, 0, 0), Question(q)})}};
  });
  TReverseLookup batch;
  batch.Resolver().SetWaitingTime(200);
  TBatchLog log;
  batch.SetEvents(Logging(log));
  batch.ResolveIPList({"10.0.0.1", "10.0.0.2", "10.0.0.3", "1::2::3", "10.0.0.5"},
                      {good->Address(), emptyName->Address(), refusing->Address(), good->Address(), "127.0.0.1:99999"});
  EXPECT_EQ(log.Resolved, (std::vector<std::string>{"10.0.0.1,good.example"}));
  EXPECT_EQ(log.Unresolved, (std::vector<std::string>{"10.0.0.2", "10.0.0.3", "1::2::3", "10.0.0.5"}));
}

TEST(ReverseLookup, BreakStopsBeforeTheNextQuery) {
  const auto server = NamedServer("h.example");
  TReverseLookup batch;
  TBatchLog log;
  TReverseLookupEvents events = Logging(log);
  events.OnProcessEvents = [&] {
    if (log.Progress.back().first == 3) batch.Break();
  };
  batch.SetEvents(events);
  batch.Lookup({"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"}, {server->Address()});
  EXPECT_EQ(log.Resolved.size(), 3u);
  EXPECT_EQ(log.Progress.back(), std::make_pair(3, 5));
  EXPECT_EQ(server->Queries().size(), 3u);

  // The next batch starts afresh.
  batch.SetEvents(Logging(log));
  batch.Lookup({"10.0.0.9"}, {server->Address()});
  EXPECT_EQ(log.Resolved.back(), "10.0.0.9,h.example");
}

TEST(ReverseLookup, NeedsAServerButNotAnAddress) {
  TReverseLookup batch;
  TBatchLog log;
  batch.SetEvents(Logging(log));
  try {
    batch.Lookup({"10.0.0.1"}, {"", ""});
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "No DNS Servers specified");
  }
  EXPECT_TRUE(log.Progress.empty());
  batch.Lookup({}, {"127.0.0.1"});
  EXPECT_EQ(log.Progress, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_TRUE(log.Resolved.empty() && log.Unresolved.empty());
}

}  // namespace
}  // namespace korrin
