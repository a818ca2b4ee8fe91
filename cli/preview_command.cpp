// korrin-cli preview: the rows the viewer shows for a file, as tab-separated columns.
#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/commands.h"
#include "cli/delimiter_option.h"
#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"
#include "common/value_encoding.h"
#include "viewer/file_preview.h"
#include "viewer/mmdb_meta_reader.h"

namespace korrin::cli {

namespace {

// Tabs and line breaks inside values are escaped so that each row stays one output line.
std::string TabField(std::u16string_view value) { return EncodeValue(Utf16ToUtf8(value)); }

struct TPreviewOptions {
  std::string File;
  int32_t MaxRows = TFilePreview::kDefaultPreviewMaxLines;
  bool NoHeader = false;
  bool CellLineBreaks = false;
  bool BackslashEscapes = false;
  char16_t Delimiter = 0;
  int64_t From = 1;
};

void WriteColumns(const TCSVParser& parser) {
  for (int32_t k = 0; k < parser.ColumnCount(); ++k) std::cout << (k ? "\t" : "") << TabField(parser.ColumnValue(k));
  std::cout << '\n';
}

void WriteCaptions(const TFilePreview& preview) {
  const TStringList& captions = preview.PreviewColumns();
  for (size_t k = 0; k < captions.size(); ++k) std::cout << (k ? "\t" : "") << TabField(captions[k]);
  std::cout << '\n';
}

void WritePreview(TFilePreview& preview) {
  WriteCaptions(preview);
  TCSVParser& parser = preview.CSVParser();
  const auto rows = static_cast<int32_t>(preview.PreviewRows().size());
  for (int32_t row = preview.PreviewHeader() ? 1 : 0; row < rows; ++row) {
    preview.ParseRow(row);
    WriteColumns(parser);
  }
  if (preview.More()) std::cout << "...\n";
}

// Data rows From.. through the row index, which is built only as far as they lie. Returns the
// rows written.
int64_t WriteIndexedRows(TFilePreview& preview, int64_t From, int64_t Count) {
  const int64_t first = From - 1 + (preview.PreviewHeader() ? 1 : 0);
  // One row more than asked tells whether "..." follows.
  const int64_t needed = first + Count + 1;
  preview.BuildIndex([needed](int64_t, int64_t, int64_t Records) { return Records >= needed; });
  WriteCaptions(preview);
  TStringList lines;
  int64_t written = 0;
  for (; written < Count && preview.IndexedRow(true, first + written, lines); ++written) {
    preview.ParseLines(lines);
    WriteColumns(preview.CSVParser());
  }
  if (written == Count && preview.IndexedRow(true, first + written, lines)) std::cout << "...\n";
  return written;
}

}  // namespace

void AddPreviewCommand(CLI::App& app, int& status) {
  auto* command = app.add_subcommand("preview", "Show the viewer's preview rows of a file as tab-separated columns");
  auto options = std::make_shared<TPreviewOptions>();
  command->add_option("FILE", options->File, "The file to preview; - for standard input")->required();
  command->add_option("--max-rows", options->MaxRows, "Data rows to read at most")
      ->check(CLI::Range(1, INT32_MAX))
      ->capture_default_str();
  command->add_flag("--no-header", options->NoHeader, "Treat the first line as data");
  command->add_flag("--cell-line-breaks", options->CellLineBreaks, "Quoted values may continue on the next line");
  command->add_flag("--backslash-escapes", options->BackslashEscapes, "A backslash escapes a quote in a quoted value");
  command->add_option("--from", options->From, "The first data row to show (1-based, after the header)")
      ->check(CLI::Range(int64_t{1}, INT64_MAX))
      ->capture_default_str();
  AddDelimiterOption(*command, options->Delimiter);
  command->callback([&status, options] {
    TFilePreview preview;
    // A database is shown as the viewer shows it: metadata lines, a header and its networks.
    if (EndsWithNoCase(options->File, ".mmdb"))
      preview.SetLineReaderClass(&TLineReaderClassOf<TMMDBMetaReader>::Instance());
    preview.SetPreviewMaxLines(options->MaxRows);
    preview.CSVParser().SetCellLineBreaks(options->CellLineBreaks);
    preview.CSVParser().SetBackslashEscapes(options->BackslashEscapes);
    preview.SetDelimiter(options->Delimiter);
    const bool indexed = options->From > 1 && !EndsWithNoCase(options->File, ".mmdb");
    // Rows further down need only the header and the delimiter the first rows show.
    if (indexed) preview.SetPreviewMaxLines(1);
    try {
      ReadingInput(options->File);
      if (!preview.ReadPreview(options->File, options->NoHeader)) {
        std::cerr << preview.PreviewStatus() << '\n';
        status = kExitFailure;
        return;
      }
      if (indexed) {
        const int64_t written = WriteIndexedRows(preview, options->From, options->MaxRows);
        std::cerr << FormatCount(written) << " rows from row " << FormatCount(options->From) << "\n";
      } else {
        WritePreview(preview);
        std::cerr << FormatCount(preview.ShownRowCount()) << (preview.More() ? "+" : "") << " rows\n";
      }
      status = kExitOk;
    } catch (const Exception& e) {
      std::cerr << e.what() << '\n';
      status = kExitFailure;
    }
  });
}

}  // namespace korrin::cli
