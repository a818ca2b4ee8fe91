#include "dns/reverse_lookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "dns/dns_error.h"
#include "dns/dns_record.h"
#include "dns/reverse_lookup_lists.h"
#include "tests/dns/delaying_proxy.h"
#include "tests/support/fake_dns_server.h"
#include "tests/support/silent_server.h"

namespace korrin {
namespace {

using namespace test;
using std::chrono::milliseconds;
using TLines = std::vector<std::string>;

TEST(ReverseLookupLists, FindsTheAddressWhateverTheDelimiter) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"10.0.0.1", " ", "10.0.0.1"},
      {"mail1 10.0.0.1", " ", "10.0.0.1"},
      {"10.0.0.1 US", " ", "10.0.0.1"},
      {"mail1 10.0.0.1 US", " ", "10.0.0.1"},
      {"10.0.0.1 us", " ", "10.0.0.1"},
      {"10.0.0.1:8080", " ", "10.0.0.1"},
      {"mail1 10.0.0.1:80 DE", " ", "10.0.0.1"},
      {"  mail1  10.0.0.1  ", " ", "10.0.0.1"},
      {"\xEF\xBB\xBFmail1 10.0.0.1", " ", "10.0.0.1"},
      {"mail1\t10.0.0.1:80\tUS", "\t", "10.0.0.1"},
      {"mail1\t10.0.0.1", " ", "10.0.0.1"},
      {"mail1,10.0.0.1,US", ",", "10.0.0.1"},
      {"mail1;[2001:db8::1]:443;US", ";", "2001:db8::1"},
      {"mail1 | 10.0.0.1 | US", "|", "10.0.0.1"},
      {"mail1::10.0.0.1", "::", "10.0.0.1"},
      {"mail1,10.0.0.1", " ", ""},  // commas are no field boundary unless chosen
      {"2001:db8::1", " ", "2001:db8::1"},
      {"mail1 2001:DB8::1 US", " ", "2001:DB8::1"},
      {"[2001:db8::1]", " ", "2001:db8::1"},
      {"mail1 [::1]:53 DE", " ", "::1"},
      {"::ffff:10.0.0.1", " ", "::ffff:10.0.0.1"},
      {"1.2.3.4.example 10.0.0.9", " ", "10.0.0.9"},
      {"0x10.1.2.3", " ", ""},
      {"1.2.3.4.5", " ", ""},
      {"1.2.3.256", " ", ""},
      {"dead:beef", " ", ""},
      {"host:80", " ", ""},
      {"[10.0.0.1", " ", ""},
      {"", " ", ""},
  };
  for (const auto& [line, delimiter, address] : cases)
    EXPECT_EQ(AddressFromOutputLine(line, delimiter), address) << line << " / " << delimiter;
}

TEST(ReverseLookupLists, ListsLinesWithoutAnAddressUnderTheirOwnText) {
  const TLines lines = {"1.2.3.4:80", "1.2.3.4:3128",      "5.6.7.8",         "1.2.3.4",           "",
                        "  ",         "mail1 10.0.0.1",    "10.0.0.1 US",     "mail1 10.0.0.1 US", "[::1]:80",
                        "::1",        " no address here ", "no address here", "10.0.0.1"};
  EXPECT_EQ(ReverseLookupAddresses(lines),
            (TLines{"1.2.3.4", "5.6.7.8", "1.2.3.4", "10.0.0.1", "::1", "no address here", "10.0.0.1"}));
  EXPECT_EQ(ReverseLookupServers({"a", "", " ", "\tb ", "127.0.0.93\t"}), (TLines{"a", "b", "127.0.0.93"}));
}

TEST(ReverseLookupLists, SplitsServerTextsIntoHostAndPort) {
  const std::tuple<const char*, const char*, uint16_t> good[] = {
      {"127.0.0.1", "127.0.0.1", 53},
      {"127.0.0.1:5353", "127.0.0.1", 5353},
      {"[::1]:5353", "::1", 5353},
      {"[::1]", "::1", 53},
      {"::1", "::1", 53},
      {"2001:db8::53", "2001:db8::53", 53},
      {"dns.example:54", "dns.example", 54},
  };
  for (const auto& [text, host, port] : good) {
    const TDnsServer server = SplitServerText(text);
    EXPECT_EQ(server.Host, host) << text;
    EXPECT_EQ(server.Port, port) << text;
  }
  for (const char* bad :
       {"127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:", "127.0.0.1:x", "[::1", "[::1]53", "[::1]:", "[]:53", ":53", "",
        "999.8.8.8", "1.2.3.4.5:53", "127.0.0.1.:53", "[1::2::3]:53", "1:2:3:4:5:6:7:8:9", "[127.0.0.1.5]"})
    EXPECT_THROW(SplitServerText(bad), EDnsError) << bad;
}

TEST(ReverseLookupLists, ReadsTheNameServersOfResolvConf) {
  EXPECT_EQ(ResolvConfServers({"# comment", "search lan", "nameserver 10.0.0.53", "  nameserver\t::1 # local",
                               "nameserverx 1.1.1.1", ";nameserver 9.9.9.9", "nameserver", "nameserver fe80::1%eth0"}),
            (TLines{"10.0.0.53", "::1", "fe80::1%eth0"}));
}

// A fake server whose every answer names it.
std::unique_ptr<TFakeDnsServer> NamedServer(const std::string& name) {
  return std::make_unique<TFakeDnsServer>([name](const TBytes& q) {
    const TBytes reply =
        Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q), Record({0xC0, 12}, kDnsTypePTR, WireName(name))});
    return std::vector<TFakeDatagram>{{reply}};
  });
}

// A server that answers each address with its own name, "h<last octet>.example".
std::unique_ptr<TFakeDnsServer> EchoingServer() {
  return std::make_unique<TFakeDnsServer>([](const TBytes& q) {
    const std::string name = QuestionName(q);
    const TBytes reply =
        Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
             Record({0xC0, 12}, kDnsTypePTR, WireName("h" + name.substr(0, name.find('.')) + ".example"))});
    return std::vector<TFakeDatagram>{{reply}};
  });
}

using test::TSilentServer;

// A loopback port with nothing behind it: the kernel reports it unreachable at once.
std::string ClosedPort() {
  const TSilentServer taken;
  return taken.Address();  // closed when `taken` goes
}

struct TBatchLog {
  TLines Resolved, Unresolved;
  std::vector<std::pair<int, int>> Progress;
};

TReverseLookupEvents Logging(TBatchLog& log) {
  TReverseLookupEvents events;
  events.OnProgress = [&log](int done, int total) { log.Progress.emplace_back(done, total); };
  events.OnResolved = [&log](const std::string& line) { log.Resolved.push_back(line); };
  events.OnUnresolved = [&log](const std::string& address, TLookupReason reason) {
    log.Unresolved.push_back(address + "," + ReasonText(reason));
  };
  return events;
}

TLines Addresses(int count) {
  TLines lines;
  for (int i = 1; i <= count; ++i) lines.push_back("10.0.0." + std::to_string(i));
  return lines;
}

TEST(ReverseLookup, ServersTakeTurnsWhateverTheQueriesInFlight) {
  for (const int parallel : {1, 64}) {
    SCOPED_TRACE(parallel);
    const auto s1 = NamedServer("s1.example"), s2 = NamedServer("s2.example"), s3 = NamedServer("s3.example");
    TReverseLookup batch;
    batch.Options().WaitingTime = 500;
    batch.Options().Parallel = parallel;
    TBatchLog log;
    batch.SetEvents(Logging(log));
    const auto summary =
        batch.Lookup({"10.0.0.1", "10.0.0.2:80", "10.0.0.2:81", "mail 10.0.0.3 US", "10.0.0.4", "10.0.0.5"},
                     {s1->Address(), "", s2->Address(), s3->Address()});
    EXPECT_EQ(log.Resolved, (TLines{"10.0.0.1,s1.example", "10.0.0.2,s2.example", "10.0.0.3,s3.example",
                                    "10.0.0.4,s1.example", "10.0.0.5,s2.example"}));
    EXPECT_TRUE(log.Unresolved.empty());
    EXPECT_EQ(s1->Queries().size(), 2u);
    EXPECT_EQ(QuestionName(s3->Queries().at(0)), "3.0.0.10.in-addr.arpa");
    EXPECT_EQ(log.Progress, (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    EXPECT_TRUE(summary.Warnings.empty());
    EXPECT_FALSE(summary.NoServerAnswered);
  }
}

TEST(ReverseLookup, EveryFailureCountsAsUnresolvedWithItsReason) {
  const auto good = NamedServer("good.example");
  const auto emptyName = NamedServer("");
  const auto refusing = std::make_unique<TFakeDnsServer>([](const TBytes& q) {
    return std::vector<TFakeDatagram>{{Cat({Header(QueryId(q), 0x8185, 1, 0, 0, 0), Question(q)})}};
  });
  const auto noSuchName = std::make_unique<TFakeDnsServer>([](const TBytes& q) {
    return std::vector<TFakeDatagram>{{Cat({Header(QueryId(q), 0x8183, 1, 0, 0, 0), Question(q)})}};
  });
  TReverseLookup batch;
  batch.Options().WaitingTime = 200;
  TBatchLog log;
  batch.SetEvents(Logging(log));
  // The fifth server is mistyped: its address goes to the next server, and a warning names it.
  const auto summary = batch.ResolveIPList(
      {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5", "1::2::3", "mail1"},
      {good->Address(), emptyName->Address(), refusing->Address(), noSuchName->Address(), "127.0.0.1:99999"});
  EXPECT_EQ(log.Resolved, (TLines{"10.0.0.1,good.example", "10.0.0.5,good.example"}));
  EXPECT_EQ(log.Unresolved, (TLines{"10.0.0.2,no PTR", "10.0.0.3,REFUSED", "10.0.0.4,NXDOMAIN", "1::2::3,no address",
                                    "mail1,no address"}));
  EXPECT_EQ(summary.Warnings, (TLines{"Invalid DNS server. 127.0.0.1:99999"}));
}

TEST(ReverseLookup, ResultsComeOutInInputOrderHoweverLateTheirAnswers) {
  const auto server = EchoingServer();
  // The earlier the address, the later its answer.
  TDelayingProxy proxy("127.0.0.1", server->Port(), [](const std::string& name, int) {
    return TProxyVerdict{false, milliseconds(10 * (21 - std::stoi(name.substr(0, name.find('.')))))};
  });
  TReverseLookup batch;
  batch.Options().WaitingTime = 2000;
  TBatchLog log;
  batch.SetEvents(Logging(log));
  batch.Lookup(Addresses(20), {proxy.Address()});
  TLines expected;
  for (int i = 1; i <= 20; ++i)
    expected.push_back("10.0.0." + std::to_string(i) + ",h" + std::to_string(i) + ".example");
  EXPECT_EQ(log.Resolved, expected);
  EXPECT_EQ(log.Progress.back(), std::make_pair(20, 20));
}

TEST(ReverseLookup, AsksAgainAfterALostDatagram) {
  const auto server = EchoingServer();
  for (const int retries : {1, 0}) {
    SCOPED_TRACE(retries);
    // The first query for each name is lost; the second comes through.
    TDelayingProxy lossy("127.0.0.1", server->Port(), [](const std::string&, int askedBefore) {
      return TProxyVerdict{askedBefore == 0, {}};
    });
    TReverseLookup batch;
    batch.Options().WaitingTime = 200;
    batch.Options().Retries = retries;
    TBatchLog log;
    batch.SetEvents(Logging(log));
    const auto summary = batch.Lookup(Addresses(retries == 0 ? 2 : 3), {lossy.Address()});
    if (retries == 0) {
      EXPECT_EQ(log.Unresolved, (TLines{"10.0.0.1,timeout", "10.0.0.2,timeout"}));
      EXPECT_TRUE(summary.NoServerAnswered);
      EXPECT_EQ(summary.Warnings, (TLines{"DNS server " + lossy.Address() + " answered no query"}));
    } else {
      EXPECT_EQ(log.Resolved, (TLines{"10.0.0.1,h1.example", "10.0.0.2,h2.example", "10.0.0.3,h3.example"}));
      EXPECT_TRUE(summary.Warnings.empty());
    }
  }
}

TEST(ReverseLookup, TakesTheShareOfDeadServersToTheNextAndNamesThem) {
  const auto good = EchoingServer();
  const TSilentServer silent;
  const std::string closed = ClosedPort();
  for (const int retries : {2, 0}) {
    SCOPED_TRACE(retries);
    TReverseLookup batch;
    batch.Options().WaitingTime = 200;
    batch.Options().Retries = retries;
    TBatchLog log;
    batch.SetEvents(Logging(log));
    const auto summary = batch.Lookup(Addresses(6), {good->Address(), silent.Address(), closed});
    if (retries == 2) {
      EXPECT_EQ(log.Resolved.size(), 6u);
      EXPECT_TRUE(log.Unresolved.empty());
    } else {
      EXPECT_EQ(log.Unresolved,
                (TLines{"10.0.0.2,timeout", "10.0.0.3,unreachable", "10.0.0.5,timeout", "10.0.0.6,unreachable"}));
    }
    EXPECT_EQ(summary.Warnings, (TLines{"DNS server " + silent.Address() + " answered no query",
                                        "DNS server " + closed + " answered no query"}));
    EXPECT_FALSE(summary.NoServerAnswered);
  }
  TReverseLookup batch;
  batch.Options().WaitingTime = 100;
  EXPECT_TRUE(batch.Lookup(Addresses(2), {silent.Address(), closed}).NoServerAnswered);
}

TEST(ReverseLookup, BreakStopsSendingAndKeepsWhatEnded) {
  for (const int parallel : {1, 64}) {
    SCOPED_TRACE(parallel);
    const auto server = NamedServer("h.example");
    TReverseLookup batch;
    batch.Options().Parallel = parallel;
    TBatchLog log;
    TReverseLookupEvents events = Logging(log);
    events.OnProcessEvents = [&] {
      if (log.Progress.back().first == 3) batch.Break();
    };
    batch.SetEvents(events);
    const auto summary = batch.Lookup(Addresses(5), {server->Address()});
    EXPECT_TRUE(summary.Broken);
    if (parallel == 1) {
      // One at a time: the query in progress completes, no further query is made.
      EXPECT_EQ(log.Resolved.size(), 3u);
      EXPECT_EQ(log.Progress.back(), std::make_pair(3, 5));
      EXPECT_EQ(server->Queries().size(), 3u);
    } else {
      EXPECT_GE(log.Resolved.size(), 3u);
      EXPECT_EQ(log.Resolved.front(), "10.0.0.1,h.example");
    }

    // The next batch starts afresh.
    batch.SetEvents(Logging(log));
    EXPECT_FALSE(batch.Lookup({"10.0.0.9"}, {server->Address()}).Broken);
    EXPECT_EQ(log.Resolved.back(), "10.0.0.9,h.example");
  }
}

TEST(ReverseLookup, KeepsToTheRate) {
  const auto server = NamedServer("h.example");
  TReverseLookup batch;
  batch.Options().Rate = 100;
  TBatchLog log;
  batch.SetEvents(Logging(log));
  const auto start = std::chrono::steady_clock::now();
  batch.Lookup(Addresses(21), {server->Address()});
  // 21 sends at 100 a second: the last no sooner than 200 ms after the first.
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(190));
  EXPECT_EQ(log.Resolved.size(), 21u);
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
  const auto summary = batch.Lookup({}, {"127.0.0.1"});
  EXPECT_EQ(log.Progress, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_TRUE(log.Resolved.empty() && log.Unresolved.empty());
  EXPECT_FALSE(summary.NoServerAnswered);
}

}  // namespace
}  // namespace korrin
