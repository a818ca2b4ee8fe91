#pragma once
// The toolkit-free half of the file view: reading the preview rows of a source through a line
// reader and the parser, and counting all its rows, so that the window and korrin-cli show the same.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer/csv_parser.h"
#include "viewer/line_reader.h"

namespace korrin {

// Receives the count's progress; returning true aborts the count.
using TCountProgress = std::function<bool(int64_t Position, int64_t Size, int64_t Rows)>;
// Sees the parser after each preview line, where the window measures the column widths.
using TLineParsed = std::function<void(const TCSVParser& Parser)>;

class TFilePreview {
 public:
  static constexpr int32_t kDefaultPreviewMaxLines = 1000;
  static constexpr int32_t kMaxColumns = 500;

  TFilePreview();

  // Reads at most PreviewMaxLines data rows (plus the header line unless NoHeader); false when the
  // file is missing or a read failed, with the message in PreviewStatus.
  bool ReadPreview(const std::string& FileName, bool NoHeader);
  // The physical lines of the source, skipping the header unless NoHeader; -1 when aborted.
  int64_t CountRows(const std::string& FileName, bool NoHeader, const TCountProgress& Progress);

  // The raw text of preview row Row, its physical lines joined as the parser joins cell line breaks.
  std::u16string RowText(int32_t Row) const;
  // Parses preview row Row with the parser's own flags; its values are then the parser's columns.
  int32_t ParseRow(int32_t Row);
  // The count the window shows: the data rows read ("+" follows it while More()).
  int64_t ShownRowCount() const;
  bool More() const { return !FPreviewEof; }

  TCSVParser& CSVParser() { return FCSVParser; }
  void SetOnLineParsed(TLineParsed Value) { FOnLineParsed = std::move(Value); }
  // Null stands for TCachedFileLineReader.
  void SetLineReaderClass(const TLineReaderClass* Value) { FLineReaderClass = Value; }
  int32_t PreviewMaxLines() const { return FPreviewMaxLines; }
  void SetPreviewMaxLines(int32_t Value) { FPreviewMaxLines = Value; }
  int32_t ReadBufferSize() const { return FReadBufferSize; }
  void SetReadBufferSize(int32_t Value) { FReadBufferSize = Value; }
  int32_t LineBufferSize() const { return FLineBufferSize; }
  void SetLineBufferSize(int32_t Value) { FLineBufferSize = Value; }
  bool PreviewHeader() const { return FPreviewHeader; }
  bool PreviewEof() const { return FPreviewEof; }
  const std::string& PreviewStatus() const { return FPreviewStatus; }
  const TStringList& PreviewLines() const { return FPreviewLines; }
  const std::vector<int32_t>& PreviewRows() const { return FPreviewRows; }
  const TStringList& PreviewColumns() const { return FPreviewColumns; }

 private:
  std::unique_ptr<TLineReader> CreateLineReader(const std::string& FileName) const;
  bool ReadsFiles() const;
  // Counts the lines of a UTF-8 file from its bytes; false for a UTF-16 file, which the
  // line reader must decode.
  bool CountUTF8Lines(const std::string& FileName, const TCountProgress& Progress, int64_t& Lines) const;
  void ReadLines(TLineReader& Reader, bool NoHeader);

  int32_t FPreviewMaxLines = kDefaultPreviewMaxLines;
  bool FPreviewHeader = false;
  TStringList FPreviewLines;
  std::vector<int32_t> FPreviewRows;
  TStringList FPreviewColumns;
  std::string FPreviewStatus;
  bool FPreviewEof = false;
  TCSVParser FCSVParser{kMaxColumns};
  int32_t FReadBufferSize = 65536;
  int32_t FLineBufferSize = 1024;
  const TLineReaderClass* FLineReaderClass = nullptr;
  TLineParsed FOnLineParsed;
};

}  // namespace korrin
