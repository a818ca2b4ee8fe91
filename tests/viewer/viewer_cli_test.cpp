// korrin-cli count and preview, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/viewer/test_streams.h"

namespace korrin {
namespace {

using test::TTempFile;

struct TRun {
  int Status;
  std::string Out;
};

TRun RunCli(const std::string& arguments) {
  const std::string command = std::string(KORRIN_CLI) + " " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(ViewerCliTest, CountPrintsTheRows) {
  TTempFile file("h\n1\n2\n3");
  EXPECT_EQ(RunCli("count " + file.Name()).Out, "3\n");
  EXPECT_EQ(RunCli("count --no-header " + file.Name()).Out, "4\n");
  EXPECT_EQ(RunCli("count /tmp/korrin-missing.csv").Status, 1);
  EXPECT_EQ(RunCli("count").Status, 2);
}

TEST(ViewerCliTest, PreviewWritesTabSeparatedRows) {
  TTempFile file("name;note\n\"Smith; J\";\"two\nlines\"\nx;\"a\\\"b\"\nlast;row\n");
  struct Case {
    std::string Options;
    std::string Expected;
  };
  // Without cell line breaks an open quote is a bad line, shown whole; the limit counts lines.
  const Case cases[] = {
      {"", "name\tnote\n\"Smith; J\";\"two\nlines\"\nx;\"a\\\\\"b\"\nlast\trow\n"},
      {"--cell-line-breaks --backslash-escapes --max-rows 2", "name\tnote\nSmith; J\ttwo\\r\\nlines\n...\n"},
      {"--no-header --max-rows 1", "Column 1\tColumn 2\nname\tnote\n...\n"},
      {"--cell-line-breaks --backslash-escapes", "name\tnote\nSmith; J\ttwo\\r\\nlines\nx\ta\"b\nlast\trow\n"},
  };
  for (const Case& c : cases) {
    const TRun run = RunCli("preview " + c.Options + " " + file.Name());
    EXPECT_EQ(run.Status, 0) << c.Options;
    EXPECT_EQ(run.Out, c.Expected) << c.Options;
  }
  EXPECT_EQ(RunCli("preview --max-rows 0 " + file.Name()).Status, 2);
  EXPECT_EQ(RunCli("preview /tmp/korrin-missing.csv").Status, 1);
}

}  // namespace
}  // namespace korrin
