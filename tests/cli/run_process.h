#pragma once
// Runs korrin-cli as a user's shell would, capturing what it prints and its exit status.
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace korrin::test {

struct ProcessResult {
  int status = -1;  // the exit status, or 128 + the signal
  std::string out;
  std::string err;
};

// Sees the process id and what it printed so far, after each read of its output: a test can
// signal the process when the output shows it is under way.
using OutputWatch = std::function<void(pid_t pid, const ProcessResult& sofar)>;

// `input` is fed to standard input; `stdoutPath`, when given, receives standard output instead.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                     const std::string& stdoutPath = "", const OutputWatch& watch = {});
// The same with the arguments written as one text, split at blanks.
ProcessResult RunCliWords(const std::string& arguments, const std::string& input = "");

}  // namespace korrin::test

namespace korrin::test {

// A korrin-cli run fed while it runs, for checking that answers come before the input ends.
class CliSession {
 public:
  explicit CliSession(const std::vector<std::string>& args);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  void Write(const std::string& text);
  // The next line of standard output without its line break; "<timeout>" when none comes in time.
  std::string ReadLine(int timeoutMs);
  // Closes standard input and waits for the end: the rest of standard output and all of standard error.
  ProcessResult Finish();

 private:
  int FPid = -1, FIn = -1, FOut = -1, FErr = -1;
  std::string FPending;
};

}  // namespace korrin::test
