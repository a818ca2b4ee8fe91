// korrin-cli reverse: resolves output lines to host names with PTR queries, taking the given
// servers in turn; resolved lines go to standard output, unresolved addresses to standard error
// or a file.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/reverse_lookup.h"
#include "dns/reverse_lookup_lists.h"

namespace korrin::cli {

namespace {

struct TReverseOptions {
  std::vector<std::string> Servers;
  std::string Input = "-";
  std::string Unresolved;
  int32_t Timeout = 5000;
};

std::vector<std::string> ReadLines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> InputLines(const std::string& path) {
  if (path == "-") return ReadLines(std::cin);
  std::ifstream in(path);
  if (!in) throw Exception(Format("Cannot open file %s: %s", path.c_str(), std::strerror(errno)));
  return ReadLines(in);
}

// The "done of total" line, redrawn in place on a terminal; other output clears it first.
class TProgressLine {
 public:
  explicit TProgressLine(bool shown) : FShown(shown) {}
  void Show(int done, int total) {
    if (!FShown) return;
    FText = FormatCount(done) + " / " + FormatCount(total);
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
};

void RunReverse(const TReverseOptions& options) {
  for (const std::string& server : options.Servers) {
    try {
      SplitServerText(server);
    } catch (const EDnsError& e) {
      throw CLI::ValidationError("--server", e.what());
    }
  }
  const std::vector<std::string> lines = InputLines(options.Input);
  std::unique_ptr<std::ofstream> unresolvedFile;
  if (!options.Unresolved.empty()) {
    unresolvedFile = std::make_unique<std::ofstream>(options.Unresolved);
    if (!*unresolvedFile)
      throw Exception(Format("Cannot create file %s: %s", options.Unresolved.c_str(), std::strerror(errno)));
  }
  std::ostream& unresolved = unresolvedFile ? *unresolvedFile : std::cerr;
  TProgressLine progress(isatty(STDERR_FILENO) != 0);

  TReverseLookup batch;
  batch.Resolver().SetWaitingTime(options.Timeout);
  TReverseLookupEvents events;
  events.OnProgress = [&](int done, int total) { progress.Show(done, total); };
  events.OnResolved = [](const std::string& line) { std::cout << line << '\n'; };
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
