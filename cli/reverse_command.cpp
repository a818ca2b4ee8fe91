// korrin-cli reverse: resolves output lines to host names with PTR queries, many in flight,
// taking the servers in turn; resolved lines go to standard output as they become final, in
// input order, unresolved addresses to standard error or a file. A pipeline stage: output is
// flushed at least every 100 ms, and Ctrl+C or SIGTERM keeps what was found so far.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/name_delimiter.h"
#include "cli/progress_line.h"
#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/reverse_lookup.h"
#include "dns/reverse_lookup_lists.h"
#include "settings/choices_to_engine.h"
#include "settings/settings_file.h"

namespace korrin::cli {

namespace {

constexpr const char* kResolvConf = "/etc/resolv.conf";
constexpr auto kFlushPeriod = std::chrono::milliseconds(100);

struct TReverseOptions {
  std::vector<std::string> Servers;
  std::string Input = "-";
  std::string Unresolved;
  std::optional<std::string> SettingsFile;
  std::optional<std::string> Delimiter;
  std::optional<int> Parallel;
  int32_t Timeout = 5000;
  int Retries = 2;
  double Rate = 0;
  bool Reasons = false;
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
    if (done != total && done != 0 && now - FLastShown < kFlushPeriod) return;
    FLastShown = now;
    std::fprintf(stderr, "\r\x1b[K%s", FText.c_str());
  }
  void Clear() {
    if (FShown) std::fputs("\r\x1b[K", stderr);
  }
  void Restore() {
    if (FShown) std::fputs(FText.c_str(), stderr);
  }

 private:
  bool FShown;
  std::string FText;
  std::chrono::steady_clock::time_point FLastShown;
};

// One output stream of results: written through its buffer and flushed once the oldest
// unflushed line is 100 ms old, so a reader down the pipe sees results soon without a write
// per line.
class TResultStream {
 public:
  TResultStream(std::FILE* file, std::string name) : FFile(file), FName(std::move(name)) {}
  void Write(const std::string& line) {
    if (std::fputs(line.c_str(), FFile) < 0 || std::fputc('\n', FFile) < 0) Fail();
    if (!FPending) {
      FPending = true;
      FSince = std::chrono::steady_clock::now();
    }
  }
  void FlushIfDue() {
    if (FPending && std::chrono::steady_clock::now() - FSince >= kFlushPeriod) Flush();
  }
  void Flush() {
    FPending = false;
    if (std::fflush(FFile) != 0) Fail();
  }

 private:
  [[noreturn]] void Fail() const {
    throw Exception(Format("Cannot write %s: %s", FName.c_str(), std::strerror(errno)));
  }

  std::FILE* FFile;
  std::string FName;
  bool FPending = false;
  std::chrono::steady_clock::time_point FSince;
};

struct TFileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The servers and the delimiter: the flags, else the settings file, else the system's resolver.
std::vector<std::string> ServersOf(const TReverseOptions& options, const TKorrinSettings& choices) {
  if (!options.Servers.empty()) return options.Servers;
  if (options.SettingsFile) return choices.DNSServers;
  try {
    return ResolvConfServers(ReadInputLines(kResolvConf));
  } catch (const Exception&) {
    return {};  // no resolver configured: "No DNS Servers specified" says what to do
  }
}

int RunReverse(const TReverseOptions& options) {
  for (const std::string& server : options.Servers) {
    if (server.empty()) continue;  // left out like an empty line of the server list
    try {
      SplitServerText(server);
    } catch (const EDnsError& e) {
      throw CLI::ValidationError("--server", e.what());
    }
  }
  TKorrinSettings choices;
  if (options.SettingsFile) choices = LoadChoicesFromFile(*options.SettingsFile);
  if (options.Delimiter) SetNameDelimiter(choices, *options.Delimiter);
  const std::vector<std::string> servers = ServersOf(options, choices);
  const std::vector<std::string> lines = ReadInputLines(options.Input);

  std::unique_ptr<std::FILE, TFileClose> unresolvedFile;
  if (!options.Unresolved.empty()) {
    unresolvedFile.reset(std::fopen(options.Unresolved.c_str(), "w"));
    if (!unresolvedFile)
      throw Exception(Format("Cannot create file %s: %s", options.Unresolved.c_str(), std::strerror(errno)));
  }
  TResultStream resolvedOut(stdout, "to standard output");
  TResultStream unresolvedOut(unresolvedFile ? unresolvedFile.get() : stderr,
                              unresolvedFile ? "file " + options.Unresolved : "to standard error");
  TDoneOfTotalLine progress(isatty(STDERR_FILENO) != 0);
  // On a terminal every line shows at once and the progress line makes way for it.
  const bool resultsOnTerminal = isatty(STDOUT_FILENO) != 0;
  const bool unresolvedOnTerminal = !unresolvedFile && isatty(STDERR_FILENO) != 0;

  TProgressCounters interrupt;
  const TInterruptGuard guard(interrupt);
  TReverseLookup batch;
  batch.Options().WaitingTime = options.Timeout;
  batch.Options().Parallel = options.Parallel.value_or(choices.DNSQueriesInFlight);
  batch.Options().Retries = options.Retries;
  batch.Options().Rate = options.Rate;
  TReverseLookupEvents events;
  events.OnProgress = [&](int done, int total) { progress.Show(done, total); };
  events.OnProcessEvents = [&] {
    if (interrupt.Terminated()) batch.Break();
    resolvedOut.FlushIfDue();
    unresolvedOut.FlushIfDue();
  };
  const auto write = [&progress](TResultStream& out, bool onTerminal, const std::string& line) {
    if (onTerminal) progress.Clear();
    out.Write(line);
    if (onTerminal) {
      out.Flush();
      progress.Restore();
    }
  };
  events.OnResolved = [&](const std::string& line) { write(resolvedOut, resultsOnTerminal, line); };
  events.OnUnresolved = [&](const std::string& address, TLookupReason reason) {
    write(unresolvedOut, unresolvedOnTerminal, options.Reasons ? address + "," + ReasonText(reason) : address);
  };
  batch.SetEvents(events);
  const TReverseLookupSummary summary =
      batch.Lookup(lines, servers, NameDelimiterOf(choices.NameDelimiter, choices.NameCustomDelimiter));
  progress.Clear();
  resolvedOut.Flush();
  unresolvedOut.Flush();
  for (const std::string& warning : summary.Warnings) std::fprintf(stderr, "%s\n", warning.c_str());
  if (summary.Broken) return kExitInterrupted;
  return summary.NoServerAnswered ? kExitFailure : kExitOk;
}

}  // namespace

void AddReverseCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<TReverseOptions>();
  CLI::App* command = app.add_subcommand("reverse", "Resolve output lines to host names with PTR queries");
  command
      ->add_option("--server", options->Servers,
                   "DNS server: address or name, optionally with :port; repeat to take turns (default: the "
                   "--settings file's servers, else /etc/resolv.conf)")
      ->allow_extra_args(false)
      ->type_name("S");
  command
      ->add_option("--settings", options->SettingsFile,
                   "Take the DNS servers, the name delimiter and the queries in flight from a settings file")
      ->type_name("FILE");
  command
      ->add_option("--unresolved", options->Unresolved, "Write unresolved addresses to FILE instead of standard error")
      ->type_name("FILE");
  command->add_flag("--reasons", options->Reasons, "Add why to each unresolved address: 10.0.0.5,NXDOMAIN");
  command->add_option("--timeout", options->Timeout, "Wait for each reply, in milliseconds")
      ->default_val(5000)
      ->check(CLI::Range(0, 3600000))
      ->type_name("MS");
  command->add_option("--parallel", options->Parallel, "Queries in flight at once (default 64); 1 asks one at a time")
      ->check(CLI::Range(1, kMaxQueriesInFlight))
      ->type_name("W");
  command->add_option("--retries", options->Retries, "Ask again, of the next server, after a time-out")
      ->default_val(2)
      ->check(CLI::Range(0, 10))
      ->type_name("R");
  command->add_option("--rate", options->Rate, "Send at most QPS queries a second, retries included; 0 for no limit")
      ->default_val(0)
      ->check(CLI::Range(0.0, 1e7))
      ->type_name("QPS");
  command
      ->add_option("--delimiter", options->Delimiter,
                   "Between name, address and country in the input: whitespace (default), tab, comma, semicolon "
                   "or a TEXT")
      ->type_name("D");
  command->add_option("input", options->Input, "Output lines to resolve; - for standard input")->type_name("FILE|-");
  command->callback([options, &status] {
    try {
      status = RunReverse(*options);
    } catch (const CLI::Error&) {
      throw;
    } catch (const std::exception& e) {
      std::fflush(stdout);
      status = ReportFailure(e);
    } catch (...) {
      std::fprintf(stderr, "reverse: unexpected failure\n");
      status = kExitFailure;
    }
  });
}

}  // namespace korrin::cli
