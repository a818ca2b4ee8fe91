// korrin-cli count: the row count of the viewer's "Count Rows...".
#include <unistd.h>

#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/delimiter_option.h"
#include "common/exception.h"
#include "common/utf16.h"
#include "viewer/file_preview.h"
#include "viewer/row_finder.h"

namespace korrin::cli {

namespace {

// Files below this size count too fast for a progress line to help; a log gets none.
constexpr int64_t kProgressMinSize = 64 << 20;

bool ShowsProgress(int64_t size) { return size >= kProgressMinSize && ::isatty(STDERR_FILENO); }

template <class TOptions>
int64_t CountMatches(TFilePreview& preview, const TOptions& options) {
  preview.SetPreviewMaxLines(1);
  if (!preview.ReadPreview(options.File, options.NoHeader)) throw Exception(preview.PreviewStatus());
  TRowFinder finder(options.File, preview.Encoding(), preview.RowOptions());
  TFindResult result;
  finder.Find({Utf8ToUtf16(options.Find), options.MatchCase, true, options.NoHeader ? 0 : 1, 0}, result);
  return result.Count;
}

}  // namespace

void AddCountCommand(CLI::App& app, int& status) {
  auto* command = app.add_subcommand("count", "Count the rows of a delimited text file (records, header skipped)");
  struct TCountOptions {
    std::string File;
    bool NoHeader = false;
    bool CellLineBreaks = false;
    bool BackslashEscapes = false;
    char16_t Delimiter = 0;
    std::string Find;
    bool MatchCase = false;
  };
  auto options = std::make_shared<TCountOptions>();
  command
      ->add_option("FILE", options->File,
                   "The file to count; - for standard input (pipes and devices are read to their end)")
      ->required();
  command->add_flag("--no-header", options->NoHeader, "Count the first line as a row too");
  command->add_flag("--cell-line-breaks", options->CellLineBreaks, "Quoted values may continue on the next line");
  command->add_flag("--backslash-escapes", options->BackslashEscapes, "A backslash escapes the next character");
  AddDelimiterOption(*command, options->Delimiter);
  command->add_option("--find", options->Find, "Count the rows that hold this text instead (the viewer's Find)");
  command->add_flag("--match-case", options->MatchCase, "With --find: upper and lower case differ");
  command->callback([&status, options] {
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
      ReadingInput(options->File);
      preview.CSVParser().SetCellLineBreaks(options->CellLineBreaks);
      preview.CSVParser().SetBackslashEscapes(options->BackslashEscapes);
      preview.SetDelimiter(options->Delimiter);
      const int64_t rows = options->Find.empty() ? preview.CountRows(options->File, options->NoHeader, progress)
                                                 : CountMatches(preview, *options);
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
