// The batch's own handling of what servers send back: every crafted reply ends its address as
// it should (a host name or the reason a user reads), an answer cut to fit a datagram is fetched
// over TCP without holding up the other queries, and the batch keeps within the open-file limit.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>
#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

#include "common/exception.h"
#include "dns/dns_record.h"
#include "dns/reverse_lookup.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_dns_server.h"

namespace korrin {
namespace {

using namespace test;

constexpr int32_t kShortWait = 150;
const TBytes kToQuestion = {0xC0, 12};  // a pointer to the question name

// The reply header for `query` with the given flags and counts, followed by its question.
TBytes Reply(const TBytes& query, uint16_t flags, uint16_t an, uint16_t ns = 0, uint16_t ar = 0) {
  return Cat({Header(QueryId(query), flags, 1, an, ns, ar), Question(query)});
}

TBytes GoodReply(const TBytes& q) {
  return Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("host.example"))});
}

std::vector<TFakeDatagram> One(TBytes bytes) { return {TFakeDatagram{std::move(bytes)}}; }

// What a batch made of its addresses: "address,host name" or "address,reason", in order.
struct TBatchRun {
  std::vector<std::string> Lines;
  TReverseLookupSummary Summary;
};

TBatchRun RunBatch(TReverseLookup& batch, const std::vector<std::string>& addresses, const std::string& server) {
  TBatchRun run;
  TReverseLookupEvents events;
  events.OnResolved = [&run](const std::string& line) { run.Lines.push_back(line); };
  events.OnUnresolved = [&run](const std::string& address, TLookupReason reason) {
    run.Lines.push_back(address + "," + ReasonText(reason));
  };
  batch.SetEvents(std::move(events));
  run.Summary = batch.ResolveIPList(addresses, {server});
  return run;
}

void Configure(TReverseLookup& batch, int32_t waitMs, int retries = 0) {
  batch.Options().WaitingTime = waitMs;
  batch.Options().Retries = retries;
}

std::vector<std::string> Addresses(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
  return lines;
}

struct TReplyCase {
  const char* Name;
  std::function<std::vector<TFakeDatagram>(const TBytes& query)> Script;
  const char* Outcome;  // the host name the address resolves to, or the reason it does not
};

const TReplyCase kCases[] = {
    {"good PTR answer", [](const TBytes& q) { return One(GoodReply(q)); }, "host.example"},
    {"PTR target compressed into the question name",
     [](const TBytes& q) {
       // "mail" then a pointer to "2.0.192.in-addr.arpa", which starts at offset 14.
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {4, 'm', 'a', 'i', 'l', 0xC0, 14})}));
     },
     "mail.2.0.192.in-addr.arpa"},
    {"hostile label bytes are escaped",
     [](const TBytes& q) {
       return One(
           Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {5, 'a', '\n', '.', '\\', 0xE9, 1, 'b', 0})}));
     },
     "a\\010\\.\\\\\\233.b"},
    {"no question section",
     [](const TBytes& q) {
       return One(
           Cat({Header(QueryId(q), 0x8180, 0, 1, 0, 0), Record(WireName("x"), kDnsTypePTR, WireName("h.example"))}));
     },
     "timeout"},
    {"right ID but another question",
     [](const TBytes& q) {
       return One(Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), WireName("8.2.0.192.in-addr.arpa"), Word(kDnsTypePTR),
                       Word(kDnsClassIN), Record(kToQuestion, kDnsTypePTR, WireName("other.example"))}));
     },
     "timeout"},
    {"right question but type A",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[Reply(q, 0, 0).size() - 3] = 1;
       return One(r);
     },
     "timeout"},
    {"QR = 0: the query echoed",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[2] &= 0x7F;
       return One(r);
     },
     "timeout"},
    {"opcode 1",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[2] |= 0x08;
       return One(r);
     },
     "timeout"},
    {"question echoed in other letter case",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       for (size_t i = 12; i < r.size() && r[i] != 0; ++i) r[i] = static_cast<uint8_t>(std::toupper(r[i]));
       return One(r);
     },
     "host.example"},
    {"a name with a comma",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("a,b.example"))}));
     },
     "a\\044b.example"},
    {"only a CNAME",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypeCNAME, WireName("alias.example"))}));
     },
     "no PTR"},
    {"empty PTR name",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {0})}));
     },
     "no PTR"},
    {"RCODE 1", [](const TBytes& q) { return One(Reply(q, 0x8181, 0)); }, "FORMERR"},
    {"RCODE 2", [](const TBytes& q) { return One(Reply(q, 0x8182, 0)); }, "SERVFAIL"},
    {"RCODE 3", [](const TBytes& q) { return One(Reply(q, 0x8183, 0)); }, "NXDOMAIN"},
    {"RCODE 4", [](const TBytes& q) { return One(Reply(q, 0x8184, 0)); }, "NOTIMP"},
    {"RCODE 5", [](const TBytes& q) { return One(Reply(q, 0x8185, 0)); }, "REFUSED"},
    {"RCODE 6", [](const TBytes& q) { return One(Reply(q, 0x8186, 0)); }, "bad reply"},
    {"RCODE 15 with records",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[3] |= 0x0F;
       return One(r);
     },
     "bad reply"},
    {"wrong ID",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[1] ^= 1;
       return One(r);
     },
     "timeout"},
    {"a wrong-ID datagram before the genuine one",
     [](const TBytes& q) {
       TBytes stray = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("stray.example"))});
       stray[0] ^= 0x80;
       return std::vector<TFakeDatagram>{{stray}, {GoodReply(q)}};
     },
     "host.example"},
    {"forged reply from another sender is never seen",
     [](const TBytes& q) {
       TBytes forged = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("evil.example"))});
       return std::vector<TFakeDatagram>{{forged, true}, {GoodReply(q)}};
     },
     "host.example"},
    {"reply of 11 bytes",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.resize(11);
       return One(r);
     },
     "timeout"},
    {"reply of 4 bytes", [](const TBytes& q) { return One(TBytes(q.begin(), q.begin() + 4)); }, "timeout"},
    {"no reply", [](const TBytes&) { return std::vector<TFakeDatagram>{}; }, "timeout"},
    {"header only", [](const TBytes& q) { return One(Header(QueryId(q), 0x8180, 0, 0, 0, 0)); }, "timeout"},
    {"question only", [](const TBytes& q) { return One(Reply(q, 0x8180, 0)); }, "no PTR"},
    {"question name runs past the end",
     [](const TBytes& q) {
       TBytes r = Reply(q, 0x8180, 1);
       r.resize(20);
       return One(r);
     },
     "timeout"},
    {"question without its type and class",
     [](const TBytes& q) {
       TBytes r = Reply(q, 0x8180, 1);
       r.resize(r.size() - 3);
       return One(r);
     },
     "timeout"},
    {"owner label runs past the end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), {9, 'a', 'b'}}));
     },
     "bad reply"},
    {"fixed fields run past the end",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.resize(Reply(q, 0, 0).size() + 2 + 5);
       return One(r);
     },
     "bad reply"},
    {"RDATA runs past the end",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.pop_back();
       return One(r);
     },
     "bad reply"},
    {"authority record runs past the end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1, 1), Record(kToQuestion, kDnsTypeCNAME, {}), kToQuestion, Word(2)}));
     },
     "bad reply"},
    {"additional record cut",
     [](const TBytes& q) {
       TBytes r = Cat({Reply(q, 0x8180, 1, 0, 1), Record(kToQuestion, kDnsTypePTR, WireName("h")),
                       Record(kToQuestion, kDnsTypeCNAME, {1, 2})});
       r.pop_back();
       return One(r);
     },
     "bad reply"},
    {"PTR name runs past its RDATA",
     [](const TBytes& q) {
       TBytes rdata = WireName("host.example");
       TBytes r = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, rdata)});
       r[Reply(q, 0, 0).size() + 2 + 8 + 1] = 3;  // RDLENGTH 3 while the name takes 14 bytes
       return One(r);
     },
     "bad reply"},
    {"PTR name without its end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {4, 'h', 'o', 's', 't'})}));
     },
     "bad reply"},
    {"pointer outside the reply",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record({0xC3, 0xFF}, kDnsTypePTR, {0})}));
     },
     "bad reply"},
    {"pointer cut after its first byte",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), {0xC0}}));
     },
     "bad reply"},
    {"pointer loop",
     [](const TBytes& q) {
       const TBytes head = Reply(q, 0x8180, 1);
       const auto self = static_cast<uint8_t>(head.size());
       return One(Cat({head, Record({0xC0, self}, kDnsTypePTR, {0})}));
     },
     "bad reply"},
    {"two pointers into each other",
     [](const TBytes& q) {
       const TBytes head = Reply(q, 0x8180, 1);
       const auto at = static_cast<uint8_t>(head.size());
       return One(Cat({head, Record({0xC0, static_cast<uint8_t>(at + 2), 0xC0, at}, kDnsTypePTR, {0})}));
     },
     "bad reply"},
    {"reserved label type",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record({0x41, 'a', 0}, kDnsTypePTR, {0})}));
     },
     "bad reply"},
    {"name longer than 255 bytes",
     [](const TBytes& q) {
       TBytes name;
       for (int i = 0; i < 5; ++i) name = Cat({name, {60}, TBytes(60, 'x')});
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, Cat({name, {0}}))}));
     },
     "bad reply"},
    {"PTR of another owner only",
     [](const TBytes& q) {
       return One(Cat(
           {Reply(q, 0x8180, 1), Record(WireName("1.1.1.1.in-addr.arpa"), kDnsTypePTR, WireName("forged.example"))}));
     },
     "no PTR"},
    {"PTR of another owner before the question's own",
     [](const TBytes& q) {
       return One(
           Cat({Reply(q, 0x8180, 2), Record(WireName("1.1.1.1.in-addr.arpa"), kDnsTypePTR, WireName("forged.example")),
                Record(kToQuestion, kDnsTypePTR, WireName("host.example"))}));
     },
     "host.example"},
    {"owner in another letter case",
     [](const TBytes& q) {
       return One(Cat(
           {Reply(q, 0x8180, 1), Record(WireName("7.2.0.192.IN-ADDR.ARPA"), kDnsTypePTR, WireName("host.example"))}));
     },
     "host.example"},
    {"PTR of a classless zone behind a CNAME",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 2), Record(kToQuestion, kDnsTypeCNAME, WireName("7.0-25.2.0.192.in-addr.arpa")),
                       Record(WireName("7.0-25.2.0.192.in-addr.arpa"), kDnsTypePTR, WireName("host.example"))}));
     },
     "host.example"},
    {"CNAME to a name without PTR, PTR of a third name",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 2), Record(kToQuestion, kDnsTypeCNAME, WireName("alias.example")),
                       Record(WireName("other.example"), kDnsTypePTR, WireName("forged.example"))}));
     },
     "no PTR"},
    {"CNAMEs in a loop",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 2), Record(kToQuestion, kDnsTypeCNAME, WireName("a.example")),
                       Record(WireName("a.example"), kDnsTypeCNAME, WireName("7.2.0.192.in-addr.arpa"))}));
     },
     "no PTR"},
    {"CNAME name runs past its RDATA",
     [](const TBytes& q) {
       TBytes r = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypeCNAME, WireName("alias.example"))});
       r[Reply(q, 0, 0).size() + 2 + 8 + 1] = 3;
       return One(r);
     },
     "bad reply"},
    {"an answer of 30 KB, beyond the 512 bytes of plain DNS",
     [](const TBytes& q) {
       // 800 records of another owner, 38 bytes each, before the one asked for.
       TBytes r = Reply(q, 0x8180, 801);
       const TBytes other = Record(WireName("x.example"), kDnsTypePTR, WireName("padding.example"));
       for (int i = 0; i < 800; ++i) r.insert(r.end(), other.begin(), other.end());
       return One(Cat({r, Record(kToQuestion, kDnsTypePTR, WireName("host.example"))}));
     },
     "host.example"},
};

TEST(BatchReplies, EndsEveryCraftedReplyAsItShould) {
  for (const TReplyCase& c : kCases) {
    SCOPED_TRACE(c.Name);
    TFakeDnsServer server(c.Script);
    TReverseLookup batch;
    Configure(batch, kShortWait);
    const TBatchRun run = RunBatch(batch, {"192.0.2.7"}, server.Address());
    EXPECT_EQ(run.Lines, std::vector<std::string>{std::string("192.0.2.7,") + c.Outcome});
    ASSERT_EQ(server.Queries().size(), 1u);
    EXPECT_EQ(QuestionName(server.Queries()[0]), "7.2.0.192.in-addr.arpa");
  }
}

TEST(BatchReplies, DrawsNewIdsAndAsksIpv6AddressesByTheirNibbles) {
  TFakeDnsServer server([](const TBytes&) { return std::vector<TFakeDatagram>{}; });
  TReverseLookup batch;
  Configure(batch, kShortWait);
  const TBatchRun run = RunBatch(batch, {"2001:db8::1", "2001:db8::2", "2001:db8::3", "2001:db8::4"}, server.Address());
  EXPECT_EQ(run.Lines.front(), "2001:db8::1,timeout");
  const auto queries = server.Queries();
  ASSERT_EQ(queries.size(), 4u);
  EXPECT_EQ(QuestionName(queries[0]).substr(1),
            ".0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
  // Four draws from 65535 ids: all alike would mean the generator is not used.
  EXPECT_FALSE(QueryId(queries[0]) == QueryId(queries[1]) && QueryId(queries[1]) == QueryId(queries[2]) &&
               QueryId(queries[2]) == QueryId(queries[3]));
}

TEST(BatchReplies, NeverTakesALateReplyForTheNextQuery) {
  int answered = 0;
  TFakeDnsServer server([&answered](const TBytes& q) {
    // The first reply comes after the batch has given up, with another host name.
    if (answered++ == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kShortWait * 3 / 2));
      return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("late.example"))}));
    }
    return One(GoodReply(q));
  });
  TReverseLookup batch;
  Configure(batch, kShortWait, 1);
  batch.Options().Parallel = 1;
  EXPECT_EQ(RunBatch(batch, {"192.0.2.7", "192.0.2.8"}, server.Address()).Lines,
            (std::vector<std::string>{"192.0.2.7,host.example", "192.0.2.8,host.example"}));
}

TEST(BatchReplies, AsksAgainOverTcpWhenTheAnswerIsTruncated) {
  const auto truncated = [](const TBytes& q) { return One(Reply(q, 0x8380, 0)); };
  const auto whole = [](const TBytes& q) {
    return Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("over-tcp.example"))});
  };
  TFakeDnsServer server(truncated, AF_INET, whole);
  TReverseLookup batch;
  Configure(batch, kShortWait * 4);
  EXPECT_EQ(RunBatch(batch, {"192.0.2.7"}, server.Address()).Lines,
            std::vector<std::string>{"192.0.2.7,over-tcp.example"});
  ASSERT_EQ(server.TcpQueries().size(), 1u);
  EXPECT_EQ(server.TcpQueries()[0], server.Queries()[0]);

  // Over TCP too, only the answer to this query counts; a closed connection is no answer.
  TFakeDnsServer wrongId(truncated, AF_INET, [&whole](const TBytes& q) {
    TBytes r = whole(q);
    r[1] ^= 1;
    return r;
  });
  EXPECT_EQ(RunBatch(batch, {"192.0.2.7"}, wrongId.Address()).Lines, std::vector<std::string>{"192.0.2.7,timeout"});
  TFakeDnsServer closing(truncated);
  EXPECT_EQ(RunBatch(batch, {"192.0.2.7"}, closing.Address()).Lines, std::vector<std::string>{"192.0.2.7,unreachable"});
}

// A server whose TCP port takes the connection and never answers: the exchanges run side by side,
// each ends at the time-out, and a Break ends the batch while they are all pending.
TEST(BatchReplies, AStalledTcpPortHoldsUpNothing) {
  const auto truncated = [](const TBytes& q) { return One(Reply(q, 0x8380, 0)); };
  TFakeDnsServer server(truncated);
  server.HoldTcpConnections();
  TReverseLookup timing;
  Configure(timing, kShortWait);
  const TBatchRun run = RunBatch(timing, Addresses(20), server.Address());
  ASSERT_EQ(run.Lines.size(), 20u);
  for (const std::string& line : run.Lines) EXPECT_TRUE(line.ends_with(",timeout")) << line;

  TFakeDnsServer stalling(truncated);
  stalling.HoldTcpConnections();
  TReverseLookup breaking;
  Configure(breaking, 60000);
  TReverseLookupEvents events;
  const auto start = std::chrono::steady_clock::now();
  // 20 connections held at once, with a minute to go for each; or, should the exchanges wait for
  // each other, a Break after 10 s that the check below catches.
  events.OnProcessEvents = [&] {
    if (stalling.HeldTcpConnections() == 20 || std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
      breaking.Break();
  };
  breaking.SetEvents(events);
  EXPECT_TRUE(breaking.ResolveIPList(Addresses(20), {stalling.Address()}).Broken);
  EXPECT_EQ(stalling.HeldTcpConnections(), 20u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(BatchReplies, GivesAnIpv6ServerASocketOfItsFamily) {
  std::unique_ptr<TFakeDnsServer> server;
  try {
    server = std::make_unique<TFakeDnsServer>([](const TBytes& q) { return One(GoodReply(q)); }, AF_INET6);
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
  }
  TReverseLookup batch;
  Configure(batch, kShortWait);
  EXPECT_EQ(RunBatch(batch, {"192.0.2.7"}, "[::1]:" + std::to_string(server->Port())).Lines,
            std::vector<std::string>{"192.0.2.7,host.example"});
}

// Runs `body` in a child process whose limit of open files is `limit`, and returns what it made.
std::string InChildWithFileLimit(rlim_t limit, const std::function<std::string()>& body) {
  return RunInChild([limit, &body](int, int) {
    const rlimit lowered{limit, limit};
    return setrlimit(RLIMIT_NOFILE, &lowered) == 0 ? body() : "setrlimit failed";
  });
}

TEST(BatchReplies, KeepsItsSocketsWithinTheOpenFileLimit) {
  // The server runs in the child too: a fork while another thread allocates could leave the
  // child waiting for a lock that nobody holds there.
  const auto script = [](const TBytes& q) { return One(GoodReply(q)); };
  // A thousand in flight under a limit of 200: fewer in flight, every address answered, and said so.
  const std::string capped = InChildWithFileLimit(200, [&script] {
    TFakeDnsServer server(script);
    TReverseLookup batch;
    Configure(batch, 5000);
    batch.Options().Parallel = 1000;
    const TBatchRun run = RunBatch(batch, Addresses(300), server.Address());
    size_t resolved = 0;
    for (const std::string& line : run.Lines) resolved += line.ends_with(",host.example") ? 1 : 0;
    std::string text = std::to_string(resolved);
    for (const std::string& warning : run.Summary.Warnings) text += "\n" + warning;
    return text;
  });
  EXPECT_TRUE(capped.starts_with("300\n")) << capped;
  EXPECT_NE(capped.find(" queries in flight instead of 1000: the limit of 200 open files leaves no room for more"),
            std::string::npos)
      << capped;

  // Descriptors taken by something else while the batch runs: the socket it cannot open is an
  // error with its reason, not an address reported unreachable.
  const std::string starved = InChildWithFileLimit(200, [&script] {
    TFakeDnsServer server(script);
    TReverseLookup batch;
    Configure(batch, 5000);
    // Once with descriptors to spare first: UBSan's first check of a type needs a pipe.
    RunBatch(batch, Addresses(1), server.Address());
    TBatchRun run;
    std::vector<int> taken;
    TReverseLookupEvents events;
    events.OnProgress = [&taken](int done, int) {
      for (int fd; done == 0 && (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken.push_back(fd);
    };
    events.OnResolved = [&run](const std::string& line) { run.Lines.push_back(line); };
    events.OnUnresolved = [&run](const std::string& address, TLookupReason reason) {
      run.Lines.push_back(address + "," + ReasonText(reason));
    };
    batch.SetEvents(events);
    try {
      batch.ResolveIPList(Addresses(10), {server.Address()});
      return std::string("no error");
    } catch (const Exception& e) {
      for (const int fd : taken) close(fd);
      return std::to_string(run.Lines.size()) + " " + e.what();
    }
  });
  EXPECT_EQ(starved, "0 Cannot open a socket for the DNS server: Too many open files");
}

}  // namespace
}  // namespace korrin
