#include "viewer/row_export.h"

#include "common/exception.h"
#include "common/file_io.h"
#include "common/text.h"
#include "common/utf16.h"
#include "textio/stream_error.h"

namespace korrin {

namespace {

// Written to the file in pieces of about this size.
constexpr size_t kWriteChunk = 1 << 20;

// What every export that found the file changed ends with.
constexpr const char* kExportAgain = "Nothing was exported; reload the file and export again.";

// Writes the rows to Writer; false when Progress stopped it.
bool WriteRows(TViewRows::TReader& Reader, const TExportRequest& Request, const TExportProgress& Progress,
               TReplacingFile& Writer) {
  std::string chunk;
  const auto add = [&](const std::vector<std::u16string>& Values) {
    chunk += Utf16ToUtf8(FormatDelimitedRow(Values, Request.Delimiter));
    chunk += "\r\n";
    if (chunk.size() >= kWriteChunk) {
      Writer.Write(chunk);
      chunk.clear();
    }
  };
  if (!Request.Captions.empty()) add(Request.Captions);
  TStringList lines;
  int64_t rows = 0;
  // Progress is asked every so many rows: often enough for a bar, rarely enough to cost nothing.
  const auto stopped = [&](int64_t Position, int64_t Size) {
    return (++rows & 1023) == 0 && Progress && Progress(Position, Size);
  };
  if (Request.Ranges.empty()) {
    while (Reader.Next(lines)) {
      add(Reader.Values(lines));
      if (stopped(Reader.Position(), Reader.Size())) return false;
    }
    if (const std::string shortfall = Reader.Shortfall(); !shortfall.empty())
      throw Exception(Format("%s: the file changed while it was being exported. %s", shortfall.c_str(), kExportAgain));
  } else {
    int64_t total = 0;
    for (const TItemRange& range : Request.Ranges) total += range.Last - range.First + 1;
    int64_t done = 0;
    for (const TItemRange& range : Request.Ranges)
      for (int64_t item = range.First; item <= range.Last; ++item, ++done) {
        if (!Reader.SelectedLines(item, lines, kExportAgain)) continue;
        add(Reader.Values(lines));
        if (stopped(done, total)) return false;
      }
  }
  Writer.Write(chunk);
  Reader.CheckNotWrittenOver(kExportAgain);
  return true;
}

}  // namespace

std::u16string FormatDelimitedRow(const std::vector<std::u16string>& Values, char16_t Delimiter) {
  std::u16string row;
  for (size_t k = 0; k < Values.size(); ++k) {
    if (k) row += Delimiter;
    AppendCSVField(row, Values[k], std::u16string_view(&Delimiter, 1));
  }
  return row;
}

bool ExportRows(TViewRows::TReader& Reader, const TExportRequest& Request, const TExportProgress& Progress) {
  TReplacingFile writer(Request.FileName);
  try {
    if (!WriteRows(Reader, Request, Progress, writer)) return false;
  } catch (const EStreamError& e) {
    // The source could not be read: its reason, not a guess that it changed.
    throw Exception(Format("%s. Nothing was exported.", e.what()));
  }
  writer.Commit();
  return true;
}

}  // namespace korrin
