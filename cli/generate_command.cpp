// korrin-cli generate: the engine's every setting as a flag, lines to standard output or a file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>
#include <utility>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "cli/skipped_lines.h"
#include "common/exception.h"
#include "common/list_file.h"
#include "common/text.h"
#include "generator/generation_engine.h"
#include "generator/port_list.h"
#include "settings/choices_to_engine.h"
#include "settings/settings_file.h"
#include "viewer/text_input_reader.h"

namespace korrin::cli {

namespace {

// The example range lines the main window shows.
const char* const kExampleRanges[] = {"127.0.0.1/24", "A=192.168.1.100/16/24", "fdc7:200d:3e17::/120",
                                      "B=fdc7:200d:3e17::fb05/48/60"};

struct GenerateOptions {
  std::vector<std::string> ranges;
  std::string rangesFile;
  std::optional<std::string> settingsFile;
  std::string stored;
  bool example = false;
  bool all = false;
  std::optional<int32_t> total;
  std::optional<int32_t> each;
  bool random = false;
  std::optional<uint64_t> seed;
  bool usable = false;
  std::vector<std::string> excludes;
  std::string excludeFile;
  std::optional<std::string> ports;
  bool brackets = false;
  std::optional<std::string> names;
  std::optional<std::string> counterSymbol;
  std::optional<int32_t> first;
  std::optional<int32_t> step;
  std::optional<int32_t> digits;
  std::optional<std::string> delimiter;
  bool country = false;
  std::optional<std::string> mmdb;
  std::string output;
  std::string join = "eol";
  bool quiet = false;
  bool count = false;
  std::string shard;  // "K/N", checked by ShardOf
};

struct TShard {
  uint64_t Part = 1;  // 1 .. Parts
  uint64_t Parts = 1;
};

// Decimal digits only, and no more than 64 bits hold.
std::optional<uint64_t> UInt64Of(std::string_view text) {
  uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

// "K/N" with 1 <= K <= N; empty for any other text.
std::optional<TShard> ShardOf(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const auto part = UInt64Of(std::string_view(text).substr(0, slash));
  const auto parts = UInt64Of(std::string_view(text).substr(slash + 1));
  if (!part || !parts || *part < 1 || *part > *parts) return std::nullopt;
  return TShard{*part, *parts};
}

// Part K of N consecutive parts that differ in size by one line at most: shard 1, 2 .. N
// written one after another give the whole list.
TTextLines ShardLines(const TTextLines& lines, const TShard& shard) {
  const auto size = static_cast<TUInt128>(lines.size());
  const auto from = static_cast<size_t>(size * (shard.Part - 1) / shard.Parts);
  const auto to = static_cast<size_t>(size * shard.Part / shard.Parts);
  TTextLines part;
  for (size_t i = from; i < to; ++i) part.push_back(lines[i]);
  return part;
}

// The name delimiter choice: a named item of the window's drop-down, or a custom text.
void SetNameDelimiter(TKorrinSettings& choices, const std::string& name) {
  const char* const items[] = {"whitespace", "tab", "comma", "semicolon"};
  for (int32_t i = 0; i < 4; ++i)
    if (name == items[i]) {
      choices.NameDelimiter = i;
      return;
    }
  choices.NameDelimiter = kNameDelimiterCustom;
  choices.NameCustomDelimiter = name;
}

// The choices of a settings file (or the window's defaults), then every flag given over them,
// copied into the engine the way the window copies its controls.
void Configure(TKorrinUtils& engine, const GenerateOptions& o) {
  TKorrinSettings c;
  if (o.settingsFile) {
    ReadingInput(*o.settingsFile);
    c = LoadChoicesFromFile(*o.settingsFile, o.stored);
  }
  if (o.example) c.IPRanges.assign(std::begin(kExampleRanges), std::end(kExampleRanges));
  else if (!o.ranges.empty()) c.IPRanges = o.ranges;
  else if (!o.rangesFile.empty()) c.IPRanges = ReadInputLines(o.rangesFile);
  else if (!o.settingsFile) c.IPRanges = ReadInputLines("-");

  if (o.all) c.Mode = TCountChoice::AllIPs;
  if (o.total) {
    c.Mode = TCountChoice::TotalCount;
    c.TotalCount = std::to_string(*o.total);
  }
  if (o.each) {
    c.Mode = TCountChoice::ForEachRange;
    c.EachCount = std::to_string(*o.each);
  }
  c.RandomOrder |= o.random;
  c.UsableHostIPAddresses |= o.usable;
  c.EscapeIPv6 |= o.brackets;
  if (!o.excludes.empty() || !o.excludeFile.empty()) {
    c.Exclude = true;
    c.ExcludeMasks = o.excludes;
    if (!o.excludeFile.empty())
      for (auto& mask : ReadInputLines(o.excludeFile)) c.ExcludeMasks.push_back(std::move(mask));
  }
  if (o.ports) {
    c.AddPort = true;
    c.Ports = *o.ports;
  }
  if (o.names) {
    c.GenerateNames = true;
    c.NameTemplate = *o.names;
  }
  if (o.counterSymbol) c.CounterSymbol = *o.counterSymbol;
  if (o.first) c.FirstCounter = std::to_string(*o.first);
  if (o.step) c.CounterStep = std::to_string(*o.step);
  if (o.digits) c.CounterDigits = std::to_string(*o.digits);
  if (o.delimiter) SetNameDelimiter(c, *o.delimiter);
  c.ResolveCountry |= o.country;
  if (o.mmdb) c.MMDBFilePath = *o.mmdb;
  if (!CopySettingsToUtils(c, engine)) throw Exception(Format("Please, enter %s", kMMDBFilePathName));
  engine.SetRandomSeed(o.seed);
}

void WriteToStdout(const TTextLines& lines) {
  const std::string_view text = lines.Text();
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
    throw Exception(Format("Cannot write to standard output: %s", std::strerror(errno)));
}

std::string JoinDelimiter(const std::string& join) {
  if (join == "comma") return ",";
  if (join == "semicolon") return ";";
  return kCRLF;
}

// Options that change nothing without their switch are named, so that a forgotten switch is seen.
void WarnAboutIdleOptions(const GenerateOptions& o, const TKorrinUtils& engine) {
  const auto warn = [](const char* option, const char* needed) {
    std::cerr << "Warning: " << option << " does nothing without " << needed << std::endl;
  };
  if (!engine.GenerateNames()) {
    if (o.first) warn("--first", "--names");
    if (o.step) warn("--step", "--names");
    if (o.digits) warn("--digits", "--names");
    if (o.delimiter) warn("--delimiter", "--names");
    if (o.counterSymbol) warn("--counter-symbol", "--names");
  }
  if (o.seed && !engine.RandomOrder()) warn("--seed", "--random");
  if (o.mmdb && !engine.ResolveIPCountry()) warn("--mmdb", "--country");
  if (engine.AddPortNumbers() && ReadPortList(engine.PortNumbers()).empty())
    std::cerr << "Warning: the port list '" << engine.PortNumbers() << "' has no valid port: no lines are generated"
              << std::endl;
}

void WarnAboutSkippedLines(const TKorrinUtils& engine) {
  TSkippedLineWarnings warnings("range lines");
  for (const TSkippedRangeLine& skipped : engine.SkippedLines()) warnings.Add(skipped.Line, skipped.Text, skipped.Reason);
  warnings.AddUnseen(engine.SkippedLineCount() - static_cast<int64_t>(engine.SkippedLines().size()));
}

int RunGenerate(const GenerateOptions& o) {
  TProgressCounters progress;
  TKorrinUtils engine(&progress);
  bool warned = false;  // the skipped lines of a run, also one that stopped with an error
  const auto warnOnce = [&] {
    if (!std::exchange(warned, true)) WarnAboutSkippedLines(engine);
  };
  try {
    Configure(engine, o);
    WarnAboutIdleOptions(o, engine);
    if (!o.shard.empty() && engine.RandomOrder() && !o.seed) {
      std::cerr << "--shard with random order needs --seed, so that every shard splits the same list" << std::endl;
      return kExitUsage;
    }
    if (o.count) {
      const TLineCount count = engine.CountIPList();
      std::cout << (count.Exact ? "" : "at most ") << count.Lines.ToString() << std::endl;
      return kExitOk;
    }
    TProgressLine line(progress, !o.quiet);
    TInterruptGuard interrupt(progress);
    std::string result;
    line.Run([&] { engine.PerformGenerateIPList(result); });
    warnOnce();
    // Lines were given and none of them reads: an error, and an existing output file stays.
    if (engine.SkippedLineCount() > 0 && engine.RangeLinesRead() == 0 && !progress.Terminated()) {
      std::cerr << "No range line could be read: nothing generated." << std::endl;
      return kExitFailure;
    }
    if (!o.shard.empty()) {
      engine.IPList() = ShardLines(engine.IPList(), *ShardOf(o.shard));
      result = Format("%d IPs generated.", static_cast<int>(engine.IPList().size()));
    }
    if (o.output.empty()) WriteToStdout(engine.IPList());
    else SaveListToFile(engine.IPList(), o.output, JoinDelimiter(o.join));
    if (progress.Terminated()) {
      if (!o.quiet) std::cerr << "Terminated." << std::endl;
      return 130;
    }
    if (!o.quiet) std::cerr << result << std::endl;
    return kExitOk;
  } catch (const std::exception& e) {
    warnOnce();
    return ReportFailure(e);
  }
}

}  // namespace

void AddGenerateCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<GenerateOptions>();
  CLI::App* cmd = app.add_subcommand("generate", "Generate IP addresses from range lines");
  cmd->add_option("ranges", o->ranges,
                  "Range lines: [name=]address[/prefix[/suffix start]] or [name=]first-last; else --ranges FILE, else "
                  "standard input");
  cmd->add_option("--ranges", o->rangesFile, "Read range lines from FILE, one per line (- for standard input)")->type_name("FILE");
  cmd->add_flag("--example", o->example, "Use the example range lines of the main window");
  auto* settings = cmd->add_option("--settings", o->settingsFile,
                                   "Take every choice from a settings file; flags given override them")
                       ->type_name("FILE");
  cmd->add_option("--stored", o->stored, "With --settings: take the choices of the stored set NAME")
      ->type_name("NAME")
      ->needs(settings);
  auto* all = cmd->add_flag("--all", o->all, "All addresses of every range (the default)");
  auto* total = cmd->add_option("--total", o->total, "A total count of addresses")->type_name("N");
  auto* each = cmd->add_option("--each", o->each, "A count of addresses for each range")->type_name("N");
  all->excludes(total, each);
  total->excludes(each);
  cmd->add_flag("--random", o->random, "Random selection and order");
  cmd->add_option("--seed", o->seed, "Seed of the random order: the same seed and input give the same output")
                   ->type_name("N")
                   ->check(CLI::Validator(
                       [](std::string& text) {
                         return UInt64Of(text) ? std::string() : "a seed is a whole number from 0 to 2^64-1";
                       },
                       "0..18446744073709551615"));
  cmd->add_flag("--usable", o->usable, "Leave out the first and last address of each range");
  cmd->add_option("--exclude", o->excludes, "Leave out addresses matching a wildcard MASK, a network or a range (repeatable), e.g. *.0, "
                  "10.0.0.0/25, 10.0.0.10-10.0.0.20")
      ->type_name("MASK")->allow_extra_args(false);
  cmd->add_option("--exclude-file", o->excludeFile, "Read exclusions (masks, networks, ranges) from FILE, one per line")->type_name("FILE");
  cmd->add_option("--ports", o->ports, "Append port numbers, one line per port, e.g. 80,3128-3130")->type_name("LIST");
  cmd->add_flag("--brackets", o->brackets, "Write IPv6 addresses between square brackets (with --ports they always are)");
  cmd->add_option("--names", o->names, "Put a generated name in front: counter symbol, %1..%8 address parts, %s range name")
      ->type_name("TEMPLATE");
  cmd->add_option("--counter-symbol", o->counterSymbol, "The text in the template replaced by the counter (default #)");
  cmd->add_option("--first", o->first, "First counter value (default 1)");
  cmd->add_option("--step", o->step, "Counter step (default 1)");
  cmd->add_option("--digits", o->digits, "Minimum counter digits (default 1)");
  cmd->add_option("--delimiter", o->delimiter,
                  "Between name, address and country: whitespace (default), tab, comma, semicolon or a TEXT");
  cmd->add_flag("--country", o->country, "Append the country code of each address, from the --mmdb database");
  cmd->add_option("--mmdb", o->mmdb, "The MaxMind DB file (.mmdb) of the country codes")->type_name("FILE");
  cmd->add_option("--output", o->output, "Write the lines to FILE, as the window's Save to file... does")
      ->type_name("FILE");
  cmd->add_option("--join", o->join, "Between lines of --output: eol (CR LF), comma or semicolon")
      ->check(CLI::IsMember({"eol", "comma", "semicolon"}))
      ->capture_default_str();
  cmd->add_flag("--quiet", o->quiet, "No result text and no progress on standard error");
  auto* count = cmd->add_flag("--count", o->count,
                              "Print the number of lines the run would give (\"at most\" where exclusions make it a bound) "
                              "and generate nothing");
  auto* shard = cmd->add_option("--shard", o->shard,
                                "Print part K of the list split into N consecutive parts; with --random give --seed too")
                    ->type_name("K/N")
                    ->check(CLI::Validator(
                        [](std::string& text) { return ShardOf(text) ? std::string() : "K/N with 1 <= K <= N"; }, "K/N"));
  count->excludes(shard);
  cmd->callback([o, &status] { status = RunGenerate(*o); });
}

}  // namespace korrin::cli
