// korrin-cli generate: the engine's every setting as a flag, lines to standard output or a file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/progress_line.h"
#include "common/exception.h"
#include "common/list_file.h"
#include "common/text.h"
#include "generator/korrin_utils.h"

namespace korrin::cli {

namespace {

// The example range lines the main window shows.
const char* const kExampleRanges[] = {"127.0.0.1/24", "A=192.168.1.100/16/24", "fdc7:200d:3e17::/120",
                                      "B=fdc7:200d:3e17::fb05/48/60"};

struct GenerateOptions {
  std::vector<std::string> ranges;
  std::string rangesFile;
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
  std::string counterSymbol = "#";
  int32_t first = 1;
  int32_t step = 1;
  int32_t digits = 1;
  std::string delimiter = "whitespace";
  std::string output;
  std::string join = "eol";
  bool quiet = false;
};

std::vector<std::string> ReadLines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> ReadLinesFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception(Format("Cannot open file \"%s\".", path.c_str()));
  return ReadLines(in);
}

std::string DelimiterText(const std::string& name) {
  if (name == "whitespace") return " ";
  if (name == "tab") return "\t";
  if (name == "comma") return ",";
  if (name == "semicolon") return ";";
  return name;  // custom text
}

void Configure(TKorrinUtils& engine, const GenerateOptions& o) {
  if (o.example) engine.IPRanges().assign(std::begin(kExampleRanges), std::end(kExampleRanges));
  else if (!o.ranges.empty()) engine.IPRanges() = o.ranges;
  else if (!o.rangesFile.empty()) engine.IPRanges() = ReadLinesFromFile(o.rangesFile);
  else engine.IPRanges() = ReadLines(std::cin);

  if (o.total || o.each) {
    engine.SetGenerateCountMode(o.total ? TGenerateCounts::gcTotalCount : TGenerateCounts::gcForEach);
    engine.SetGenerateCount(o.total ? *o.total : *o.each);
  }
  engine.SetRandomOrder(o.random);
  engine.SetRandomSeed(o.seed);
  engine.SetUsableHostIPAddresses(o.usable);
  engine.ExcludeMasks() = o.excludes;
  if (!o.excludeFile.empty())
    for (auto& mask : ReadLinesFromFile(o.excludeFile)) engine.ExcludeMasks().push_back(std::move(mask));
  engine.SetDoExclude(!engine.ExcludeMasks().empty());
  engine.SetAddPortNumbers(o.ports.has_value());
  engine.SetPortNumbers(o.ports.value_or(""));
  engine.SetEscapeIPv6(o.brackets);
  engine.SetGenerateNames(o.names.has_value());
  if (o.names) {
    engine.SetNameTemplate(*o.names);
    engine.SetCounterSymbol(o.counterSymbol);
    engine.SetFirstCounter(o.first);
    engine.SetCounterStep(o.step);
    engine.SetCounterDigits(o.digits);
    engine.SetNameDelimiter(DelimiterText(o.delimiter));
  } else {
    engine.SetFirstCounter(1);
    engine.SetCounterStep(1);
    engine.SetCounterDigits(1);
    engine.SetNameDelimiter(" ");
  }
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
  cmd->add_option("--counter-symbol", o->counterSymbol, "The text in the template replaced by the counter")
      ->capture_default_str();
  cmd->add_option("--first", o->first, "First counter value")->capture_default_str();
  cmd->add_option("--step", o->step, "Counter step")->capture_default_str();
  cmd->add_option("--digits", o->digits, "Minimum counter digits")->capture_default_str();
  cmd->add_option("--delimiter", o->delimiter, "Between name, address and country: whitespace|tab|comma|semicolon|TEXT")
      ->capture_default_str();
  cmd->add_option("--output", o->output, "Write the lines to FILE, as the window's Save to file... does")
      ->type_name("FILE");
  cmd->add_option("--join", o->join, "Between lines of --output: eol (CR LF), comma or semicolon")
      ->check(CLI::IsMember({"eol", "comma", "semicolon"}))
      ->capture_default_str();
  cmd->add_flag("--quiet", o->quiet, "No result text and no progress on standard error");
  cmd->callback([o, &status] { status = RunGenerate(*o); });
}

}  // namespace korrin::cli
