#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "address/ip_types.h"
#include "common/text.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"
#include "viewer/text_input_reader.h"

namespace korrin::cli {

namespace {

// One line per address: "address,CC", or "address,CC,prefix" with --prefix; the code is empty
// when the database has no country for the address.
int RunLookup(const std::string& mmdbPath, bool withPrefix, std::vector<std::string> addresses) {
  int status = kExitOk;
  try {
    if (addresses.empty())
      for (const std::string& line : ReadTextInputLines("-"))
        if (!Trim(line).empty()) addresses.emplace_back(Trim(line));
    TMMDBReader reader(mmdbPath);
    // The city record is a country record with the City parts added, so one reference serves both.
    TMMDBIPCountryCityInfoEx cityRecord;
    TMMDBIPCountryInfoEx countryRecord;
    TMMDBIPCountryInfoEx& record = reader.Metadata().IsCityDatabase() ? cityRecord : countryRecord;
    for (const std::string& text : addresses) {
      // The family follows from a ":" in the text, so "::1.2.3.4" is never read as IPv4 0.2.3.4.
      TIPAddr parsed;
      std::string problem;
      if (!TryReadIPAddr(Trim(text), parsed, problem)) {
        std::cout.flush();
        std::cerr << Format("Unable to convert string \"%s\" to IP address. (%s)", std::string(Trim(text)).c_str(),
                            problem.c_str())
                  << '\n';
        status = kExitFailure;
        continue;
      }
      const TMMDBIPAddress address(parsed);
      record.Clear();
      int prefixLength = 0;
      const bool found = reader.FindRecord(address, prefixLength, record);
      std::cout << Trim(text) << ',' << (found ? record.Country().ISOCode() : std::string());
      if (withPrefix) std::cout << ',' << prefixLength;
      std::cout << '\n';
    }
  } catch (const Exception& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    return kExitFailure;
  }
  return status;
}

}  // namespace

void AddLookupCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("lookup", "Country code of each address from a MaxMind DB file");
  auto mmdbPath = std::make_shared<std::string>();
  auto withPrefix = std::make_shared<bool>(false);
  auto addresses = std::make_shared<std::vector<std::string>>();
  cmd->add_option("--mmdb", *mmdbPath, "The MaxMind DB (.mmdb) file")->required();
  cmd->add_flag("--prefix", *withPrefix, "Add the prefix length of the address's network as a third column");
  cmd->add_option("address", *addresses, "Addresses to look up (default: one per line on standard input)");
  cmd->callback([=, &status] { status = RunLookup(*mmdbPath, *withPrefix, *addresses); });
}

}  // namespace korrin::cli
