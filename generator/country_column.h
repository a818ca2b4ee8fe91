#pragma once
// The database columns of each generated address (the country code by default), looked up in a
// MaxMind DB file for the length of one run.
#include <string>
#include <vector>

#include "address/ip_types.h"
#include "mmdb/mmdb_columns.h"
#include "mmdb/mmdb_reader.h"

namespace korrin {

class TCountryColumn {
 public:
  // Opens the database; raises the reader's message on a file it cannot read, and on a field
  // path that does not read. `fields` as TMMDBColumns takes them.
  TCountryColumn(const std::string& fileName, const std::vector<std::string>& fields);
  // The texts of the address's columns, empty where the database has no record for the address
  // or the record lacks the field; they stay valid as long as this object. Raises on a corrupt
  // database.
  const std::vector<std::string>& Of(const TIPAddr& address);
  // After a run: the warning of a database whose records hold no country field, else empty.
  std::string Warning() const { return FColumns.Warning(); }

 private:
  TMMDBReader FReader;
  TMMDBColumns FColumns;
};

}  // namespace korrin
