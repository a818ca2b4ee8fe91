#pragma once
// A real DNS server for the tests: dnsmasq on 127.0.0.77:53, started with the test's own records
// and no system configuration, stopped by its process id when the object goes.
#include <sys/types.h>

#include <string>
#include <vector>

namespace korrin::test {

class TDnsmasqProcess {
 public:
  static constexpr const char* kAddress = "127.0.0.77";

  // Starts dnsmasq with `records` (such as "--ptr-record=...") and waits until it answers.
  // Ready() tells whether it did; Problem() why not, and Unavailable() whether that is the
  // environment's doing (no dnsmasq, port 53 not bindable) rather than a fault.
  explicit TDnsmasqProcess(const std::vector<std::string>& records);
  ~TDnsmasqProcess();
  TDnsmasqProcess(const TDnsmasqProcess&) = delete;
  TDnsmasqProcess& operator=(const TDnsmasqProcess&) = delete;

  bool Ready() const { return FReady; }
  bool Unavailable() const { return FUnavailable; }
  const std::string& Problem() const { return FProblem; }

 private:
  bool Start(const std::vector<std::string>& records);
  bool WaitUntilAnswering();
  std::string Log() const;

  std::string FDir;
  pid_t FPid = -1;
  bool FReady = false;
  bool FUnavailable = false;
  std::string FProblem;
};

// "--ptr-record" options naming 10.0.0.0 to 10.0.0.<count - 1> "host<i>.lan", for the benchmarks.
std::vector<std::string> NumberedPtrRecords(int count);

}  // namespace korrin::test
