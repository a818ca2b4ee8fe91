#pragma once
// The toolkit-free half of the file view: reading the preview rows of a source and counting all
// its rows, and for text files the row index that serves every row of the file, so that the window
// and korrin-cli show the same.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "textio/encoding_sniffer.h"
#include "textio/line_reader.h"
#include "viewer/csv_parser.h"
#include "viewer/row_index.h"
#include "viewer/row_reader.h"

namespace korrin {

// A count reports its progress as the index scan does; returning true aborts it.
using TCountProgress = TIndexProgress;
// Sees the parser after each preview line, where the window measures the column widths.
using TLineParsed = std::function<void(const TCSVParser& Parser)>;

class TFilePreview {
 public:
  static constexpr int32_t kDefaultPreviewMaxLines = 1000;
  static constexpr int32_t kMaxColumns = 500;

  TFilePreview();
  ~TFilePreview();
  TFilePreview(const TFilePreview&) = delete;
  TFilePreview& operator=(const TFilePreview&) = delete;

  // Reads at most PreviewMaxLines data lines (plus the header line unless NoHeader); false when the
  // file is missing or a read failed, with the message in PreviewStatus.
  bool ReadPreview(const std::string& FileName, bool NoHeader);
  // The rows of the source, skipping the header unless NoHeader: records, as the index counts
  // them, for a text file; -1 when aborted.
  int64_t CountRows(const std::string& FileName, bool NoHeader, const TCountProgress& Progress);

  // The index of the file the last ReadPreview read, with its options; null for other sources.
  // Start it on its worker, or Build it here (false when Progress stopped it).
  TRowIndex* Index() const { return FIndex.get(); }
  void StartIndex();
  bool BuildIndex(const TIndexProgress& Progress);
  // Row Row (0-based, the header included) of the whole file through the index: its physical
  // lines, one for a line; false while the index has not reached it or past the end.
  bool IndexedRow(bool Records, int64_t Row, TStringList& Lines);
  // Parses a record given as its physical lines, joined as the preview joins them.
  int32_t ParseLines(const TStringList& Lines);
  // How the rows of a text file are split, from the parser's options and the chosen delimiter.
  TRowOptions RowOptions() const;
  // The encoding the last ReadPreview of a text file used.
  const TSniffedEncoding& Encoding() const { return FEncoding; }
  // The delimiter the user chose; 0 picks it from the file.
  char16_t Delimiter() const { return FDelimiter; }
  void SetDelimiter(char16_t Value) { FDelimiter = Value; }

  // The raw text of preview row Row, its physical lines joined as the parser joins cell line breaks.
  std::u16string RowText(int32_t Row) const;
  // Parses preview row Row with the parser's own flags; its values are then the parser's columns.
  int32_t ParseRow(int32_t Row);
  // The count the window shows: the data rows read ("+" follows it while More()).
  int64_t ShownRowCount() const;
  bool More() const { return !FPreviewEof; }

  TCSVParser& CSVParser() { return FCSVParser; }
  const TCSVParser& CSVParser() const { return FCSVParser; }
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
  // Rows read together from the index, so that scrolling reads each block once.
  struct TRowBlock {
    bool Records = false;
    int64_t First = -1;
    std::vector<TStringList> Rows;
  };
  static constexpr int64_t kBlockRows = 64;

  std::unique_ptr<TLineReader> CreateLineReader(const std::string& FileName) const;
  bool ReadsFiles() const;
  void ReadLines(TLineReader& Reader, bool NoHeader);
  void ReadRows(TRowReader& Reader, bool NoHeader);
  // Adds the captions of columns the last parse found first, and lets the window measure it.
  void NoteColumns(bool Header);
  void ResetParserDelimiter();
  std::unique_ptr<TRowIndex> CreateIndex() const;

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
  char16_t FDelimiter = 0;
  char16_t FRowDelimiter = 0;  // found by the preview's row scan
  std::string FFileName;
  TSniffedEncoding FEncoding = SniffEncoding({}, true);
  std::unique_ptr<TRowIndex> FIndex;
  std::unique_ptr<TRowReader> FIndexReader;
  std::array<TRowBlock, 4> FBlocks;  // the least recently used is replaced
  size_t FNextBlock = 0;
};

}  // namespace korrin
