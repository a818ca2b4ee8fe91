// korrin-cli generate: the engine's every setting as a flag, lines to standard output or a file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/name_delimiter.h"
#include "cli/progress_line.h"
#include "common/exception.h"
#include "common/file_io.h"
#include "common/list_file.h"
#include "common/text.h"
#include "generator/generation_engine.h"
#include "settings/choices_to_engine.h"
#include "settings/settings_file.h"

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
};

std::vector<std::string> ReadLinesFromFile(const std::string& path) { return SplitLines(ReadWholeFile(path)); }

std::vector<std::string> ReadLinesFromStdin() {
  std::string text;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) text.append(buffer, n);
  return SplitLines(text);
}

// The choices of a settings file (or the window's defaults), then every flag given over them,
// copied into the engine the way the window copies its controls.
void Configure(TKorrinUtils& engine, const GenerateOptions& o) {
  TKorrinSettings c;
  if (o.settingsFile) c = LoadChoicesFromFile(*o.settingsFile, o.stored);
  if (o.example) c.IPRanges.assign(std::begin(kExampleRanges), std::end(kExampleRanges));
  else if (!o.ranges.empty()) c.IPRanges = o.ranges;
  else if (!o.rangesFile.empty()) c.IPRanges = ReadLinesFromFile(o.rangesFile);
  else if (!o.settingsFile) c.IPRanges = ReadLinesFromStdin();

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
      for (auto& mask : ReadLinesFromFile(o.excludeFile)) c.ExcludeMasks.push_back(std::move(mask));
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

int RunGenerate(const GenerateOptions& o) {
  TProgressCounters progress;
  TKorrinUtils engine(&progress);
  try {
    Configure(engine, o);
    TProgressLine line(progress, !o.quiet);
    TInterruptGuard interrupt(progress);
    std::string result;
    line.Run([&] { engine.PerformGenerateIPList(result); });
    if (o.output.empty()) WriteToStdout(engine.IPList());
    else SaveListToFile(engine.IPList(), o.output, JoinDelimiter(o.join));
    if (progress.Terminated()) {
      if (!o.quiet) std::cerr << "Terminated." << std::endl;
      return 130;
    }
    if (!o.quiet) std::cerr << result << std::endl;
    return kExitOk;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return kExitFailure;
  }
}

}  // namespace

void AddGenerateCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<GenerateOptions>();
  CLI::App* cmd = app.add_subcommand("generate", "Generate IP addresses from range lines");
  cmd->add_option("ranges", o->ranges,
                  "Range lines: [name=]address[/prefix[/suffix start]]; else --ranges FILE, else standard input");
  cmd->add_option("--ranges", o->rangesFile, "Read range lines from FILE, one per line")->type_name("FILE");
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
      ->type_name("N");
  cmd->add_flag("--usable", o->usable, "Leave out the first and last address of each range");
  cmd->add_option("--exclude", o->excludes, "Leave out addresses matching a wildcard MASK (repeatable), e.g. *.0")
      ->type_name("MASK")->allow_extra_args(false);
  cmd->add_option("--exclude-file", o->excludeFile, "Read exclusion masks from FILE, one per line")->type_name("FILE");
  cmd->add_option("--ports", o->ports, "Append port numbers, one line per port, e.g. 80,3128-3130")->type_name("LIST");
  cmd->add_flag("--brackets", o->brackets, "Write IPv6 addresses between square brackets");
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
  cmd->callback([o, &status] { status = RunGenerate(*o); });
}

}  // namespace korrin::cli
