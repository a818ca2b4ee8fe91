#include <clocale>
#include <cstdio>
#include <iostream>

#include "cli/command_failure.h"
#include "cli/commands.h"

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
    app.parse(argc, argv);
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
  return status;
}
