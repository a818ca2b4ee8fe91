#pragma once
// The subcommands of korrin-cli: each file under cli/ registers one on the application.
#include <CLI/CLI.hpp>

namespace korrin::cli {

// Exit statuses shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;        // the operation failed; its message went to standard error
constexpr int kExitUsage = 2;          // the command line was wrong
constexpr int kExitInterrupted = 130;  // stopped by SIGINT or SIGTERM, as shells report 128 + SIGINT

// Each registration adds its subcommand; the callback stores the exit status in `status`.
void AddGenerateCommand(CLI::App& app, int& status);
void AddReverseCommand(CLI::App& app, int& status);
void AddSettingsCommand(CLI::App& app, int& status);
void AddCountCommand(CLI::App& app, int& status);
void AddPreviewCommand(CLI::App& app, int& status);
void AddLookupCommand(CLI::App& app, int& status);
void AddMMDBMetaCommand(CLI::App& app, int& status);

}  // namespace korrin::cli
