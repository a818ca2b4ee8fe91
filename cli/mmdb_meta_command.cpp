#include <iostream>
#include <string>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "common/exception.h"
#include "mmdb/mmdb_metadata_lines.h"
#include "mmdb/mmdb_reader.h"

namespace korrin::cli {

void AddMMDBMetaCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("mmdb-meta", "The metadata of a MaxMind DB file, one name,value line each");
  auto path = std::make_shared<std::string>();
  cmd->add_option("file", *path, "The MaxMind DB (.mmdb) file")->required();
  cmd->callback([path, &status] {
    try {
      ReadingInput(*path);
      const TMMDBReader reader(*path);
      for (const std::string& line : MMDBMetadataLines(reader.Metadata())) std::cout << line << '\n';
      status = kExitOk;
    } catch (const Exception& e) {
      std::cerr << e.what() << '\n';
      status = kExitFailure;
    }
  });
}

}  // namespace korrin::cli
