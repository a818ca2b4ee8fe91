#pragma once
// The viewer's rows written out as delimited text: a selection or the whole file to a CSV or
// tab-separated file, and the table's Copy as tab-separated lines, quoted alike so that a
// spreadsheet reads back the values that were shown.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "viewer/view_rows.h"

namespace korrin {

// One row: a value holding the delimiter, a quote or a line break is quoted, its quotes doubled.
std::u16string FormatDelimitedRow(const std::vector<std::u16string>& Values, char16_t Delimiter);

// Receives how far an export is (Position of Size); returning true stops it.
using TExportProgress = std::function<bool(int64_t Position, int64_t Size)>;

struct TExportRequest {
  std::string FileName;
  char16_t Delimiter = u',';
  // Written first as a row of their own (the header's values); empty writes none.
  std::vector<std::u16string> Captions;
  // The table's items to write; empty writes every row of the source.
  TItemRanges Ranges;
};

// Writes the rows in UTF-8 with CR LF after each, replacing the file only when every row was
// written; false (the file untouched) when Progress stopped it. Raises the file's errors.
bool ExportRows(TViewRows::TReader& Reader, const TExportRequest& Request, const TExportProgress& Progress);

}  // namespace korrin
