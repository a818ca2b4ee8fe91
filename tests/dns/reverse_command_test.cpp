#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "dns/dns_record.h"
#include "run_process.h"
#include "tests/dns/dnsmasq_process.h"
#include "tests/support/fake_dns_server.h"

namespace korrin {
namespace {

using namespace test;

// Runs `korrin-cli reverse <arguments>`, standard input from `input`.
ProcessResult Reverse(const std::string& input, std::vector<std::string> arguments, const OutputWatch& watch = {}) {
  arguments.insert(arguments.begin(), "reverse");
  return RunCli(arguments, input, "", watch);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReverseCommand, ResolvesAPipelineAgainstDnsmasq) {
  const TDnsmasqProcess dnsmasq({"--ptr-record=1.0.0.10.in-addr.arpa,host1.lan", "--host-record=v6a.lan,2001:db8::1"});
  if (dnsmasq.Unavailable()) GTEST_SKIP() << dnsmasq.Problem();
  ASSERT_TRUE(dnsmasq.Ready()) << dnsmasq.Problem();
  const std::string unresolved = testing::TempDir() + "korrin-unresolved.txt";
  for (const char* parallel : {"1", "64"}) {
    SCOPED_TRACE(parallel);
    const auto run = Reverse(
        "\xEF\xBB\xBF"
        "10.0.0.1:80\r\n10.0.0.1:81\nmail 10.0.0.2 US\n[2001:db8::1]:53\nmail\n",
        {"--server", "127.0.0.77", "--server", "127.0.0.77:53", "--timeout", "2000", "--parallel", parallel,
         "--unresolved", unresolved, "-"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "10.0.0.1,host1.lan\n2001:db8::1,v6a.lan\n");
    EXPECT_EQ(FileText(unresolved), "10.0.0.2\nmail\n");
  }
  std::remove(unresolved.c_str());

  // The lines of another delimiter, with the reasons and the servers of a settings file.
  const std::string settings = testing::TempDir() + "korrin-reverse.ini";
  std::ofstream(settings) << "DNS1=127.0.0.77\r\nDNSN=1\r\nNameDelimiter=2\r\nDNSQueriesInFlight=4\r\n";
  const auto run = Reverse("mail1,10.0.0.1,US\nmail2,10.0.0.2,US\n", {"--settings", settings, "--reasons"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "10.0.0.1,host1.lan\n");
  EXPECT_EQ(run.err, "10.0.0.2,NXDOMAIN\n");
  const auto semicolons = Reverse("a;10.0.0.1\n", {"--settings", settings, "--delimiter", "semicolon"});
  EXPECT_EQ(semicolons.out, "10.0.0.1,host1.lan\n");
  std::remove(settings.c_str());
}

TEST(ReverseCommand, ReportsMissingBadAndSilentServers) {
  EXPECT_EQ(Reverse("10.0.0.1\n", {"--server", ""}).err, "No DNS Servers specified\n");
  EXPECT_EQ(Reverse("10.0.0.1\n", {"--server", ""}).status, 1);
  EXPECT_EQ(Reverse("10.0.0.1\n", {"--server", "127.0.0.1:0"}).status, 2);
  EXPECT_EQ(Reverse("10.0.0.1\n", {"--parallel", "0"}).status, 2);

  TFakeDnsServer silent([](const TBytes&) { return std::vector<TFakeDatagram>{}; });
  const auto run = Reverse("10.0.0.1\n10.0.0.2\n", {"--server", silent.Address(), "--timeout", "100", "--reasons"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "10.0.0.1,timeout\n10.0.0.2,timeout\nDNS server " + silent.Address() + " answered no query\n");
}

TEST(ReverseCommand, UnreadableInputIsAMessageAndStatusOne) {
  const auto missing = Reverse("", {"--server", "127.0.0.1", "/nonexistent/file"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot open file \"/nonexistent/file\". No such file or directory\n");
  const auto directory = Reverse("", {"--server", "127.0.0.1", testing::TempDir()});
  EXPECT_EQ(directory.status, 1);
  EXPECT_NE(directory.err.find("Is a directory"), std::string::npos) << directory.err;
}

// The batch reads its input like every other command: a byte-order mark and UTF-16 read alike,
// and a line whose address does not read is listed unresolved under its own text.
TEST(ReverseCommand, ReadsEveryEncodingAndListsLinesWithoutAnAddress) {
  const auto utf16 = [](const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
  };
  TFakeDnsServer silent([](const TBytes&) { return std::vector<TFakeDatagram>{}; });
  const std::vector<std::string> args = {"--server", silent.Address(), "--timeout", "100", "--retries", "0"};
  const std::string text = "10.0.0.1\n999.8.8.8:80\nmail 10.0.0.2\n";
  const std::string expected =
      "10.0.0.1\n999.8.8.8:80\n10.0.0.2\nDNS server " + silent.Address() + " answered no query\n";
  const std::string file = ::testing::TempDir() + "korrin-reverse-input.txt";
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, utf16(text, false), utf16(text, true)}) {
    EXPECT_EQ(Reverse(bytes, args).err, expected);
    std::ofstream(file, std::ios::binary) << bytes;
    std::vector<std::string> withFile = args;
    withFile.push_back(file);
    EXPECT_EQ(Reverse("", withFile).err, expected);
  }
  std::remove(file.c_str());
}

TEST(ReverseCommand, AnInterruptKeepsTheResultsSoFar) {
  // The first three addresses are answered at once, the rest never.
  TFakeDnsServer server([](const TBytes& q) {
    const std::string name = QuestionName(q);
    if (name.rfind("4.", 0) == 0 || name.rfind("5.", 0) == 0) return std::vector<TFakeDatagram>{};
    const TBytes reply = Cat({Header(QueryId(q), 0x8183, 1, 0, 0, 0), Question(q)});
    return name.rfind("3.", 0) == 0
               ? std::vector<TFakeDatagram>{{reply}}
               : std::vector<TFakeDatagram>{{Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
                                                  Record({0xC0, 12}, kDnsTypePTR, WireName("h.example"))})}};
  });
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    bool sent = false;
    const auto run = Reverse("10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.4\n10.0.0.5\n",
                             {"--server", server.Address(), "--timeout", "20000"},
                             [&sent, signal](pid_t pid, const ProcessResult& sofar) {
                               if (!sent && sofar.out.size() == 2 * std::string("10.0.0.1,h.example\n").size() &&
                                   sofar.err == "10.0.0.3\n") {
                                 kill(pid, signal);
                                 sent = true;
                               }
                             });
    EXPECT_TRUE(sent);
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.out, "10.0.0.1,h.example\n10.0.0.2,h.example\n");
    EXPECT_EQ(run.err, "10.0.0.3\n");
  }
}

}  // namespace
}  // namespace korrin
