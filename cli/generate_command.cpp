// korrin-cli generate: the engine's every setting as a flag, lines to standard output or a file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/commands.h"
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

struct TGenerateOptions {
  std::vector<std::string> Ranges;
  std::string RangesFile;
  std::optional<std::string> SettingsFile;
  std::string Stored;
  bool Example = false;
  bool All = false;
  std::optional<int32_t> Total;
  std::optional<int32_t> Each;
  bool Random = false;
  std::optional<uint64_t> Seed;
  bool Usable = false;
  std::vector<std::string> Excludes;
  std::string ExcludeFile;
  std::optional<std::string> Ports;
  bool Brackets = false;
  std::optional<std::string> Names;
  std::optional<std::string> CounterSymbol;
  std::optional<int32_t> First;
  std::optional<int32_t> Step;
  std::optional<int32_t> Digits;
  std::optional<std::string> Delimiter;
  bool Country = false;
  std::optional<std::string> Mmdb;
  std::string Output;
  std::string Join = "eol";
  bool Quiet = false;
};

std::vector<std::string> ReadLinesFromFile(const std::string& path) { return SplitLines(ReadWholeFile(path)); }

std::vector<std::string> ReadLinesFromStdin() {
  std::string text;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) text.append(buffer, n);
  return SplitLines(text);
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
void Configure(TKorrinUtils& engine, const TGenerateOptions& o) {
  TKorrinSettings c;
  if (o.SettingsFile) c = LoadChoicesFromFile(*o.SettingsFile, o.Stored);
  if (o.Example) c.IPRanges.assign(std::begin(kExampleRanges), std::end(kExampleRanges));
  else if (!o.Ranges.empty()) c.IPRanges = o.Ranges;
  else if (!o.RangesFile.empty()) c.IPRanges = ReadLinesFromFile(o.RangesFile);
  else if (!o.SettingsFile) c.IPRanges = ReadLinesFromStdin();

  if (o.All) c.Mode = TCountChoice::AllIPs;
  if (o.Total) {
    c.Mode = TCountChoice::TotalCount;
    c.TotalCount = std::to_string(*o.Total);
  }
  if (o.Each) {
    c.Mode = TCountChoice::ForEachRange;
    c.EachCount = std::to_string(*o.Each);
  }
  c.RandomOrder |= o.Random;
  c.UsableHostIPAddresses |= o.Usable;
  c.EscapeIPv6 |= o.Brackets;
  if (!o.Excludes.empty() || !o.ExcludeFile.empty()) {
    c.Exclude = true;
    c.ExcludeMasks = o.Excludes;
    if (!o.ExcludeFile.empty())
      for (auto& mask : ReadLinesFromFile(o.ExcludeFile)) c.ExcludeMasks.push_back(std::move(mask));
  }
  if (o.Ports) {
    c.AddPort = true;
    c.Ports = *o.Ports;
  }
  if (o.Names) {
    c.GenerateNames = true;
    c.NameTemplate = *o.Names;
  }
  if (o.CounterSymbol) c.CounterSymbol = *o.CounterSymbol;
  if (o.First) c.FirstCounter = std::to_string(*o.First);
  if (o.Step) c.CounterStep = std::to_string(*o.Step);
  if (o.Digits) c.CounterDigits = std::to_string(*o.Digits);
  if (o.Delimiter) SetNameDelimiter(c, *o.Delimiter);
  c.ResolveCountry |= o.Country;
  if (o.Mmdb) c.MMDBFilePath = *o.Mmdb;
  if (!CopySettingsToUtils(c, engine)) throw Exception(Format("Please, enter %s", kMMDBFilePathName));
  engine.SetRandomSeed(o.Seed);
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

int RunGenerate(const TGenerateOptions& o) {
  TProgressCounters progress;
  TKorrinUtils engine(&progress);
  try {
    Configure(engine, o);
    TProgressLine line(progress, !o.Quiet);
    TInterruptGuard interrupt(progress);
    std::string result;
    line.Run([&] { engine.PerformGenerateIPList(result); });
    if (o.Output.empty()) WriteToStdout(engine.IPList());
    else SaveListToFile(engine.IPList(), o.Output, JoinDelimiter(o.Join));
    if (progress.Terminated()) {
      if (!o.Quiet) std::cerr << "Terminated." << std::endl;
      return kExitInterrupted;
    }
    if (!o.Quiet) std::cerr << result << std::endl;
    return kExitOk;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return kExitFailure;
  }
}

}  // namespace

void AddGenerateCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<TGenerateOptions>();
  CLI::App* cmd = app.add_subcommand("generate", "Generate IP addresses from range lines");
  cmd->add_option("ranges", o->Ranges,
                  "Range lines: [name=]address[/prefix[/suffix start]]; else --ranges FILE, else standard input");
  cmd->add_option("--ranges", o->RangesFile, "Read range lines from FILE, one per line")->type_name("FILE");
  cmd->add_flag("--example", o->Example, "Use the example range lines of the main window");
  auto* settings = cmd->add_option("--settings", o->SettingsFile,
                                   "Take every choice from a settings file; flags given override them")
                       ->type_name("FILE");
  cmd->add_option("--stored", o->Stored, "With --settings: take the choices of the stored set NAME")
      ->type_name("NAME")
      ->needs(settings);
  auto* all = cmd->add_flag("--all", o->All, "All addresses of every range (the default)");
  auto* total = cmd->add_option("--total", o->Total, "A total count of addresses")->type_name("N");
  auto* each = cmd->add_option("--each", o->Each, "A count of addresses for each range")->type_name("N");
  all->excludes(total, each);
  total->excludes(each);
  cmd->add_flag("--random", o->Random, "Random selection and order");
  cmd->add_option("--seed", o->Seed, "Seed of the random order: the same seed and input give the same output")
      ->type_name("N");
  cmd->add_flag("--usable", o->Usable, "Leave out the first and last address of each range");
  cmd->add_option("--exclude", o->Excludes, "Leave out addresses matching a wildcard MASK (repeatable), e.g. *.0")
      ->type_name("MASK")->allow_extra_args(false);
  cmd->add_option("--exclude-file", o->ExcludeFile, "Read exclusion masks from FILE, one per line")->type_name("FILE");
  cmd->add_option("--ports", o->Ports, "Append port numbers, one line per port, e.g. 80,3128-3130")->type_name("LIST");
  cmd->add_flag("--brackets", o->Brackets, "Write IPv6 addresses between square brackets");
  cmd->add_option("--names", o->Names, "Put a generated name in front: counter symbol, %1..%8 address parts, %s range name")
      ->type_name("TEMPLATE");
  cmd->add_option("--counter-symbol", o->CounterSymbol, "The text in the template replaced by the counter (default #)");
  cmd->add_option("--first", o->First, "First counter value (default 1)");
  cmd->add_option("--step", o->Step, "Counter step (default 1)");
  cmd->add_option("--digits", o->Digits, "Minimum counter digits (default 1)");
  cmd->add_option("--delimiter", o->Delimiter,
                  "Between name, address and country: whitespace (default), tab, comma, semicolon or a TEXT");
  cmd->add_flag("--country", o->Country, "Append the country code of each address, from the --mmdb database");
  cmd->add_option("--mmdb", o->Mmdb, "The MaxMind DB file (.mmdb) of the country codes")->type_name("FILE");
  cmd->add_option("--output", o->Output, "Write the lines to FILE, as the window's Save to file... does")
      ->type_name("FILE");
  cmd->add_option("--join", o->Join, "Between lines of --output: eol (CR LF), comma or semicolon")
      ->check(CLI::IsMember({"eol", "comma", "semicolon"}))
      ->capture_default_str();
  cmd->add_flag("--quiet", o->Quiet, "No result text and no progress on standard error");
  cmd->callback([o, &status] { status = RunGenerate(*o); });
}

}  // namespace korrin::cli
