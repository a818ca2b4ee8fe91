#include "dns/reverse_resolver.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

#include "dns/dns_error.h"
#include "tests/support/fake_dns_server.h"

namespace korrin {
namespace {

using namespace test;

constexpr int32_t kShortWait = 150;
constexpr const char* kTimedOut = "DNS request to 127.0.0.1 timed out";
constexpr uint16_t kCNAME = 5;
const TBytes kToQuestion = {0xC0, 12};  // a pointer to the question name

// The reply header for `query` with the given flags and counts, followed by its question.
TBytes Reply(const TBytes& query, uint16_t flags, uint16_t an, uint16_t ns = 0, uint16_t ar = 0) {
  return Cat({Header(QueryId(query), flags, 1, an, ns, ar), Question(query)});
}

TBytes GoodReply(const TBytes& q) {
  return Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("host.example"))});
}

std::vector<TFakeDatagram> One(TBytes bytes) { return {TFakeDatagram{std::move(bytes)}}; }

struct TReplyCase {
  const char* Name;
  std::function<std::vector<TFakeDatagram>(const TBytes& query)> Script;
  const char* HostName;  // the PTR target expected; nullptr when the query must fail
  const char* Error;     // the failure's message, or its start
};

const TReplyCase kCases[] = {
    {"good PTR answer", [](const TBytes& q) { return One(GoodReply(q)); }, "host.example", nullptr},
    {"PTR target compressed into the question name",
     [](const TBytes& q) {
       // "mail" then a pointer to "2.0.192.in-addr.arpa", which starts at offset 14.
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {4, 'm', 'a', 'i', 'l', 0xC0, 14})}));
     },
     "mail.2.0.192.in-addr.arpa", nullptr},
    {"hostile label bytes are escaped",
     [](const TBytes& q) {
       return One(
           Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {5, 'a', '\n', '.', '\\', 0xE9, 1, 'b', 0})}));
     },
     "a\\010\\.\\\\\\233.b", nullptr},
    {"no question section",
     [](const TBytes& q) {
       return One(
           Cat({Header(QueryId(q), 0x8180, 0, 1, 0, 0), Record(WireName("x"), kDnsTypePTR, WireName("h.example"))}));
     },
     nullptr, kTimedOut},
    {"right ID but another question",
     [](const TBytes& q) {
       return One(Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), WireName("8.2.0.192.in-addr.arpa"), Word(kDnsTypePTR),
                       Word(kDnsClassIN), Record(kToQuestion, kDnsTypePTR, WireName("other.example"))}));
     },
     nullptr, kTimedOut},
    {"right question but type A",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[Reply(q, 0, 0).size() - 3] = 1;
       return One(r);
     },
     nullptr, kTimedOut},
    {"QR = 0: the query echoed",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[2] &= 0x7F;
       return One(r);
     },
     nullptr, kTimedOut},
    {"opcode 1",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[2] |= 0x08;
       return One(r);
     },
     nullptr, kTimedOut},
    {"question echoed in other letter case",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       for (size_t i = 12; i < r.size() && r[i] != 0; ++i) r[i] = static_cast<uint8_t>(std::toupper(r[i]));
       return One(r);
     },
     "host.example", nullptr},
    {"a name with a comma",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("a,b.example"))}));
     },
     "a\\044b.example", nullptr},
    {"only a CNAME",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kCNAME, WireName("alias.example"))}));
     },
     "", nullptr},
    {"empty PTR name",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {0})}));
     },
     "", nullptr},
    {"RCODE 1", [](const TBytes& q) { return One(Reply(q, 0x8181, 0)); }, nullptr, "DNS server error 1: Format error"},
    {"RCODE 2", [](const TBytes& q) { return One(Reply(q, 0x8182, 0)); }, nullptr,
     "DNS server error 2: Server failure"},
    {"RCODE 3", [](const TBytes& q) { return One(Reply(q, 0x8183, 0)); }, nullptr, "DNS server error 3: Name error"},
    {"RCODE 4", [](const TBytes& q) { return One(Reply(q, 0x8184, 0)); }, nullptr,
     "DNS server error 4: Not implemented"},
    {"RCODE 5", [](const TBytes& q) { return One(Reply(q, 0x8185, 0)); }, nullptr, "DNS server error 5: Refused"},
    {"RCODE 6", [](const TBytes& q) { return One(Reply(q, 0x8186, 0)); }, nullptr, "DNS server error 6: Unknown error"},
    {"RCODE 15 with records",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[3] |= 0x0F;
       return One(r);
     },
     nullptr, "DNS server error 15: Unknown error"},
    {"wrong ID",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r[1] ^= 1;
       return One(r);
     },
     nullptr, kTimedOut},
    {"a wrong-ID datagram before the genuine one",
     [](const TBytes& q) {
       TBytes stray = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("stray.example"))});
       stray[0] ^= 0x80;
       return std::vector<TFakeDatagram>{{stray}, {GoodReply(q)}};
     },
     "host.example", nullptr},
    {"forged reply from another sender is never seen",
     [](const TBytes& q) {
       TBytes forged = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("evil.example"))});
       return std::vector<TFakeDatagram>{{forged, true}, {GoodReply(q)}};
     },
     "host.example", nullptr},
    {"reply of 11 bytes",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.resize(11);
       return One(r);
     },
     nullptr, kTimedOut},
    {"reply of 4 bytes", [](const TBytes& q) { return One(TBytes(q.begin(), q.begin() + 4)); }, nullptr, kTimedOut},
    {"no reply", [](const TBytes&) { return std::vector<TFakeDatagram>{}; }, nullptr, kTimedOut},
    {"header only", [](const TBytes& q) { return One(Header(QueryId(q), 0x8180, 0, 0, 0, 0)); }, nullptr, kTimedOut},
    {"question only", [](const TBytes& q) { return One(Reply(q, 0x8180, 0)); }, nullptr, "DNS reply without records"},
    {"question name runs past the end",
     [](const TBytes& q) {
       TBytes r = Reply(q, 0x8180, 1);
       r.resize(20);
       return One(r);
     },
     nullptr, kTimedOut},
    {"question without its type and class",
     [](const TBytes& q) {
       TBytes r = Reply(q, 0x8180, 1);
       r.resize(r.size() - 3);
       return One(r);
     },
     nullptr, kTimedOut},
    {"owner label runs past the end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), {9, 'a', 'b'}}));
     },
     nullptr, "Malformed DNS reply: label runs past the end"},
    {"fixed fields run past the end",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.resize(Reply(q, 0, 0).size() + 2 + 5);
       return One(r);
     },
     nullptr, "Malformed DNS reply: answer record runs past the end"},
    {"RDATA runs past the end",
     [](const TBytes& q) {
       TBytes r = GoodReply(q);
       r.pop_back();
       return One(r);
     },
     nullptr, "Malformed DNS reply: answer record runs past the end"},
    {"authority record runs past the end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1, 1), Record(kToQuestion, kCNAME, {}), kToQuestion, Word(2)}));
     },
     nullptr, "Malformed DNS reply: authority record runs past the end"},
    {"additional record cut",
     [](const TBytes& q) {
       TBytes r = Cat({Reply(q, 0x8180, 1, 0, 1), Record(kToQuestion, kDnsTypePTR, WireName("h")),
                       Record(kToQuestion, kCNAME, {1, 2})});
       r.pop_back();
       return One(r);
     },
     nullptr, "Malformed DNS reply: additional record runs past the end"},
    {"PTR name runs past its RDATA",
     [](const TBytes& q) {
       TBytes rdata = WireName("host.example");
       TBytes r = Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, rdata)});
       r[Reply(q, 0, 0).size() + 2 + 8 + 1] = 3;  // RDLENGTH 3 while the name takes 14 bytes
       return One(r);
     },
     nullptr, "Malformed DNS reply: PTR name runs past its record data"},
    {"PTR name without its end",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, {4, 'h', 'o', 's', 't'})}));
     },
     nullptr, "Malformed DNS reply: name runs past the end"},
    {"pointer outside the reply",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record({0xC3, 0xFF}, kDnsTypePTR, {0})}));
     },
     nullptr, "Malformed DNS reply: compression pointer outside the reply"},
    {"pointer cut after its first byte",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), {0xC0}}));
     },
     nullptr, "Malformed DNS reply: pointer runs past the end"},
    {"pointer loop",
     [](const TBytes& q) {
       const TBytes head = Reply(q, 0x8180, 1);
       const auto self = static_cast<uint8_t>(head.size());
       return One(Cat({head, Record({0xC0, self}, kDnsTypePTR, {0})}));
     },
     nullptr, "Malformed DNS reply: compression pointers loop"},
    {"two pointers into each other",
     [](const TBytes& q) {
       const TBytes head = Reply(q, 0x8180, 1);
       const auto at = static_cast<uint8_t>(head.size());
       return One(Cat({head, Record({0xC0, static_cast<uint8_t>(at + 2), 0xC0, at}, kDnsTypePTR, {0})}));
     },
     nullptr, "Malformed DNS reply: compression pointers loop"},
    {"reserved label type",
     [](const TBytes& q) {
       return One(Cat({Reply(q, 0x8180, 1), Record({0x41, 'a', 0}, kDnsTypePTR, {0})}));
     },
     nullptr, "Malformed DNS reply: reserved label type"},
    {"name longer than 255 bytes",
     [](const TBytes& q) {
       TBytes name;
       for (int i = 0; i < 5; ++i) name = Cat({name, {60}, TBytes(60, 'x')});
       return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, Cat({name, {0}}))}));
     },
     nullptr, "Malformed DNS reply: name longer than 255 bytes"},
};

TEST(ReverseResolver, EndsEveryCraftedReplyAsItShould) {
  for (const TReplyCase& c : kCases) {
    SCOPED_TRACE(c.Name);
    TFakeDnsServer server(c.Script);
    TReverseResolver resolver;
    resolver.SetHost("127.0.0.1");
    resolver.SetPort(server.Port());
    resolver.SetWaitingTime(kShortWait);
    if (c.HostName != nullptr) {
      ASSERT_NO_THROW(resolver.Resolve("192.0.2.7"));
      ASSERT_FALSE(resolver.QueryResult().empty());
      const TDnsRecord& first = resolver.QueryResult().front();
      EXPECT_EQ(first.HostName, c.HostName);
      EXPECT_EQ(first.Section, TDnsSection::Answer);
      continue;
    }
    try {
      resolver.Resolve("192.0.2.7");
      ADD_FAILURE() << "no failure";
    } catch (const EDnsError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.Error, 0), 0u) << e.what();
    }
    EXPECT_TRUE(resolver.QueryResult().empty());
  }
}

TEST(ReverseResolver, SendsTheQueryItBuiltAndKeepsRecordsInSectionOrder) {
  TFakeDnsServer server([](const TBytes& q) {
    return One(Cat({Reply(q, 0x8180, 1, 1, 1), Record(kToQuestion, kCNAME, WireName("alias.example")),
                    Record(WireName("2.0.192.in-addr.arpa"), 2, WireName("ns.example")),
                    Record(WireName("ns.example"), 1, {192, 0, 2, 53})}));
  });
  TReverseResolver resolver;
  resolver.SetHost("127.0.0.1");
  resolver.SetPort(server.Port());
  resolver.SetWaitingTime(kShortWait);
  resolver.Resolve("192.0.2.7");
  ASSERT_EQ(server.Queries().size(), 1u);
  EXPECT_EQ(server.Queries()[0], resolver.QueryMessage());
  EXPECT_EQ(QuestionName(resolver.QueryMessage()), "7.2.0.192.in-addr.arpa");
  EXPECT_EQ(resolver.Header().ANCount, 1);
  EXPECT_EQ(resolver.Header().Flags, 0x8180);

  const auto& records = resolver.QueryResult();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].Section, TDnsSection::Answer);
  EXPECT_EQ(records[0].Name, "7.2.0.192.in-addr.arpa");
  EXPECT_EQ(records[0].Type, kCNAME);
  EXPECT_EQ(records[0].HostName, "");
  EXPECT_EQ(records[1].Section, TDnsSection::Authority);
  EXPECT_EQ(records[1].Name, "2.0.192.in-addr.arpa");
  EXPECT_EQ(records[2].Section, TDnsSection::Additional);
  EXPECT_EQ(records[2].Class, kDnsClassIN);
  EXPECT_EQ(records[2].TTL, 3600u);
  EXPECT_EQ(records[2].Data, (TBytes{192, 0, 2, 53}));
}

TEST(ReverseResolver, WaitsTheConfiguredTimeAndDrawsNewIds) {
  TFakeDnsServer server([](const TBytes&) { return std::vector<TFakeDatagram>{}; });
  TReverseResolver resolver;
  resolver.SetHost("127.0.0.1");
  resolver.SetPort(server.Port());
  resolver.SetWaitingTime(kShortWait);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(resolver.Resolve("2001:db8::1"), EDnsError);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kShortWait));
  for (int i = 0; i < 3; ++i) EXPECT_THROW(resolver.Resolve("2001:db8::1"), EDnsError);
  const auto queries = server.Queries();
  ASSERT_EQ(queries.size(), 4u);
  EXPECT_EQ(QuestionName(queries[0]), "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
  // Four draws from 65535 ids: all alike would mean the generator is not used.
  EXPECT_FALSE(QueryId(queries[0]) == QueryId(queries[1]) && QueryId(queries[1]) == QueryId(queries[2]) &&
               QueryId(queries[2]) == QueryId(queries[3]));
}

TEST(ReverseResolver, NeverTakesALateReplyForTheNextQuery) {
  int answered = 0;
  TFakeDnsServer server([&answered](const TBytes& q) {
    // The first reply comes after the client has given up, with another host name.
    if (answered++ == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kShortWait * 3 / 2));
      return One(Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("late.example"))}));
    }
    return One(GoodReply(q));
  });
  TReverseResolver resolver;
  resolver.SetHost("127.0.0.1");
  resolver.SetPort(server.Port());
  resolver.SetWaitingTime(kShortWait);
  EXPECT_THROW(resolver.Resolve("192.0.2.7"), EDnsError);
  resolver.SetWaitingTime(kShortWait * 4);
  resolver.Resolve("192.0.2.8");
  EXPECT_EQ(resolver.QueryResult().at(0).HostName, "host.example");
  // A kept socket serves the next queries.
  for (int i = 0; i < 3; ++i) resolver.Resolve("192.0.2.9");
  EXPECT_EQ(resolver.QueryResult().at(0).HostName, "host.example");
}

TEST(ReverseResolver, AsksAgainOverTcpWhenTheAnswerIsTruncated) {
  const auto truncated = [](const TBytes& q) { return One(Reply(q, 0x8380, 0)); };
  const auto whole = [](const TBytes& q) {
    return Cat({Reply(q, 0x8180, 1), Record(kToQuestion, kDnsTypePTR, WireName("over-tcp.example"))});
  };
  TFakeDnsServer server(truncated, AF_INET, whole);
  TReverseResolver resolver;
  resolver.SetHost("127.0.0.1");
  resolver.SetPort(server.Port());
  resolver.SetWaitingTime(kShortWait * 4);
  resolver.Resolve("192.0.2.7");
  EXPECT_EQ(resolver.QueryResult().at(0).HostName, "over-tcp.example");
  ASSERT_EQ(server.TcpQueries().size(), 1u);
  EXPECT_EQ(server.TcpQueries()[0], resolver.QueryMessage());

  // Over TCP too, only the answer to this query counts; a closed connection is no answer.
  TFakeDnsServer wrongId(truncated, AF_INET, [&whole](const TBytes& q) {
    TBytes r = whole(q);
    r[1] ^= 1;
    return r;
  });
  resolver.SetPort(wrongId.Port());
  EXPECT_THROW(resolver.Resolve("192.0.2.7"), EDnsError);
  TFakeDnsServer silent(truncated);
  resolver.SetPort(silent.Port());
  EXPECT_THROW(resolver.Resolve("192.0.2.7"), EDnsError);
}

TEST(ReverseResolver, SendsNothingForAnInvalidAddress) {
  TFakeDnsServer server([](const TBytes& q) { return One(GoodReply(q)); });
  TReverseResolver resolver;
  resolver.SetHost("127.0.0.1");
  resolver.SetPort(server.Port());
  try {
    resolver.Resolve("1::2::3");
    FAIL();
  } catch (const EDnsError& e) {
    EXPECT_STREQ(e.what(), "Invalid IP V6 Address. 1::2::3");
  }
  EXPECT_TRUE(server.Queries().empty());
}

TEST(ReverseResolver, GivesAnIpv6ServerASocketOfItsFamily) {
  std::unique_ptr<TFakeDnsServer> server;
  try {
    server = std::make_unique<TFakeDnsServer>([](const TBytes& q) { return One(GoodReply(q)); }, AF_INET6);
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
  }
  TReverseResolver resolver;
  resolver.SetHost("::1");
  resolver.SetPort(server->Port());
  resolver.SetWaitingTime(kShortWait);
  resolver.Resolve("192.0.2.7");
  EXPECT_EQ(resolver.QueryResult().at(0).HostName, "host.example");
}

}  // namespace
}  // namespace korrin
