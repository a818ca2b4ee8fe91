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
            "Cannot open file \"/nonexistent/file\". No such file or directory\n");
}

// The batch reads its input like every other command; a line whose address does not read is
// named before any query (here there is no server, so nothing is sent at all).
TEST(ReverseCommand, ReadsEveryEncodingAndNamesLinesWithoutAnAddress) {
  const auto utf16 = [](const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
  };
  const std::string text = "10.0.0.1\n999.8.8.8:80\nmail 10.0.0.2\n[fdc7::1.2]:80\n";
  const std::string expected =
      "line 2 skipped: 999.8.8.8:80: IPv4 part '999' is not a number from 0 to 255\n"
      "line 4 skipped: [fdc7::1.2]:80: only ::ffff: may precede an IPv4 part\n"
      "No DNS Servers specified\n";
  const std::string file = ::testing::TempDir() + "korrin-reverse-input.txt";
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, utf16(text, false), utf16(text, true)}) {
    EXPECT_EQ(Reverse(bytes, {}).err, expected);
    std::ofstream(file, std::ios::binary) << bytes;
    EXPECT_EQ(Reverse("", {file}).err, expected);
  }
  EXPECT_EQ(Reverse("", {"--server", "999.8.8.8"}).status, 2);
}

}  // namespace
}  // namespace korrin
