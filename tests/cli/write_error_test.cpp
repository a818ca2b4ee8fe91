// Every subcommand on a full disk: output that cannot be written ends with the failure status and
// the reason, never with success and a list cut short.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_process.h"
#include "tests/support/temp_folder.h"

namespace korrin::test {
namespace {

TEST(WriteErrors, EverySubcommandReportsAFullStandardOutput) {
  const TTempFolder folder;
  const std::string csv = folder / "rows.csv";
  std::string rows = "a,b\n";
  for (int i = 0; i < 5000; ++i) rows += std::to_string(i) + ",x\n";
  WriteBytes(csv, rows);
  const std::string ini = folder / "k.ini";
  WriteBytes(ini, "StoredListN=1\r\nStoredList1.Name=Office\r\n");
  const std::string db = std::string(KORRIN_TEST_DATA_DIR) + "/test-data/GeoIP2-City-Test.mmdb";
  // Enough addresses to fill several output buffers, few enough for the pipe of standard input.
  std::string addresses;
  for (int i = 0; i < 2000; ++i) addresses += "81.2.69." + std::to_string(i % 256) + "\n";
  const struct {
    std::vector<std::string> args;
    std::string input;
  } cases[] = {
      {{"lookup", "--mmdb", db}, addresses},
      {{"lookup", "--mmdb", db, "81.2.69.160"}, ""},
      {{"preview", csv}, ""},
      {{"preview", csv, "--from", "10"}, ""},
      {{"count", csv}, ""},
      {{"count", csv, "--find", "x"}, ""},
      {{"mmdb-meta", db}, ""},
      {{"settings", "list", ini}, ""},
      {{"settings", "show", "--settings", ini}, ""},
      {{"generate", "10.0.0.0/24", "--quiet"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const ProcessResult r = RunCli(c.args, c.input, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot write to standard output: No space left on device\n"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace korrin::test
