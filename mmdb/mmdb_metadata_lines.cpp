#include "mmdb/mmdb_metadata_lines.h"

#include "common/text.h"

namespace korrin {

std::vector<std::string> MMDBMetadataLines(const TMMDBMetadata& metadata) {
  std::vector<std::string> lines;
  lines.push_back(Format("binary_format_major_version,%d", metadata.BinaryFormatMajorVersion()));
  lines.push_back(Format("binary_format_minor_version,%d", metadata.BinaryFormatMinorVersion()));
  lines.push_back("build_epoch," + metadata.BuildDate());
  lines.push_back("database_type," + metadata.DatabaseType());
  for (const auto& [language, text] : metadata.Description()) lines.push_back("description." + language + "," + text);
  lines.push_back(Format("ip_version,%d", metadata.IPVersion()));
  for (size_t i = 0; i < metadata.Languages().size(); ++i)
    lines.push_back(Format("language[%d],%s", static_cast<int>(i), metadata.Languages()[i].c_str()));
  lines.push_back(Format("node_count,%lld", static_cast<long long>(metadata.NodeCount())));
  lines.push_back(Format("record_size,%d", metadata.RecordSize()));
  return lines;
}

}  // namespace korrin
