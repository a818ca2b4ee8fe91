#include "viewer/view_rows.h"

#include <algorithm>

#include "common/exception.h"
#include "common/text.h"
#include "common/utf16.h"
#include "textio/stream_error.h"

namespace korrin {

namespace {

std::u16string Number(int64_t Item) { return Utf8ToUtf16(std::to_string(Item + 1)); }

}  // namespace

void TViewRows::Reset(bool Read) {
  FStatusMode = !Read;
  FShowAll = false;
}

bool TViewRows::ShowAll() {
  if (!FStatusMode && FPreview.Index() && !FPreview.PreviewEof()) FShowAll = true;
  return FShowAll;
}

int64_t TViewRows::PreviewCount(bool Records) const {
  return static_cast<int64_t>(Records ? FPreview.PreviewRows().size() : FPreview.PreviewLines().size());
}

int64_t TViewRows::IndexedCount(bool Records) const {
  const TRowIndex& index = *FPreview.Index();
  return std::max<int64_t>((Records ? index.Records() : index.Lines()) - Header(), 0);
}

int64_t TViewRows::Count(bool Records) const {
  if (FStatusMode) return 1;
  if (FShowAll) return IndexedCount(Records);
  // A source that did not end adds the "..." item.
  return std::max<int64_t>(PreviewCount(Records) - Header(), 0) + (FPreview.PreviewEof() ? 0 : 1);
}

bool TViewRows::IsMore(bool Records, int64_t Item) const {
  return !FStatusMode && !FShowAll && !FPreview.PreviewEof() && Item == Count(Records) - 1;
}

int64_t TViewRows::RowCount(bool& More) const {
  More = false;
  if (FStatusMode) return 0;
  if (const TRowIndex* index = FPreview.Index(); index && index->Done())
    return std::max<int64_t>(index->Records() - Header(), 0);
  More = FPreview.More();
  return FPreview.ShownRowCount();
}

bool TViewRows::InPreview(bool Records, int64_t Row) const {
  // Once the whole file shows, its lines come from the index too: a preview's last record may be
  // cut short by the row limit.
  const int64_t rows = PreviewCount(Records);
  return Row >= 0 && (FShowAll ? Records && Row + 1 < rows : Row < rows);
}

void TViewRows::PreviewLines(bool Records, int64_t Row, TStringList& Lines) const {
  const TStringList& lines = FPreview.PreviewLines();
  if (!Records) {
    Lines.assign(1, std::u16string(WithoutLineBreak(lines[static_cast<size_t>(Row)])));
    return;
  }
  const std::vector<int32_t>& rows = FPreview.PreviewRows();
  const auto first = static_cast<std::ptrdiff_t>(rows[static_cast<size_t>(Row)]);
  const auto end = static_cast<size_t>(Row) + 1 < rows.size()
                       ? static_cast<std::ptrdiff_t>(rows[static_cast<size_t>(Row) + 1])
                       : static_cast<std::ptrdiff_t>(lines.size());
  Lines.assign(lines.begin() + first, lines.begin() + end);
}

bool TViewRows::Shows(bool Records, int64_t Item) const {
  return !FStatusMode && Item >= 0 && Item < Count(Records) && !IsMore(Records, Item);
}

bool TViewRows::Lines(bool Records, int64_t Item, TStringList& Lines) {
  if (!Shows(Records, Item)) return false;
  const int64_t row = FileRow(Item);
  if (InPreview(Records, row)) {
    PreviewLines(Records, row, Lines);
    return true;
  }
  return FShowAll && FPreview.IndexedRow(Records, row, Lines);
}

std::vector<std::u16string> TViewRows::Cells(bool Records, int64_t Item) {
  if (FStatusMode) {
    const std::u16string status = Utf8ToUtf16(FPreview.PreviewStatus());
    return Records ? std::vector<std::u16string>{status} : std::vector<std::u16string>{u"", status};
  }
  if (IsMore(Records, Item)) return {u"..."};
  std::vector<std::u16string> cells{Number(Item)};
  TStringList lines;
  try {
    if (!Lines(Records, Item, lines)) return Records ? cells : std::vector<std::u16string>{Number(Item), u""};
  } catch (const EStreamError& e) {
    // A row the file could not give shows why, where its values would be.
    return {Number(Item), Utf8ToUtf16(e.what())};
  }
  if (!Records) {
    cells.push_back(std::move(lines.front()));
    return cells;
  }
  FPreview.ParseLines(lines);
  // The values stored: a line may name more columns than the parser keeps.
  const TCSVParser& parser = FPreview.CSVParser();
  for (int32_t k = 0; k < parser.ColumnCount(); ++k) cells.push_back(parser.ColumnValue(k));
  return cells;
}

std::unique_ptr<TViewRows::TReader> TViewRows::CreateReader(bool Records) const {
  return std::make_unique<TReader>(*this, Records);
}

TViewRows::TReader::TReader(const TViewRows& Rows, bool Records)
    : FRows(Rows), FRecords(Records), FParser(Rows.Parser()) {
  const TRowIndex* index = Rows.FPreview.Index();
  if (!index) return;
  // The end is taken before the first row is read, so that a file cut short later is noticed.
  if (index->Done()) FEndRow = Rows.IndexedCount(Records);
  FReader = std::make_unique<TRowReader>(index->File(), index->Encoding(), index->Options(), 1 << 20);
  FEndPosition = FReader->Size();
}

bool TViewRows::TReader::Lines(int64_t Item, TStringList& Lines) {
  const TViewRows& rows = FRows;
  if (!rows.Shows(FRecords, Item)) return false;
  const int64_t row = rows.FileRow(Item);
  if (rows.InPreview(FRecords, row)) {
    rows.PreviewLines(FRecords, row, Lines);
    return true;
  }
  if (!FReader || !rows.FShowAll) return false;
  if (row != FNextRow) {
    int64_t offset = 0, skip = 0;
    if (!rows.FPreview.Index()->Locate(FRecords, row, offset, skip)) return false;
    FReader->Seek(offset);
    FNextRow = -1;
    if (!FReader->Skip(FRecords, skip)) return false;
  }
  if (!FReader->Read(FRecords, Lines)) return false;
  FNextRow = row + 1;
  return true;
}

bool TViewRows::TReader::Next(TStringList& Lines) {
  const TViewRows& rows = FRows;
  if (rows.FStatusMode) return false;
  if (!FReader) {
    if (FNextPreviewRow < 0) FNextPreviewRow = rows.Header();
    if (FNextPreviewRow >= rows.PreviewCount(FRecords)) return false;
    rows.PreviewLines(FRecords, FNextPreviewRow++, Lines);
    return true;
  }
  if (FNextRow < 0) {
    FReader->Seek(FReader->DataStart());
    FNextRow = 0;
    if (!FReader->Skip(FRecords, rows.Header())) return false;
    FNextRow = rows.Header();
  }
  if (FEndRow >= 0 && FNextRow - rows.Header() >= FEndRow) return false;
  if (!FReader->Read(FRecords, Lines)) return false;
  ++FNextRow;
  return true;
}

bool TViewRows::TReader::SelectedLines(int64_t Item, TStringList& Lines, std::string_view Again) {
  if (this->Lines(Item, Lines)) return true;
  if (FRows.Shows(FRecords, Item))
    throw Exception(Format("Row %lld could not be read: the file has changed since it was shown. %.*s",
                           static_cast<long long>(Item + 1), static_cast<int>(Again.size()), Again.data()));
  return false;
}

void TViewRows::TReader::CheckNotWrittenOver(std::string_view Again) const {
  if (!FReader) return;
  const TOpenedFile& file = *FRows.FPreview.Index()->File();
  if (file.WrittenOver())
    throw Exception(Format("\"%s\" was written over in place since it was shown. %.*s", file.Name().c_str(),
                           static_cast<int>(Again.size()), Again.data()));
}

std::string TViewRows::TReader::Shortfall() const {
  if (!FReader) return {};
  const std::string name = FRows.FPreview.Index()->File()->Name();
  const int64_t read = std::max<int64_t>(FNextRow - FRows.Header(), 0);
  if (FEndRow >= 0)
    return read < FEndRow ? Format("\"%s\" ended after %s of its %s rows", name.c_str(), FormatCount(read).c_str(),
                                   FormatCount(FEndRow).c_str())
                          : std::string();
  return FReader->Position() < FEndPosition
             ? Format("\"%s\" ended after %s rows, at byte %s of %s", name.c_str(), FormatCount(read).c_str(),
                      FormatCount(FReader->Position()).c_str(), FormatCount(FEndPosition).c_str())
             : std::string();
}

int64_t TViewRows::TReader::Position() const { return FReader ? FReader->Position() : FNextPreviewRow; }

int64_t TViewRows::TReader::Size() const {
  return FReader ? FRows.FPreview.Index()->Size() : FRows.PreviewCount(FRecords);
}

std::vector<std::u16string> TViewRows::TReader::HeaderValues() {
  if (FRows.FStatusMode || FRows.Header() == 0 || FRows.PreviewCount(true) == 0) return {};
  TStringList lines;
  FRows.PreviewLines(true, 0, lines);
  return Values(lines);
}

std::vector<std::u16string> TViewRows::TReader::Values(const TStringList& Lines) {
  FParser.ParseLine(FParser.JoinLines(Lines));
  std::vector<std::u16string> values;
  values.reserve(static_cast<size_t>(FParser.ColumnCount()));
  for (int32_t k = 0; k < FParser.ColumnCount(); ++k) values.push_back(FParser.ColumnValue(k));
  return values;
}

}  // namespace korrin
