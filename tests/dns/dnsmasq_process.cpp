#include "tests/dns/dnsmasq_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "dns/reverse_lookup.h"

extern char** environ;

namespace korrin::test {

namespace {

constexpr int kExecFailed = 127;

}  // namespace

TDnsmasqProcess::TDnsmasqProcess(const std::vector<std::string>& records) {
  char dirTemplate[] = "/tmp/korrin-dnsmasq-XXXXXX";
  FDir = mkdtemp(dirTemplate) != nullptr ? dirTemplate : "/tmp";
  // Another test of the same run may still hold the port for a moment: wait for it to go.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Start(records) && FProblem.find("Address already in use") != std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

bool TDnsmasqProcess::Start(const std::vector<std::string>& records) {
  FUnavailable = false;
  FProblem.clear();
  std::vector<std::string> args = {"dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv",
                                   "--no-hosts", "--bind-interfaces", std::string("--listen-address=") + kAddress,
                                   "--port=53", "--bogus-priv", "--log-facility=-",
                                   "--pid-file=" + FDir + "/dnsmasq.pid",
                                   // Its own address answers, which tells when it is up.
                                   "--ptr-record=77.0.0.127.in-addr.arpa,dnsmasq.test"};
  args.insert(args.end(), records.begin(), records.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string log = FDir + "/dnsmasq.log";
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int rc = posix_spawnp(&FPid, "dnsmasq", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    FPid = -1;
    FUnavailable = true;
    FProblem = "dnsmasq is not installed (scripts/install-deps installs it)";
    return false;
  }
  FReady = WaitUntilAnswering();
  return FReady;
}

TDnsmasqProcess::~TDnsmasqProcess() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  std::remove((FDir + "/dnsmasq.log").c_str());
  std::remove((FDir + "/dnsmasq.pid").c_str());
  rmdir(FDir.c_str());
}

bool TDnsmasqProcess::WaitUntilAnswering() {
  TReverseLookup probe;
  probe.Options().WaitingTime = 100;
  probe.Options().Retries = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(FPid, &status, WNOHANG) == FPid) {
      FPid = -1;
      const std::string log = Log();
      FUnavailable = (WIFEXITED(status) && WEXITSTATUS(status) == kExecFailed) ||
                     log.find("failed to create listening socket") != std::string::npos ||
                     log.find("failed to bind") != std::string::npos;
      FProblem = "dnsmasq exited at start: " + log;
      return false;
    }
    if (!probe.ResolveIPList({kAddress}, {kAddress}).NoServerAnswered) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  FProblem = "dnsmasq did not answer within 10 s: " + Log();
  return false;
}

std::string TDnsmasqProcess::Log() const {
  std::ifstream in(FDir + "/dnsmasq.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> NumberedPtrRecords(int count) {
  std::vector<std::string> records;
  for (int i = 0; i < count; ++i)
    records.push_back("--ptr-record=" + std::to_string(i) + ".0.0.10.in-addr.arpa,host" + std::to_string(i) + ".lan");
  return records;
}

}  // namespace korrin::test
