#include "mmdb/mmdb_metadata_lines.h"

#include "common/text.h"

namespace korrin {

std::vector<std::pair<std::string, std::string>> MMDBMetadataFields(const TMMDBMetadata& metadata) {
  std::vector<std::pair<std::string, std::string>> fields;
  fields.emplace_back("binary_format_major_version", std::to_string(metadata.BinaryFormatMajorVersion()));
  fields.emplace_back("binary_format_minor_version", std::to_string(metadata.BinaryFormatMinorVersion()));
  fields.emplace_back("build_epoch", metadata.BuildDate());
  fields.emplace_back("database_type", metadata.DatabaseType());
  for (const auto& [language, text] : metadata.Description()) fields.emplace_back("description." + language, text);
  fields.emplace_back("ip_version", std::to_string(metadata.IPVersion()));
  for (size_t i = 0; i < metadata.Languages().size(); ++i)
    fields.emplace_back(Format("language[%d]", static_cast<int>(i)), metadata.Languages()[i]);
  fields.emplace_back("node_count", std::to_string(metadata.NodeCount()));
  fields.emplace_back("record_size", std::to_string(metadata.RecordSize()));
  return fields;
}

std::vector<std::string> MMDBMetadataLines(const TMMDBMetadata& metadata) {
  std::vector<std::string> lines;
  for (const auto& [name, value] : MMDBMetadataFields(metadata)) {
    // The number as stored, and the time it stands for, where the viewer shows a short date.
    if (name == "build_epoch")
      lines.push_back(name + "," + std::to_string(metadata.BuildEpoch()) + " (" + metadata.BuildTime() + ")");
    else lines.push_back(name + "," + value);
  }
  return lines;
}

}  // namespace korrin
