#pragma once
// The metadata of a database as "name,value" text lines, in the order users see them listed.
#include <string>
#include <vector>

#include "mmdb/mmdb_metadata.h"

namespace korrin {

std::vector<std::string> MMDBMetadataLines(const TMMDBMetadata& metadata);

}  // namespace korrin
