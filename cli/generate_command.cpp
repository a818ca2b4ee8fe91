// korrin-cli generate: the engine's every setting as a flag, lines to standard output or a file.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <memory>
#include <utility>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/name_delimiter.h"
#include "cli/progress_line.h"
#include "cli/skipped_lines.h"
#include "common/exception.h"
#include "common/list_file.h"
#include "common/text.h"
#include "generator/generation_engine.h"
#include "generator/port_list.h"
#include "mmdb/mmdb_columns.h"
#include "settings/choices_to_engine.h"
#include "settings/settings_file.h"
#include "textio/text_input_reader.h"

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
  bool Unique = false;
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
  std::vector<std::string> Fields;
  std::optional<std::string> Mmdb;
  std::string Output;
  std::string Join = "eol";
  bool Quiet = false;
  bool Count = false;
  std::string Shard;  // "K/N", checked by ShardOf
  std::optional<int64_t> MaxLines;
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

// The engine's check of a value as a command-line check: its message, empty when the value reads.
template <typename F>
CLI::Validator EngineCheck(F check, const char* shown) {
  return CLI::Validator(
      [check](std::string& text) {
        try {
          check(text);
          return std::string();
        } catch (const Exception& e) {
          return std::string(e.what());
        }
      },
      shown);
}

// The choices of a settings file (or the window's defaults), then every flag given over them,
// copied into the engine the way the window copies its controls. False when the country column
// is asked for without a database.
bool Configure(TKorrinUtils& engine, const TGenerateOptions& o) {
  TKorrinSettings c;
  if (o.SettingsFile) {
    ReadingInput(*o.SettingsFile);
    c = LoadChoicesFromFile(*o.SettingsFile, o.Stored);
  }
  // The range lines can be millions: read into one buffer and moved into the engine, not copied.
  TTextLines ranges;
  if (o.Example) {
    for (const char* line : kExampleRanges) ranges.push_back(line);
  } else if (!o.Ranges.empty()) {
    ranges.Assign(o.Ranges);
  } else if (!o.RangesFile.empty()) {
    ranges = ReadInputLines<TTextLines>(o.RangesFile);
  } else if (!o.SettingsFile) {
    ranges = ReadInputLines<TTextLines>("-");
  } else {
    ranges.Assign(c.IPRanges);
  }
  c.IPRanges.clear();  // else copied into the engine before these replace them

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
  c.UniqueAddresses |= o.Unique;
  c.EscapeIPv6 |= o.Brackets;
  if (!o.Excludes.empty() || !o.ExcludeFile.empty()) {
    c.Exclude = true;
    c.ExcludeMasks = o.Excludes;
    if (!o.ExcludeFile.empty())
      for (auto& mask : ReadInputLines(o.ExcludeFile)) c.ExcludeMasks.push_back(std::move(mask));
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
  c.ResolveCountry |= o.Country || !o.Fields.empty();
  if (o.Mmdb) c.MMDBFilePath = *o.Mmdb;
  if (!CopySettingsToUtils(c, engine)) return false;
  engine.IPRanges().swap(ranges);
  if (o.Country || !o.Fields.empty()) {
    std::vector<std::string> fields;
    if (o.Country) fields.emplace_back(kCountryCodeField);
    fields.insert(fields.end(), o.Fields.begin(), o.Fields.end());
    engine.SetMMDBFields(fields);
  }
  engine.SetRandomSeed(o.Seed);
  engine.SetMaxLines(o.MaxLines);
  if (!o.Shard.empty()) {
    const TShard shard = *ShardOf(o.Shard);
    engine.SetShard(shard.Part, shard.Parts);
  }
  return true;
}

// Each batch of lines is flushed as it comes, so that a reader such as `head` sees it at once.
void WriteToStdout(const TTextLines& lines) {
  const std::string_view text = lines.Text();
  std::fwrite(text.data(), 1, text.size(), stdout);
  FlushStandardOutput();
}

std::string JoinDelimiter(const std::string& join) {
  if (join == "comma") return ",";
  if (join == "semicolon") return ";";
  return kCRLF;
}

// Options that change nothing without their switch are named, so that a forgotten switch is seen.
void WarnAboutIdleOptions(const TGenerateOptions& o, const TKorrinUtils& engine) {
  const auto warn = [](const char* option, const char* needed) {
    std::cerr << "Warning: " << option << " does nothing without " << needed << std::endl;
  };
  if (!engine.GenerateNames()) {
    if (o.First) warn("--first", "--names");
    if (o.Step) warn("--step", "--names");
    if (o.Digits) warn("--digits", "--names");
    if (o.CounterSymbol) warn("--counter-symbol", "--names");
  }
  if (o.Delimiter && !engine.GenerateNames() && !engine.ResolveIPCountry())
    warn("--delimiter", "--names, --country or --field");
  if (o.Seed && !engine.RandomOrder()) warn("--seed", "--random");
  if (o.Mmdb && !engine.ResolveIPCountry()) warn("--mmdb", "--country or --field");
  if (engine.AddPortNumbers() && CountPorts(engine.PortNumbers()) == 0)
    std::cerr << "Warning: the port list '" << engine.PortNumbers() << "' has no port: no lines are generated"
              << std::endl;
}

void WarnAboutRangeLines(const TKorrinUtils& engine) {
  {
    TSkippedLineWarnings warnings("range lines");
    for (const TSkippedRangeLine& skipped : engine.SkippedLines())
      warnings.Add(skipped.Line, skipped.Text, skipped.Reason);
    warnings.AddUnseen(engine.SkippedLineCount() - static_cast<int64_t>(engine.SkippedLines().size()));
  }
  // Overlapping ranges repeat addresses, which a scan of the list would probe twice.
  for (const TOverlappingRangeLine& overlap : engine.OverlappingLines())
    std::cerr << "Warning: line " << overlap.Line << " '" << overlap.Text << "' repeats "
              << GroupCounts(overlap.Repeats.ToString()) << " of the addresses of the lines before it" << std::endl;
  if (const int64_t unseen = engine.OverlappingLineCount() - static_cast<int64_t>(engine.OverlappingLines().size()))
    std::cerr << "Warning: " << FormatCount(unseen) << " more range lines repeat addresses" << std::endl;
  if (engine.OverlappingLineCount() > 0)
    std::cerr << "Warning: " << GroupCounts(engine.RepeatedAddresses().ToString())
              << (engine.RepeatedAddresses() == TWideCount(1) ? " address repeats" : " addresses repeat")
              << "; --unique gives each address once" << std::endl;
}

// Why the country column has no database, naming what asked for the column: a flag, or else
// the settings file, whose choices hold it without a database.
const char* MissingDatabaseMessage(const TGenerateOptions& o) {
  if (o.Country) return "--country needs --mmdb FILE, the database of the country codes";
  if (!o.Fields.empty()) return "--field needs --mmdb FILE, the database of the fields";
  return "The settings ask for the country column but name no database: give --mmdb FILE";
}

int RunGenerate(const TGenerateOptions& o) {
  TProgressCounters progress;
  TKorrinUtils engine(&progress);
  bool warned = false;  // the skipped lines of a run, also one that stopped with an error
  const auto warnOnce = [&] {
    if (!std::exchange(warned, true)) WarnAboutRangeLines(engine);
  };
  try {
    if (!Configure(engine, o)) {
      std::cerr << MissingDatabaseMessage(o) << std::endl;
      return kExitUsage;
    }
    WarnAboutIdleOptions(o, engine);
    if (!o.Shard.empty() && engine.RandomOrder() && !o.Seed) {
      std::cerr << "--shard with random order needs --seed, so that every shard splits the same list" << std::endl;
      return kExitUsage;
    }
    if (o.Count) {
      const TLineCount count = engine.CountIPList();
      std::cout << (count.Exact ? "" : "at most ") << count.Lines.ToString() << std::endl;
      return kExitOk;
    }
    // The lines go out as they are made; an output file replaces the old one only at the end.
    std::optional<TListFileWriter> file;
    if (!o.Output.empty()) file.emplace(o.Output, JoinDelimiter(o.Join));
    size_t written = 0;
    engine.SetLineSink([&file, &written](const TTextLines& lines) {
      written += lines.size();
      if (file) file->Add(lines);
      else WriteToStdout(lines);
    });
    TProgressLine line(progress, !o.Quiet);
    TInterruptGuard interrupt(progress);
    std::string result;
    line.Run([&] { engine.PerformGenerateIPList(result); });
    warnOnce();
    if (!engine.MMDBWarning().empty()) std::cerr << engine.MMDBWarning() << std::endl;
    // Lines were given and none of them reads: an error, and an existing output file stays.
    if (engine.SkippedLineCount() > 0 && engine.RangeLinesRead() == 0 && !progress.Terminated()) {
      std::cerr << "No range line could be read: nothing generated." << std::endl;
      return kExitFailure;
    }
    // A run with nothing to write leaves an existing output file as it was.
    if (file && written > 0) file->Commit();
    else if (file) std::cerr << "Warning: no lines to write: \"" << o.Output << "\" is left as it was" << std::endl;
    if (progress.Terminated()) {
      if (!o.Quiet) std::cerr << "Terminated." << std::endl;
      return kExitInterrupted;
    }
    if (!o.Quiet) std::cerr << result << std::endl;
    return kExitOk;
  } catch (const std::exception& e) {
    warnOnce();
    return ReportFailure(e);
  }
}

}  // namespace

void AddGenerateCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<TGenerateOptions>();
  CLI::App* cmd = app.add_subcommand("generate", "Generate IP addresses from range lines");
  cmd->add_option("ranges", o->Ranges,
                  "Range lines: [name=]address[/prefix[/suffix start]], [name=]first-last or an octet range such as "
                  "10.0.1-3.1-254, several between commas, # comments; else --ranges FILE, else standard input");
  cmd->add_option("--ranges", o->RangesFile, "Read range lines from FILE, one per line (- for standard input)")
      ->type_name("FILE");
  cmd->add_flag("--example", o->Example, "Use the example range lines of the main window");
  auto* settings = cmd->add_option("--settings", o->SettingsFile,
                                   "Take every choice from a settings file; flags given override them")
                       ->type_name("FILE");
  cmd->add_option("--stored", o->Stored, "With --settings: take the choices of the stored set NAME")
      ->type_name("NAME")
      ->needs(settings);
  auto* all = cmd->add_flag("--all", o->All, "All addresses of every range (the default)");
  // A count that does not convert is the parser's to name; one below 1 is the engine's.
  const auto countCheck = EngineCheck(
      [](const std::string& text) {
        int32_t count;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec == std::errc() && end == text.data() + text.size()) CheckGenerateCount(count);
      },
      "1..2147483647");
  auto* total =
      cmd->add_option("--total", o->Total, "A total count of addresses, 1 or more")->type_name("N")->check(countCheck);
  auto* each = cmd->add_option("--each", o->Each, "A count of addresses for each range, 1 or more")
                   ->type_name("N")
                   ->check(countCheck);
  all->excludes(total, each);
  total->excludes(each);
  cmd->add_flag("--random", o->Random, "Random selection and order");
  cmd->add_option("--seed", o->Seed, "Seed of the random order: the same seed and input give the same output")
      ->type_name("N")
      ->check(CLI::Validator(
          [](std::string& text) {
            return UInt64Of(text) ? std::string() : "a seed is a whole number from 0 to 2^64-1";
          },
          "0..18446744073709551615"));
  cmd->add_flag(
      "--usable", o->Usable,
      "Leave out the first and last address of each network (a /31 or /127 keeps both, a /32 or /128 its one)");
  cmd->add_flag("--unique", o->Unique,
                "Each address once: the ranges as one set, an address under the first range that holds it");
  cmd->add_option("--exclude", o->Excludes,
                  "Leave out an address, network, range or octet range, or addresses matching a wildcard MASK "
                  "(repeatable, comma-separated), e.g. 10.0.0.7, 10.0.0.0/25, 10.0.0.10-10.0.0.20, 10.0.1-3.0, *.0")
      ->type_name("MASK")
      ->allow_extra_args(false);
  cmd->add_option("--exclude-file", o->ExcludeFile,
                  "Read exclusions from FILE, one or a comma-separated list per line, # comments")
      ->type_name("FILE");
  cmd->add_option("--ports", o->Ports,
                  "Append port numbers (1 to 65535), one line per port, e.g. 80,3128-3130; an item that does not "
                  "read is an error")
      ->type_name("LIST")
      ->check(EngineCheck([](const std::string& text) { CountPorts(text); }, "LIST"));
  cmd->add_flag("--brackets", o->Brackets,
                "Write IPv6 addresses between square brackets (with --ports they always are)");
  cmd->add_option("--names", o->Names,
                  "Put a generated name in front: counter symbol, %1..%8 address parts, %s range name")
      ->type_name("TEMPLATE");
  cmd->add_option("--counter-symbol", o->CounterSymbol, "The text in the template replaced by the counter (default #)");
  cmd->add_option("--first", o->First, "First counter value (default 1)");
  cmd->add_option("--step", o->Step, "Counter step (default 1)");
  cmd->add_option("--digits", o->Digits, "Minimum counter digits (default 1)");
  cmd->add_option("--delimiter", o->Delimiter,
                  "Between name, address and database columns: whitespace (default), tab, comma, semicolon or a TEXT");
  cmd->add_flag("--country", o->Country,
                "Append the country code of each address, from the --mmdb database (needed, unless --settings "
                "names one)");
  cmd->add_option("--field", o->Fields,
                  "Append the record field at PATH of each address, from the --mmdb database (repeatable), e.g. "
                  "autonomous_system_number, city.names.en, subdivisions.0.iso_code")
      ->type_name("PATH")
      ->allow_extra_args(false);
  cmd->add_option("--mmdb", o->Mmdb, "The MaxMind DB file (.mmdb) of the country codes and fields")->type_name("FILE");
  cmd->add_option("--output", o->Output,
                  "Write the lines to FILE, as the window's Save to file... does; FILE is replaced only by a run "
                  "that succeeds with lines to write")
      ->type_name("FILE");
  cmd->add_option("--join", o->Join, "Between lines of --output: eol (CR LF), comma or semicolon")
      ->check(CLI::IsMember({"eol", "comma", "semicolon"}))
      ->capture_default_str();
  cmd->add_flag("--quiet", o->Quiet, "No result text and no progress on standard error");
  auto* count = cmd->add_flag("--count", o->Count,
                              "Print the number of lines the run would give (\"at most\" where masks make it a bound) "
                              "and generate nothing");
  auto* shard =
      cmd->add_option("--shard", o->Shard,
                      "Print part K of the list split into N consecutive parts; with --random give --seed too")
          ->type_name("K/N")
          ->check(CLI::Validator(
              [](std::string& text) { return ShardOf(text) ? std::string() : "K/N with 1 <= K <= N"; }, "K/N"));
  count->excludes(shard);
  cmd->add_option("--max-lines", o->MaxLines,
                  "Refuse a run that could give more than N lines, before writing any (no limit by default)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  cmd->callback([o, &status] { status = RunGenerate(*o); });
}

}  // namespace korrin::cli
