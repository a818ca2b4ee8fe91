#include "viewer/file_preview.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"
#include "viewer/cached_file_line_reader.h"
#include "viewer/cached_file_stream.h"
#include "viewer/tolerant_utf8.h"
#include "viewer/utf8_line_counter.h"

namespace korrin {

namespace {

// "-" names standard input, which the stream opens.
bool FileExists(const std::string& name) {
  struct stat st;
  return name == "-" || (!name.empty() && ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode));
}

}  // namespace

TFilePreview::TFilePreview() = default;

bool TFilePreview::ReadsFiles() const {
  return !FLineReaderClass || FLineReaderClass == &TCachedFileLineReader::Class();
}

std::unique_ptr<TLineReader> TFilePreview::CreateLineReader(const std::string& FileName) const {
  if (ReadsFiles())
    return std::make_unique<TCachedFileLineReader>(FileName, FReadBufferSize, FLineBufferSize);
  return FLineReaderClass->Create(FileName, TLineReader::kDefaultBufferSize);
}

bool TFilePreview::ReadPreview(const std::string& FileName, bool NoHeader) {
  FPreviewHeader = !NoHeader;
  FPreviewLines.clear();
  FPreviewRows.clear();
  FPreviewColumns.clear();
  FCSVParser.Reset(true);
  if (!FileExists(FileName)) {
    FPreviewStatus = Format("File \"%s\" does not exist.", FileName.c_str());
    FPreviewEof = true;
    return false;
  }
  FPreviewStatus.clear();
  FPreviewEof = false;
  try {
    ReadLines(*CreateLineReader(FileName), NoHeader);
  } catch (const Exception& e) {
    FPreviewStatus = e.what();
    return false;
  }
  return true;
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
    for (int32_t k = static_cast<int32_t>(FPreviewColumns.size()); k < FCSVParser.ColumnCount(); ++k)
      FPreviewColumns.push_back(i == 0 ? FCSVParser.ColumnValue(k) : u"Column " + Utf8ToUtf16(std::to_string(k + 1)));
    if (FOnLineParsed) FOnLineParsed(FCSVParser);
    if (newRow) FPreviewRows.push_back(static_cast<int32_t>(FPreviewLines.size()));
    FPreviewLines.push_back(std::move(line));
    if (FCSVParser.CellLineBreaks()) newRow = FCSVParser.FormatError() != TCSVFormatError::csvNoCloseQuote;
  }
}

int64_t TFilePreview::ShownRowCount() const {
  const auto lines = static_cast<int64_t>(FPreviewLines.size());
  return FPreviewHeader && lines > 0 ? lines - 1 : lines;
}

std::u16string TFilePreview::RowText(int32_t Row) const {
  const size_t first = static_cast<size_t>(FPreviewRows.at(static_cast<size_t>(Row)));
  const size_t end = static_cast<size_t>(Row) + 1 < FPreviewRows.size()
                         ? static_cast<size_t>(FPreviewRows[static_cast<size_t>(Row) + 1])
                         : FPreviewLines.size();
  std::u16string text = FPreviewLines[first];
  for (size_t k = first + 1; k < end; ++k) {
    text += FCSVParser.LineJoint();
    text += FPreviewLines[k];
  }
  return text;
}

int32_t TFilePreview::ParseRow(int32_t Row) { return FCSVParser.ParseLine(RowText(Row)); }

bool TFilePreview::CountUTF8Lines(const std::string& FileName, const TCountProgress& Progress, int64_t& Lines) const {
  TReadOnlyCachedFileStream stream(FileName, FReadBufferSize);
  uint8_t mark[3];
  const int32_t marked = stream.Read(mark, 3);
  if (marked >= 2 && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF))) return false;
  stream.SetPosition(marked == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF ? 3 : 0);
  // Large reads straight into one block; the cache would only add a copy.
  stream.DisableStreamReadCache();
  const int64_t size = stream.Size();
  TUTF8LineCounter counter;
  std::vector<uint8_t> block(1 << 20);
  for (int32_t n; (n = stream.Read(block.data(), static_cast<int32_t>(block.size()))) > 0;) {
    counter.Add({block.data(), static_cast<size_t>(n)});
    if (Progress && Progress(stream.Position(), size, counter.Lines())) {
      Lines = -1;
      return true;
    }
  }
  Lines = counter.Finish();
  return true;
}

int64_t TFilePreview::CountRows(const std::string& FileName, bool NoHeader, const TCountProgress& Progress) {
  int64_t lines;
  if (ReadsFiles() && CountUTF8Lines(FileName, Progress, lines))
    return lines < 0 ? -1 : NoHeader ? lines : std::max<int64_t>(lines - 1, 0);

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
