#pragma once
// What the viewer shows, row by row, in one place: the preview's first rows with the "..." item
// after them, every row of the file through the row index once the user asked for it, or the
// status text when nothing could be read. Both tabs, Copy, Export, Go to Row, Find's result and
// the status line ask it, so they never disagree about which row an item is.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/csv_parser.h"
#include "viewer/file_preview.h"
#include "viewer/row_reader.h"

namespace korrin {

// Items First to Last, both included.
struct TItemRange {
  int64_t First = 0;
  int64_t Last = -1;
};
using TItemRanges = std::vector<TItemRange>;

class TViewRows {
 public:
  explicit TViewRows(TFilePreview& Preview) : FPreview(Preview) {}

  // After each preview read; Read false shows the preview's status instead of rows.
  void Reset(bool Read);
  bool StatusMode() const { return FStatusMode; }
  // Every row of the file instead of the preview's; false where there is no index to read them.
  bool ShowAll();
  bool ShowsAll() const { return FShowAll; }

  // Items of the table (Records) or of the text tab, the "..." item included.
  int64_t Count(bool Records) const;
  bool IsMore(bool Records, int64_t Item) const;
  // The file row (0-based, the header included) that Item shows, and the item of a file row.
  int64_t FileRow(int64_t Item) const { return Item + Header(); }
  int64_t ItemOf(int64_t Row) const { return Row - Header(); }
  // Data rows for the status line; More while rows may follow the ones counted.
  int64_t RowCount(bool& More) const;

  // The cells the views show: the number and the values (Records) or the number and the raw line;
  // "..." for the "..." item, the status text in status mode, and a read error's message for a row
  // the file could not give.
  std::vector<std::u16string> Cells(bool Records, int64_t Item);
  // The raw lines of a row; false for the "..." item, in status mode and past what the index reached.
  bool Lines(bool Records, int64_t Item, TStringList& Lines);
  // The captions of the table's value columns.
  const TStringList& Captions() const { return FPreview.PreviewColumns(); }
  // The parser as it reads the rows shown, for the values of a row whose lines a reader gave.
  const TCSVParser& Parser() const { return FPreview.CSVParser(); }

  class TReader;
  // Reads rows one after another with a file reader and parser of its own, so that Copy and
  // Export over millions of rows read each block once and an export can run on another thread.
  // It reads what the view shows now; the preview must not be read again while it lives.
  std::unique_ptr<TReader> CreateReader(bool Records) const;

 private:
  int64_t Header() const { return FPreview.PreviewHeader() ? 1 : 0; }
  // Item is a row the view shows (neither the "..." item nor past the end, nor the status), so that
  // a reader failing on it means the row could not be read.
  bool Shows(bool Records, int64_t Item) const;
  // The items of the whole file as far as the index has counted them.
  int64_t IndexedCount(bool Records) const;
  bool InPreview(bool Records, int64_t Row) const;
  // The preview's rows (records) or lines.
  int64_t PreviewCount(bool Records) const;
  void PreviewLines(bool Records, int64_t Row, TStringList& Lines) const;

  TFilePreview& FPreview;
  bool FStatusMode = true;
  bool FShowAll = false;
};

class TViewRows::TReader {
 public:
  TReader(const TViewRows& Rows, bool Records);
  // The raw lines of Item; false where TViewRows::Lines would be false. Fastest in item order.
  bool Lines(int64_t Item, TStringList& Lines);
  // The next row of the whole source, whatever the view shows, from its first data row on;
  // false after the rows the index counted when it had done (those the view shows), else at the
  // end the file had when the reader was made.
  bool Next(TStringList& Lines);
  // After Next gave false: empty when it read to that end, else how far it got, naming the file
  // ("x.csv" ended after 812 of its 3,000 rows): the file was cut short meanwhile, which Next cannot
  // tell from the end. A read that fails raises its error instead.
  std::string Shortfall() const;
  // The lines of Item for a copy or an export of selected rows: false for an item the view does
  // not show (a selection may reach past its rows); for a row it shows that can no longer be read,
  // raises "Row 12 could not be read: the file has changed since it was shown. " + Again.
  bool SelectedLines(int64_t Item, TStringList& Lines, std::string_view Again);
  // Raises "\"x.csv\" was written over in place since it was shown. " + Again when it was, which
  // reads cannot tell: what was read may be of two versions.
  void CheckNotWrittenOver(std::string_view Again) const;
  // How far Next has read, and of what (bytes of a file, else rows).
  int64_t Position() const;
  int64_t Size() const;
  // The header row's values; none without a header.
  std::vector<std::u16string> HeaderValues();
  // The values of the row whose lines Lines or Next gave.
  std::vector<std::u16string> Values(const TStringList& Lines);

 private:
  const TViewRows& FRows;
  const bool FRecords;
  TCSVParser FParser;
  std::unique_ptr<TRowReader> FReader;
  int64_t FNextRow = -1;         // the file row FReader reads next
  int64_t FNextPreviewRow = -1;  // Next's row where there is no file reader
  int64_t FEndRow = -1;          // the rows Next gives: the index's count, -1 while it counts
  int64_t FEndPosition = 0;      // where the file ended when the reader was made
};

}  // namespace korrin
