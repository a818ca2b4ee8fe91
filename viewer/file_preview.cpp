#include "viewer/file_preview.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"
#include "textio/cached_file_line_reader.h"
#include "textio/cached_file_stream.h"

namespace korrin {

namespace {

// "-" names standard input, which the stream opens.
bool FileExists(const std::string& name) {
  struct stat st;
  return name == "-" || (!name.empty() && ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode));
}

// Pipes, standard input, devices and /proc files can be read only once, from the start: they take
// the line reader's one pass, not the sniff, the index and the re-reads that a file allows.
bool IsIndexableFile(const std::string& name) {
  struct stat st;
  return name != "-" && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

TSniffedEncoding SniffFile(const std::string& name) {
  TReadOnlyCachedFileStream stream(name, 0);
  stream.DisableStreamReadCache();
  std::vector<uint8_t> head(kSniffSize);
  size_t n = 0;
  for (int32_t got; n < head.size() && (got = stream.Read(head.data() + n, static_cast<int32_t>(head.size() - n))) > 0;)
    n += static_cast<size_t>(got);
  return SniffEncoding({head.data(), n}, n < head.size());
}

}  // namespace

TFilePreview::TFilePreview() = default;

TFilePreview::~TFilePreview() = default;

bool TFilePreview::ReadsFiles() const {
  return !FLineReaderClass || FLineReaderClass == &TCachedFileLineReader::Class();
}

std::unique_ptr<TLineReader> TFilePreview::CreateLineReader(const std::string& FileName) const {
  if (ReadsFiles()) return std::make_unique<TCachedFileLineReader>(FileName, FReadBufferSize, FLineBufferSize);
  return FLineReaderClass->Create(FileName, TLineReader::kDefaultBufferSize);
}

TRowOptions TFilePreview::RowOptions() const {
  TRowOptions options;
  options.CellLineBreaks = FCSVParser.CellLineBreaks();
  options.BackslashEscapes = FCSVParser.BackslashEscapes();
  options.Delimiter = FDelimiter;
  options.QuoteChar = FCSVParser.QuoteChar();
  return options;
}

void TFilePreview::ResetParserDelimiter() {
  FCSVParser.Reset(true);
  FCSVParser.SetDelimiters(FDelimiter ? std::u16string(1, FDelimiter) : std::u16string(TCSVParser::kDefaultDelimiters));
  FCSVParser.SetDelimiter(FDelimiter);
}

bool TFilePreview::ReadPreview(const std::string& FileName, bool NoHeader) {
  FPreviewHeader = !NoHeader;
  FPreviewLines.clear();
  FPreviewRows.clear();
  FPreviewColumns.clear();
  FIndex.reset();
  FIndexReader.reset();
  FBlocks = {};
  FFileName.clear();
  FRowDelimiter = 0;
  ResetParserDelimiter();
  if (!FileExists(FileName)) {
    FPreviewStatus = Format("File \"%s\" does not exist.", FileName.c_str());
    FPreviewEof = true;
    return false;
  }
  FPreviewStatus.clear();
  FPreviewEof = false;
  try {
    if (ReadsFiles() && IsIndexableFile(FileName)) {
      FEncoding = SniffFile(FileName);
      FFileName = FileName;
      TRowReader reader(FileName, FEncoding, RowOptions(), FReadBufferSize);
      ReadRows(reader, NoHeader);
    } else {
      ReadLines(*CreateLineReader(FileName), NoHeader);
    }
  } catch (const Exception& e) {
    FPreviewStatus = e.what();
    FFileName.clear();
    return false;
  }
  return true;
}

void TFilePreview::NoteColumns(bool Header) {
  for (int32_t k = static_cast<int32_t>(FPreviewColumns.size()); k < FCSVParser.ColumnCount(); ++k)
    FPreviewColumns.push_back(Header ? FCSVParser.ColumnValue(k) : u"Column " + Utf8ToUtf16(std::to_string(k + 1)));
  if (FOnLineParsed) FOnLineParsed(FCSVParser);
}

void TFilePreview::ReadRows(TRowReader& Reader, bool NoHeader) {
  const TCSVParseFlags flags = FCSVParser.ParseFlags() | csvUpdateDelimiter;
  TStringList lines;
  for (int64_t i = NoHeader ? 1 : 0; i <= FPreviewMaxLines;) {
    if (!Reader.Read(true, lines)) {
      FPreviewEof = true;
      break;
    }
    // The columns split at the delimiter the rows were split with, whichever met it first.
    if (!FDelimiter && Reader.Delimiter()) FCSVParser.SetDelimiter(Reader.Delimiter());
    FCSVParser.ParseLine(FCSVParser.JoinLines(lines), flags);
    NoteColumns(i == 0);
    FPreviewRows.push_back(static_cast<int32_t>(FPreviewLines.size()));
    i += static_cast<int64_t>(lines.size());
    for (std::u16string& line : lines) FPreviewLines.push_back(std::move(line));
  }
  FRowDelimiter = Reader.Delimiter();
}

void TFilePreview::ReadLines(TLineReader& Reader, bool NoHeader) {
  const TCSVParseFlags flags = FCSVParser.ParseFlags() | csvUpdateDelimiter;
  bool newRow = true;
  std::u16string joined;
  for (int64_t i = NoHeader ? 1 : 0; i <= FPreviewMaxLines; ++i) {
    if (Reader.EndOfLines()) {
      FPreviewEof = true;
      break;
    }
    std::u16string line = Reader.ReadLine();
    if (FCSVParser.CellLineBreaks()) {
      // A record joined past the line cap starts a new row, so that a quote that never closes
      // cannot make each further line parse an ever longer text.
      if (newRow || joined.size() >= TCSVParser::kMaxRecordLength) {
        joined = line;
        newRow = true;
      } else {
        joined += FCSVParser.LineJoint();
        joined += line;
      }
      FCSVParser.ParseLine(joined, flags);
    } else {
      FCSVParser.ParseLine(line, flags);
    }
    NoteColumns(i == 0);
    if (newRow) FPreviewRows.push_back(static_cast<int32_t>(FPreviewLines.size()));
    FPreviewLines.push_back(std::move(line));
    if (FCSVParser.CellLineBreaks()) newRow = FCSVParser.FormatError() != TCSVFormatError::csvNoCloseQuote;
  }
}

std::unique_ptr<TRowIndex> TFilePreview::CreateIndex() const {
  TRowOptions options = RowOptions();
  // The delimiter the preview's rows were split with, which a scan from the file's start (Count
  // Rows) finds at the same place; rows read from the middle of the file cannot find it there.
  if (!options.Delimiter) options.Delimiter = FRowDelimiter;
  return std::make_unique<TRowIndex>(FFileName, FEncoding, options);
}

void TFilePreview::StartIndex() {
  if (FFileName.empty()) return;
  FIndex = CreateIndex();
  FIndexReader = std::make_unique<TRowReader>(FIndex->File(), FEncoding, FIndex->Options(), FReadBufferSize);
  FIndex->Start();
}

bool TFilePreview::BuildIndex(const TIndexProgress& Progress) {
  if (FFileName.empty()) return false;
  FIndex = CreateIndex();
  FIndexReader = std::make_unique<TRowReader>(FIndex->File(), FEncoding, FIndex->Options(), FReadBufferSize);
  return FIndex->Build(Progress);
}

bool TFilePreview::IndexedRow(bool Records, int64_t Row, TStringList& Lines) {
  if (!FIndex) return false;
  for (const TRowBlock& block : FBlocks) {
    if (block.First >= 0 && block.Records == Records && Row >= block.First &&
        Row < block.First + static_cast<int64_t>(block.Rows.size())) {
      Lines = block.Rows[static_cast<size_t>(Row - block.First)];
      return true;
    }
  }
  int64_t offset, skip;
  const int64_t first = Row - Row % kBlockRows;
  if (!FIndex->Locate(Records, Row, offset, skip) || !FIndex->Locate(Records, first, offset, skip)) return false;
  TRowBlock& block = FBlocks[FNextBlock++ % FBlocks.size()];
  block = TRowBlock{Records, first, {}};
  // A reader made before the index found the delimiter would find its own from where it starts.
  const TRowOptions options = FIndex->Options();
  if (FIndexReader->Delimiter() != options.Delimiter)
    FIndexReader = std::make_unique<TRowReader>(FIndex->File(), FEncoding, options, FReadBufferSize);
  FIndexReader->Seek(offset);
  if (FIndexReader->Skip(Records, skip)) {
    TStringList lines;
    while (static_cast<int64_t>(block.Rows.size()) < kBlockRows && FIndexReader->Read(Records, lines))
      block.Rows.push_back(lines);
  }
  if (Row >= first + static_cast<int64_t>(block.Rows.size())) {
    block.First = -1;
    return false;
  }
  Lines = block.Rows[static_cast<size_t>(Row - first)];
  return true;
}

int32_t TFilePreview::ParseLines(const TStringList& Lines) { return FCSVParser.ParseLine(FCSVParser.JoinLines(Lines)); }

int64_t TFilePreview::ShownRowCount() const {
  // Records, as the index and Count Rows count them: a record may span lines.
  const auto rows = static_cast<int64_t>(FPreviewRows.size());
  return FPreviewHeader && rows > 0 ? rows - 1 : rows;
}

std::u16string TFilePreview::RowText(int32_t Row) const {
  const auto first = static_cast<size_t>(FPreviewRows.at(static_cast<size_t>(Row)));
  const size_t end = static_cast<size_t>(Row) + 1 < FPreviewRows.size()
                         ? static_cast<size_t>(FPreviewRows[static_cast<size_t>(Row) + 1])
                         : FPreviewLines.size();
  // Joined where they lie: a row parsed is not copied first.
  return FCSVParser.JoinLines(std::span(FPreviewLines).subspan(first, end - first));
}

int32_t TFilePreview::ParseRow(int32_t Row) { return FCSVParser.ParseLine(RowText(Row)); }

int64_t TFilePreview::CountRows(const std::string& FileName, bool NoHeader, const TCountProgress& Progress) {
  if (ReadsFiles() && IsIndexableFile(FileName)) {
    TRowIndex index(FileName, SniffFile(FileName), RowOptions());
    if (!index.Build(Progress)) return -1;
    return NoHeader ? index.Records() : std::max<int64_t>(index.Records() - 1, 0);
  }

  const std::unique_ptr<TLineReader> reader = CreateLineReader(FileName);
  const int64_t size = reader->StreamSize();
  bool skipHeader = !NoHeader;
  int64_t rows = 0;
  while (!reader->EndOfLines()) {
    if (skipHeader) {
      reader->GotoNextLine();
      if (reader->EndOfLines()) break;
    }
    reader->GotoNextLine();
    ++rows;
    skipHeader = false;
    if (Progress && Progress(reader->StreamPosition(), size, rows)) return -1;
  }
  return rows;
}

}  // namespace korrin
