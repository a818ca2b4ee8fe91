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
