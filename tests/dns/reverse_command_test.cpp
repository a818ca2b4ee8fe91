#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/dns/dnsmasq_process.h"

namespace korrin {
namespace {

struct TRun {
  int Status = -1;
  std::string Out;
};

// Runs `korrin-cli reverse <arguments>` through the shell, standard input from `input`.
TRun Reverse(const std::string& input, const std::string& arguments) {
  const std::string command = "printf '" + input + "' | " KORRIN_CLI " reverse " + arguments;
  TRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, n);
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
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
  const TRun run = Reverse("10.0.0.1:80\\r\\n10.0.0.1:81\\nmail 10.0.0.2 US\\n[2001:db8::1]:53\\n",
                           "--server 127.0.0.77 --server 127.0.0.77:53 --timeout 2000 --unresolved " + unresolved + " -");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "10.0.0.1,host1.lan\n2001:db8::1,v6a.lan\n");
  EXPECT_EQ(FileText(unresolved), "10.0.0.2\n");
  std::remove(unresolved.c_str());
}

TEST(ReverseCommand, ReportsMissingAndBadServers) {
  EXPECT_EQ(Reverse("10.0.0.1\\n", "2>&1").Out, "No DNS Servers specified\n");
  EXPECT_EQ(Reverse("10.0.0.1\\n", "2>&1").Status, 1);
  EXPECT_EQ(Reverse("10.0.0.1\\n", "--server 127.0.0.1:0 2>/dev/null").Status, 2);
  EXPECT_EQ(Reverse("", "--server 127.0.0.1 /nonexistent/file 2>&1").Out,
            "Cannot open file /nonexistent/file: No such file or directory\n");
}

}  // namespace
}  // namespace korrin
