#include "cli/command_failure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#include "cli/commands.h"
#include "common/exception.h"
#include "common/text.h"

namespace korrin::cli {

namespace {

std::string& CurrentInput() {
  static std::string input;
  return input;
}

}  // namespace

void ReadingInput(const std::string& fileName) {
  CurrentInput() = fileName == "-" || fileName.empty() ? std::string("standard input") : "\"" + fileName + "\"";
  // The seam through which tests make a reader fail as exhausted memory would: no input small
  // enough for a test reaches that failure otherwise.
  if (const char* fail = std::getenv("KORRIN_CLI_TEST_FAIL_READING"); fail && *fail) throw std::bad_alloc();
}

void FlushStandardOutput() {
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout))
    throw Exception(Format("Cannot write to standard output: %s", std::strerror(errno ? errno : EIO)));
}

int ReportFailure(const std::exception& e) {
  std::cout.flush();
  if (dynamic_cast<const std::bad_alloc*>(&e))
    std::cerr << (CurrentInput().empty() ? std::string("Out of memory.")
                                         : "Out of memory while reading " + CurrentInput() + ".")
              << '\n';
  else std::cerr << e.what() << '\n';
  return kExitFailure;
}

}  // namespace korrin::cli
