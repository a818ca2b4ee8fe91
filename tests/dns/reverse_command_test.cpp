#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "run_process.h"
#include "tests/dns/dnsmasq_process.h"

namespace korrin {
namespace {

// Runs `korrin-cli reverse <arguments>`, standard input from `input`.
test::ProcessResult Reverse(const std::string& input, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "reverse");
  return test::RunCli(arguments, input);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReverseCommand, ResolvesAPipelineAgainstDnsmasq) {
  const test::TDnsmasqProcess dnsmasq({"--ptr-record=1.0.0.10.in-addr.arpa,host1.lan",
                                       "--host-record=v6a.lan,2001:db8::1"});
  if (dnsmasq.Unavailable()) GTEST_SKIP() << dnsmasq.Problem();
  ASSERT_TRUE(dnsmasq.Ready()) << dnsmasq.Problem();
  const std::string unresolved = testing::TempDir() + "korrin-unresolved.txt";
  const auto run = Reverse("10.0.0.1:80\r\n10.0.0.1:81\nmail 10.0.0.2 US\n[2001:db8::1]:53\n",
                           {"--server", "127.0.0.77", "--server", "127.0.0.77:53", "--timeout", "2000", "--unresolved",
                            unresolved, "-"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "10.0.0.1,host1.lan\n2001:db8::1,v6a.lan\n");
  EXPECT_EQ(FileText(unresolved), "10.0.0.2\n");
  std::remove(unresolved.c_str());
}

TEST(ReverseCommand, ReportsMissingAndBadServers) {
  EXPECT_EQ(Reverse("10.0.0.1\n", {}).err, "No DNS Servers specified\n");
  EXPECT_EQ(Reverse("10.0.0.1\n", {}).status, 1);
  EXPECT_EQ(Reverse("10.0.0.1\n", {"--server", "127.0.0.1:0"}).status, 2);
  EXPECT_EQ(Reverse("", {"--server", "127.0.0.1", "/nonexistent/file"}).err,
            "Cannot open file /nonexistent/file: No such file or directory\n");
}

}  // namespace
}  // namespace korrin
