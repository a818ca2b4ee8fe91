#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "address/ip_types.h"
#include "cli/command_failure.h"
#include "cli/commands.h"
#include "common/exception.h"
#include "common/text.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "textio/text_input_reader.h"

namespace korrin::cli {

namespace {

struct TLookupOptions {
  std::string MMDBPath;
  bool WithPrefix = false;
  bool WithNetwork = false;
  bool Json = false;
  std::vector<std::string> Addresses;
};

// Answers one address after another, each as soon as it is known, so that a pipeline gets its
// answers while it still writes questions.
class TLookup {
 public:
  explicit TLookup(const TLookupOptions& options)
      : FOptions(options),
        FReader(options.MMDBPath),
        FRecord(FReader.Metadata().IsCityDatabase() ? FCityRecord : FCountryRecord) {}

  // One line on standard output, or one error line naming the address on standard error.
  void Answer(const std::string& text) {
    // The family follows from a ":" in the text, so "::1.2.3.4" is never read as IPv4 0.2.3.4.
    TIPAddr parsed;
    std::string problem;
    if (!TryReadIPAddr(text, parsed, problem)) {
      Fail(Format("Unable to convert string \"%s\" to IP address. (%s)", text.c_str(), problem.c_str()));
      return;
    }
    const TMMDBIPAddress address(parsed);
    std::string line = text;
    try {
      int prefixLength = 0;
      const uint32_t found = FReader.FindAddressNode(address, prefixLength);
      std::string answer;
      if (FOptions.Json) {
        answer = found ? FReader.RecordJson(found) : "null";
      } else {
        FRecord.Clear();
        if (found) FReader.ResolveRecordInto(found, FRecord);
        line += ',' + FRecord.Country().ISOCode();
      }
      if (FOptions.WithPrefix) line += ',' + std::to_string(prefixLength);
      if (FOptions.WithNetwork) line += ',' + address.NetworkText(prefixLength);
      // The record holds commas of its own, so it comes last.
      if (FOptions.Json) line += ',' + answer;
    } catch (const Exception& e) {
      Fail(text + ": " + e.what());
      return;
    }
    std::cout << line << '\n';
    // A pipeline that can no longer be written to stops here rather than reading on.
    FlushStandardOutput();
  }

  int Status() const { return FFailed ? kExitFailure : kExitOk; }

 private:
  void Fail(const std::string& message) {
    std::cout.flush();
    std::cerr << message << '\n';
    FFailed = true;
  }

  const TLookupOptions& FOptions;
  TMMDBReader FReader;
  // The city record is a country record with the City parts added, so one reference serves both.
  TMMDBIPCountryCityInfoEx FCityRecord;
  TMMDBIPCountryInfoEx FCountryRecord;
  TMMDBIPCountryInfoEx& FRecord;
  bool FFailed = false;
};

int RunLookup(const TLookupOptions& options) {
  std::unique_ptr<TLookup> lookup;
  try {
    ReadingInput(options.MMDBPath);
    lookup = std::make_unique<TLookup>(options);
  } catch (const Exception& e) {
    std::cerr << e.what() << '\n';
    return kExitFailure;
  }
  if (!options.Addresses.empty()) {
    for (const std::string& text : options.Addresses) lookup->Answer(std::string(Trim(text)));
  } else {
    ReadingInput("-");
    TTextInputReader input("-");
    for (std::string line; input.Next(line);)
      if (!Trim(line).empty()) lookup->Answer(std::string(Trim(line)));
  }
  return lookup->Status();
}

}  // namespace

void AddLookupCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("lookup", "Country code of each address from a MaxMind DB file");
  auto options = std::make_shared<TLookupOptions>();
  cmd->add_option("--mmdb", options->MMDBPath, "The MaxMind DB (.mmdb) file")->required();
  cmd->add_flag("--prefix", options->WithPrefix, "Add the prefix length of the address's network as a column");
  cmd->add_flag("--network", options->WithNetwork, "Add the address's network in CIDR form as a column");
  cmd->add_flag("--json", options->Json,
                "Print the address's whole record as JSON (null without one) in place of the country code, last");
  cmd->add_option("address", options->Addresses, "Addresses to look up (default: one per line on standard input)");
  cmd->callback([options, &status] { status = RunLookup(*options); });
}

}  // namespace korrin::cli
