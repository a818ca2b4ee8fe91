// korrin-cli reverse: resolves output lines to host names with PTR queries, taking the given
// servers in turn; resolved lines go to standard output, unresolved addresses to standard error
// or a file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/skipped_lines.h"
#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/reverse_lookup.h"
#include "dns/reverse_lookup_lists.h"
#include "viewer/text_input_reader.h"

namespace korrin::cli {

namespace {

struct TReverseOptions {
  std::vector<std::string> Servers;
  std::string Input = "-";
  std::string Unresolved;
  int32_t Timeout = 5000;
};

// The "done of total" line on a terminal, redrawn in place at most ten times a second; other
// output to the terminal clears it first and puts it back after.
class TDoneOfTotalLine {
 public:
  explicit TDoneOfTotalLine(bool shown) : FShown(shown) {}
  void Show(int done, int total) {
    if (!FShown) return;
    FText = FormatCount(done) + " / " + FormatCount(total);
    const auto now = std::chrono::steady_clock::now();
    if (done != total && done != 0 && now - FLastShown < std::chrono::milliseconds(100)) return;
    FLastShown = now;
    std::cerr << "\r\x1b[K" << FText << std::flush;
  }
  void Clear() {
    if (FShown) std::cerr << "\r\x1b[K";
  }
  void Restore() {
    if (FShown) std::cerr << FText << std::flush;
  }

 private:
  bool FShown;
  std::string FText;
  std::chrono::steady_clock::time_point FLastShown;
};

void RunReverse(const TReverseOptions& options) {
  for (const std::string& server : options.Servers) {
    if (server.empty()) continue;  // left out like an empty line of the server list
    try {
      SplitServerText(server);
    } catch (const EDnsError& e) {
      throw CLI::ValidationError("--server", e.what());
    }
  }
  const std::vector<std::string> lines = ReadInputLines(options.Input);
  {
    TSkippedLineWarnings warnings("lines");
    std::string address, problem;
    for (size_t i = 0; i < lines.size(); ++i)
      if (!Trim(lines[i]).empty() && !TryAddressFromOutputLine(lines[i], address, problem))
        warnings.Add(static_cast<int64_t>(i) + 1, lines[i], problem);
  }
  std::unique_ptr<std::ofstream> unresolvedFile;
  if (!options.Unresolved.empty()) {
    unresolvedFile = std::make_unique<std::ofstream>(options.Unresolved);
    if (!*unresolvedFile)
      throw Exception(Format("Cannot create file %s: %s", options.Unresolved.c_str(), std::strerror(errno)));
  }
  std::ostream& unresolved = unresolvedFile ? *unresolvedFile : std::cerr;
  TDoneOfTotalLine progress(isatty(STDERR_FILENO) != 0);
  const bool resultsOnTerminal = isatty(STDOUT_FILENO) != 0;

  TReverseLookup batch;
  batch.Resolver().SetWaitingTime(options.Timeout);
  TReverseLookupEvents events;
  events.OnProgress = [&](int done, int total) { progress.Show(done, total); };
  events.OnResolved = [&](const std::string& line) {
    if (!resultsOnTerminal) {
      std::cout << line << '\n';
      return;
    }
    progress.Clear();
    std::cout << line << std::endl;
    progress.Restore();
  };
  events.OnUnresolved = [&](const std::string& address) {
    if (!unresolvedFile) progress.Clear();
    unresolved << address << '\n';
    if (!unresolvedFile) progress.Restore();
  };
  batch.SetEvents(events);
  batch.Lookup(lines, options.Servers);
  progress.Clear();
  std::cout.flush();
  if (unresolvedFile && !unresolvedFile->flush())
    throw Exception(Format("Cannot write file %s: %s", options.Unresolved.c_str(), std::strerror(errno)));
}

}  // namespace

void AddReverseCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<TReverseOptions>();
  CLI::App* command = app.add_subcommand("reverse", "Resolve output lines to host names with PTR queries");
  command->add_option("--server", options->Servers, "DNS server: address or name, optionally with :port; repeat to take turns")
      ->allow_extra_args(false)
      ->type_name("S");
  command->add_option("--unresolved", options->Unresolved, "Write unresolved addresses to FILE instead of standard error")
      ->type_name("FILE");
  command->add_option("--timeout", options->Timeout, "Wait for each reply, in milliseconds")
      ->default_val(5000)
      ->check(CLI::Range(0, 3600000))
      ->type_name("MS");
  command->add_option("input", options->Input, "Output lines to resolve; - for standard input")->type_name("FILE|-");
  command->callback([options, &status] {
    try {
      RunReverse(*options);
    } catch (const Exception& e) {
      std::cerr << e.what() << '\n';
      status = kExitFailure;
    }
  });
}

}  // namespace korrin::cli
