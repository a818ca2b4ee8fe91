#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "address/ip_types.h"
#include "cli/command_failure.h"
#include "cli/commands.h"
#include "common/exception.h"
#include "common/text.h"
#include "mmdb/mmdb_columns.h"
#include "mmdb/mmdb_reader.h"
#include "textio/text_input_reader.h"

namespace korrin::cli {

namespace {

struct TLookupOptions {
  std::string MMDBPath;
  bool WithPrefix = false;
  bool WithNetwork = false;
  bool Json = false;
  bool Reasons = false;
  std::vector<std::string> Fields;
  std::vector<std::string> Addresses;
};

// The country code first (the whole record takes its place with --json), then the fields asked for.
std::vector<std::string> ColumnFields(const TLookupOptions& options) {
  std::vector<std::string> fields;
  if (!options.Json) fields.emplace_back(kCountryCodeField);
  fields.insert(fields.end(), options.Fields.begin(), options.Fields.end());
  return fields;
}

// Answers one address after another. Answers are gathered and written out before the input is
// read again, so a pipeline gets each answer while it still writes questions, yet a file of
// questions is answered in large writes.
class TLookup {
 public:
  explicit TLookup(const TLookupOptions& options)
      : FOptions(options), FReader(options.MMDBPath), FColumns(FReader, ColumnFields(options), false) {}

  // One line on standard output, or one error line naming the address on standard error.
  void Answer(std::string_view text) {
    // The family follows from a ":" in the text, so "::1.2.3.4" is never read as IPv4 0.2.3.4.
    TIPAddr parsed;
    std::string problem;
    if (!TryReadIPAddr(text, parsed, problem)) {
      Fail(Format("Unable to convert string \"%.*s\" to IP address. (%s)", int(text.size()), text.data(),
                  problem.c_str()));
      return;
    }
    const TMMDBIPAddress address(parsed);
    std::string& line = FLine;
    line.assign(text);
    try {
      int prefixLength = 0;
      const uint32_t found = FReader.FindAddressNode(address, prefixLength);
      for (const std::string& column : FColumns.Of(found)) (line += ',') += CSVField(column);
      if (FOptions.WithPrefix) (line += ',') += std::to_string(prefixLength);
      if (FOptions.WithNetwork) (line += ',') += address.NetworkText(prefixLength);
      if (FOptions.Reasons) (line += ',') += found ? "" : !FReader.HoldsFamilyOf(address) ? kNoFamily : kNoNetwork;
      // The record holds commas of its own, so it comes last.
      if (FOptions.Json) (line += ',') += found ? FReader.RecordJson(found) : "null";
    } catch (const Exception& e) {
      Fail(std::string(text) + ": " + e.what());
      return;
    }
    (FOut += line) += '\n';
    if (FOut.size() >= kFlushSize) Flush();
  }

  // Writes out the answers gathered; raises when standard output fails, so a pipeline that can
  // no longer be written to stops rather than reading on.
  void Flush() {
    std::cout.write(FOut.data(), static_cast<std::streamsize>(FOut.size()));
    FOut.clear();
    FlushStandardOutput();
  }

  int Status() const { return FFailed ? kExitFailure : kExitOk; }
  std::string Warning() const { return FColumns.Warning(); }

 private:
  static constexpr size_t kFlushSize = 64 * 1024;
  static constexpr const char* kNoNetwork = "not in the database";
  static constexpr const char* kNoFamily = "IPv6 address in an IPv4-only database";

  void Fail(const std::string& message) {
    Flush();
    std::cerr << message << '\n';
    FFailed = true;
  }

  const TLookupOptions& FOptions;
  TMMDBReader FReader;
  TMMDBColumns FColumns;
  std::string FLine;  // the line being built, its storage reused
  std::string FOut;   // the answers not yet written
  bool FFailed = false;
};

int RunLookup(const TLookupOptions& options) {
  try {
    ReadingInput(options.MMDBPath);
    TLookup lookup(options);
    if (!options.Addresses.empty()) {
      for (const std::string& text : options.Addresses) lookup.Answer(Trim(text));
    } else {
      ReadingInput("-");
      TTextInputReader input("-");
      input.SetBeforeRead([&lookup] { lookup.Flush(); });
      for (std::string line; input.Next(line);)
        if (!Trim(line).empty()) lookup.Answer(Trim(line));
    }
    lookup.Flush();
    if (const std::string warning = lookup.Warning(); !warning.empty()) std::cerr << warning << '\n';
    return lookup.Status();
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
}

}  // namespace

void AddLookupCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("lookup", "Country code and fields of each address from a MaxMind DB file");
  auto options = std::make_shared<TLookupOptions>();
  cmd->add_option("--mmdb", options->MMDBPath, "The MaxMind DB (.mmdb) file")->required();
  cmd->add_option("--field", options->Fields,
                  "Add the record field at PATH as a column after the country code (repeatable), e.g. "
                  "autonomous_system_number, city.names.en, subdivisions.0.iso_code")
      ->type_name("PATH")
      ->allow_extra_args(false);
  cmd->add_flag("--prefix", options->WithPrefix, "Add the prefix length of the address's network as a column");
  cmd->add_flag("--network", options->WithNetwork, "Add the address's network in CIDR form as a column");
  cmd->add_flag("--reasons", options->Reasons,
                "Add why an address has no record as a column (empty when it has one): not in the database, or "
                "an IPv6 address in an IPv4-only database");
  cmd->add_flag("--json", options->Json,
                "Print the address's whole record as JSON (null without one) in place of the country code, last");
  cmd->add_option("address", options->Addresses, "Addresses to look up (default: one per line on standard input)");
  cmd->callback([options, &status] { status = RunLookup(*options); });
}

}  // namespace korrin::cli
