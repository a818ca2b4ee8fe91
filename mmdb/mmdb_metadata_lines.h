#pragma once
// The metadata of a database as names and values, and as "name,value" text lines, in the order
// users see them listed.
#include <string>
#include <utility>
#include <vector>

#include "mmdb/mmdb_metadata.h"

namespace korrin {

std::vector<std::pair<std::string, std::string>> MMDBMetadataFields(const TMMDBMetadata& metadata);
// The fields joined by a comma as they are, for reading rather than parsing.
std::vector<std::string> MMDBMetadataLines(const TMMDBMetadata& metadata);

}  // namespace korrin
