#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_failure.h"
#include "cli/commands.h"

namespace {

// True when some subcommand has an option of that name which takes a value.
bool TakesAValue(const CLI::App& app, const std::string& name) {
  for (const CLI::App* command : app.get_subcommands({}))
    for (const CLI::Option* option : command->get_options())
      if (option->check_lname(name.substr(2)) && option->get_items_expected_max() > 0) return true;
  return false;
}

// The words as the user meant them, where the parser would read something else: "--opt=" is an
// empty value (the parser would take the next word), and a positional "[::1]" is that one text
// (the parser would read a list). A trailing blank keeps it one text; range lines and addresses
// are trimmed where they are read.
std::vector<std::string> MeantArguments(const CLI::App& app, int argc, char** argv) {
  std::vector<std::string> args;
  bool positionalOnly = false;
  bool optionValue = false;  // this word is the value of the option before it
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool isValue = std::exchange(optionValue, false);
    if (arg == "--") positionalOnly = true;
    if (!positionalOnly && !isValue && arg.compare(0, 2, "--") == 0 && arg.find('=') == std::string::npos)
      optionValue = TakesAValue(app, arg);
    if (!positionalOnly && arg.size() > 3 && arg.compare(0, 2, "--") == 0 && arg.back() == '=' &&
        arg.find('=') == arg.size() - 1 && TakesAValue(app, arg.substr(0, arg.size() - 1))) {
      args.push_back(arg.substr(0, arg.size() - 1));
      args.emplace_back();
      continue;
    }
    if (!isValue && arg.size() >= 2 && arg.front() == '[' && arg.back() == ']') arg += ' ';
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korrin::cli;
  std::setlocale(LC_TIME, "");  // dates in the user's short date format; numbers stay as they are
  CLI::App app{"korrin-cli: IP address lists from range lines, on the command line"};
  app.set_version_flag("--version", "korrin-cli " KORRIN_VERSION);
  app.require_subcommand(1);
  int status = kExitOk;
  AddGenerateCommand(app, status);
  AddReverseCommand(app, status);
  AddSettingsCommand(app, status);
  AddCountCommand(app, status);
  AddPreviewCommand(app, status);
  AddLookupCommand(app, status);
  AddMMDBMetaCommand(app, status);
  try {
    app.name(argv[0]);
    std::vector<std::string> args = MeantArguments(app, argc, argv);
    std::reverse(args.begin(), args.end());  // the parser takes the words from the back
    app.parse(std::move(args));
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  } catch (const std::exception& e) {
    // Subcommands run inside parse(): whatever they leave uncaught ends here.
    return ReportFailure(e);
  }
  // A success is one only when all of its output arrived; a failure has said why already.
  if (status != kExitOk) return status;
  try {
    FlushStandardOutput();
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
  return status;
}
