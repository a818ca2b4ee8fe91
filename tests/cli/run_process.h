#pragma once
// Runs korrin-cli as a user's shell would, capturing what it prints and its exit status.
#include <string>
#include <vector>

namespace korrin::test {

struct ProcessResult {
  int status = -1;  // the exit status, or 128 + the signal
  std::string out;
  std::string err;
};

// `input` is fed to standard input; `stdoutPath`, when given, receives standard output instead.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                     const std::string& stdoutPath = "");

}  // namespace korrin::test
