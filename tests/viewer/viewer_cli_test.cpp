// korrin-cli count and preview, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "run_process.h"

#include "tests/textio/test_streams.h"

namespace korrin {
namespace {

using test::TTempFile;

struct TRun {
  int Status;
  std::string Out;
};

// What goes to standard error is left out.
TRun RunCli(const std::string& arguments) {
  const test::ProcessResult r = test::RunCliWords(arguments);
  return {r.status, r.out};
}

TEST(ViewerCliTest, CountPrintsTheRows) {
  TTempFile file("h\n1\n2\n3");
  EXPECT_EQ(RunCli("count " + file.Name()).Out, "3\n");
  EXPECT_EQ(RunCli("count --no-header " + file.Name()).Out, "4\n");
  EXPECT_EQ(RunCli("count /tmp/korrin-missing.csv").Status, 1);
  EXPECT_EQ(RunCli("count").Status, 2);
}

TEST(ViewerCliTest, PipesStandardInputAndProcFilesAreReadToTheirEnd) {
  for (const char* name : {"-", "/dev/stdin"}) {
    EXPECT_EQ(test::RunCli({"count", name}, "h\n1\n2\n").out, "2\n") << name;
    EXPECT_EQ(test::RunCli({"preview", name}, "a,b\n1,2\n").out, "a\tb\n1\t2\n") << name;
  }
  const test::ProcessResult status = test::RunCli({"count", "--no-header", "/proc/self/status"});
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_GT(std::stoi(status.out), 10);
  // An endless device ends at the row limit.
  const test::ProcessResult zero = test::RunCli({"preview", "--max-rows", "3", "/dev/zero"});
  EXPECT_EQ(zero.status, 0) << zero.err;
  EXPECT_EQ(zero.err, "3+ rows\n");
}

// Unmapped memory fails at its first read: an error with the reason, not an empty file.
TEST(ViewerCliTest, AFileThatCannotBeReadFailsWithTheReason) {
  for (const char* command : {"count", "preview"}) {
    const test::ProcessResult run = test::RunCli({command, "/proc/self/mem"});
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.err, "Cannot read /proc/self/mem. Input/output error\n") << command;
    EXPECT_EQ(run.out, "") << command;
  }
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
      {"--cell-line-breaks --backslash-escapes --max-rows 2", "name\tnote\nSmith; J\ttwo\\nlines\n...\n"},
      {"--no-header --max-rows 1", "Column 1\tColumn 2\nname\tnote\n...\n"},
      {"--cell-line-breaks --backslash-escapes", "name\tnote\nSmith; J\ttwo\\nlines\nx\ta\"b\nlast\trow\n"},
  };
  for (const Case& c : cases) {
    const TRun run = RunCli("preview " + c.Options + " " + file.Name());
    EXPECT_EQ(run.Status, 0) << c.Options;
    EXPECT_EQ(run.Out, c.Expected) << c.Options;
  }
  EXPECT_EQ(RunCli("preview --max-rows 0 " + file.Name()).Status, 2);
  EXPECT_EQ(RunCli("preview /tmp/korrin-missing.csv").Status, 1);
}

// A line break inside a value is shown as the file holds it, and the rows counted are records.
TEST(ViewerCliTest, LineBreaksInsideValuesShowAsTheFileHoldsThem) {
  TTempFile file("a,b\n1,\"lf\nend\"\n2,\"crlf\r\nend\"\r\n3,\"cr\rend\"\n4,\"two\n\r\nbreaks\"\n");
  struct Case {
    std::string Options;
    std::string Out;
    std::string Err;
  };
  const Case cases[] = {
      {"", "a\tb\n1\tlf\\nend\n2\tcrlf\\r\\nend\n3\tcr\\rend\n4\ttwo\\n\\r\\nbreaks\n", "4 rows\n"},
      {"--from 2 --max-rows 2", "a\tb\n2\tcrlf\\r\\nend\n3\tcr\\rend\n...\n", "2 rows from row 2\n"},
  };
  for (const Case& c : cases) {
    const test::ProcessResult run = test::RunCliWords("preview --cell-line-breaks " + c.Options + " " + file.Name());
    EXPECT_EQ(run.status, 0) << c.Options;
    EXPECT_EQ(run.out, c.Out) << c.Options;
    EXPECT_EQ(run.err, c.Err) << c.Options;
  }
  EXPECT_EQ(RunCli("count --cell-line-breaks " + file.Name()).Out, "4\n");
}

TEST(ViewerCliTest, PreviewFromARowAndCountTakeTheParsingOptions) {
  std::string text = "id;name\n";
  for (int i = 1; i <= 3000; ++i) text += std::to_string(i) + ";\"n\n" + std::to_string(i) + "\"\n";
  TTempFile file(text);
  struct Case {
    std::string Arguments;
    std::string Expected;
  };
  const Case cases[] = {
      {"preview --cell-line-breaks --from 2999 --max-rows 5", "id\tname\n2999\tn\\n2999\n3000\tn\\n3000\n"},
      {"preview --cell-line-breaks --from 10 --max-rows 1", "id\tname\n10\tn\\n10\n...\n"},
      // Without cell line breaks each line is a row; an open quote shows the line whole.
      {"preview --from 5999 --max-rows 9", "id\tname\n3000;\"n\n3000\"\n"},
      {"preview --delimiter comma --from 1 --max-rows 1", "id;name\n1;\"n\n...\n"},
      {"preview --delimiter comma --from 3 --max-rows 1", "id;name\n2;\"n\n...\n"},
      {"count", "6000\n"},
      {"count --cell-line-breaks", "3000\n"},
      {"count --cell-line-breaks --no-header --delimiter semicolon", "3001\n"},
      {"count --cell-line-breaks --find 2999", "1\n"},
      {"count --find 2999", "2\n"},
      {"count --find N --match-case", "0\n"},
  };
  for (const Case& c : cases) {
    const TRun run = RunCli(c.Arguments + " " + file.Name());
    EXPECT_EQ(run.Status, 0) << c.Arguments;
    EXPECT_EQ(run.Out, c.Expected) << c.Arguments;
  }
  EXPECT_EQ(RunCli("preview --from 0 " + file.Name()).Status, 2);
  EXPECT_EQ(RunCli("count --delimiter ab " + file.Name()).Status, 2);
}

}  // namespace
}  // namespace korrin
