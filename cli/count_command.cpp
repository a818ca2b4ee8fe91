// korrin-cli count: the row count of the viewer's "Count Rows...".
#include <unistd.h>

#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "common/exception.h"
#include "viewer/file_preview.h"

namespace korrin::cli {

namespace {

// Files below this size count too fast for a progress line to help; a log gets none.
constexpr int64_t kProgressMinSize = 64 << 20;

bool ShowsProgress(int64_t size) { return size >= kProgressMinSize && ::isatty(STDERR_FILENO); }

}  // namespace

void AddCountCommand(CLI::App& app, int& status) {
  auto* command = app.add_subcommand("count", "Count the rows of a delimited text file (lines, header skipped)");
  auto file = std::make_shared<std::string>();
  auto noHeader = std::make_shared<bool>(false);
  command->add_option("FILE", *file, "The file to count; - for standard input (pipes and devices are read to their end)")->required();
  command->add_flag("--no-header", *noHeader, "Count the first line as a row too");
  command->callback([&status, file, noHeader] {
    int shownPercent = -1;
    int shows = -1;
    auto progress = [&shownPercent, &shows](int64_t position, int64_t size, int64_t) {
      if (shows < 0) shows = ShowsProgress(size);
      if (!shows) return false;
      const int percent = static_cast<int>(position * 100 / size);
      if (percent != shownPercent) {
        shownPercent = percent;
        std::cerr << "\rCounting... " << percent << "%" << std::flush;
      }
      return false;
    };
    try {
      TFilePreview preview;
      ReadingInput(*file);
      const int64_t rows = preview.CountRows(*file, *noHeader, progress);
      if (shownPercent >= 0) std::cerr << '\n';
      std::cout << rows << '\n';
      status = kExitOk;
    } catch (const Exception& e) {
      if (shownPercent >= 0) std::cerr << '\n';
      std::cerr << e.what() << '\n';
      status = kExitFailure;
    }
  });
}

}  // namespace korrin::cli
