#pragma once
// The window that shows a large delimited text file, or any source a line reader presents as
// lines, as a table of columns and as numbered raw lines. Which row an item is comes from
// TViewRows alone; the window holds its views, its options and the row count.
#include <QString>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "gui/forms/base_form.h"
#include "viewer/file_preview.h"
#include "viewer/row_export.h"
#include "viewer/row_finder.h"
#include "viewer/view_rows.h"

class QBoxLayout;
class QCheckBox;
class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabBar;
class QTimer;
class QWidget;

namespace korrin {

class TLabelEx;
class TListViewEx;

// How the window shows a file, apart from its title and name: one set that ViewFile, Execute and
// Prepare pass on.
struct TViewFileOptions {
  bool NoHeader = false;
  const TLineReaderClass* LineReaderClass = nullptr;  // null reads delimited text files
  // "Name (*.a)|*.a|..." pairs for "Open File...".
  QString OpenDialogFilter = QStringLiteral("CSV files (*.csv)|*.csv|Text files (*.txt)|*.txt|All files (*.*)|*.*");
  bool CountRowsEnabled = true;
  bool SetMaxRowsEnabled = true;
};

class TViewCSVFileForm : public TVForm {
 public:
  explicit TViewCSVFileForm(QWidget* parent = nullptr);
  ~TViewCSVFileForm() override;

  // A window of its own for each call, beside Owner's windows, which stay usable; it frees itself
  // when closed. Without an owner (the viewer alone) the call returns when it is closed.
  static TViewCSVFileForm* ViewFile(const QString& Title, const QString& FileName, const TViewFileOptions& Options = {},
                                    QWidget* Owner = nullptr);
  void Execute(const QString& Title, const QString& FileName, const TViewFileOptions& Options = {});
  // Everything Execute does before it shows the window.
  void Prepare(const QString& Title, const QString& FileName, const TViewFileOptions& Options = {});

  int32_t PreviewMaxLines() const { return FPreview.PreviewMaxLines(); }
  void SetPreviewMaxLines(int32_t Value) { FPreview.SetPreviewMaxLines(Value); }
  int32_t ReadBufferSize() const { return FPreview.ReadBufferSize(); }
  void SetReadBufferSize(int32_t Value) { FPreview.SetReadBufferSize(Value); }
  int32_t LineBufferSize() const { return FPreview.LineBufferSize(); }
  void SetLineBufferSize(int32_t Value) { FPreview.SetLineBufferSize(Value); }
  bool CellLineBreaks() { return FPreview.CSVParser().CellLineBreaks(); }
  void SetCellLineBreaks(bool Value) { FPreview.CSVParser().SetCellLineBreaks(Value); }
  bool ReplaceLineBreaks() { return FPreview.CSVParser().ReplaceLineBreaks(); }
  void SetReplaceLineBreaks(bool Value) { FPreview.CSVParser().SetReplaceLineBreaks(Value); }
  std::u16string ReplaceLineBreaksWith() { return FPreview.CSVParser().ReplaceLineBreaksWith(); }
  void SetReplaceLineBreaksWith(const std::u16string& Value) { FPreview.CSVParser().SetReplaceLineBreaksWith(Value); }
  bool BackslashEscapes() { return FPreview.CSVParser().BackslashEscapes(); }
  void SetBackslashEscapes(bool Value) { FPreview.CSVParser().SetBackslashEscapes(Value); }
  const QString& PreviewFileName() const { return FPreviewFileName; }
  const std::vector<int32_t>& PreviewColumnWidths() const { return FPreviewColumnWidths; }
  // -1 until a count has run to its end.
  int64_t Rows() const { return FRows; }

  void LoadPreview();
  // What Copy puts on the clipboard: the selected rows of the text tab as raw lines, of the table
  // as tab-separated values, CR LF between rows; empty in status mode. TooLarge, and nothing,
  // when the text would pass MaxCopyBytes.
  QString SelectedText(const TListViewEx* View, bool& TooLarge);
  // The clipboard's bound; a larger selection is offered for export instead.
  static constexpr int64_t kMaxCopyBytes = int64_t{64} << 20;
  int64_t MaxCopyBytes() const { return FMaxCopyBytes; }
  void SetMaxCopyBytes(int64_t Value) { FMaxCopyBytes = Value; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // One function per group of controls; each makes its controls and connects them.
  void CreateViews(QBoxLayout* layout);
  QWidget* CreateViewTabBar();
  QBoxLayout* CreateOptionsPanel();
  QWidget* CreateCountRowsPanel();
  // The index's progress, the encoding and Find's result, beside the close button.
  void CreateIndexStatus(QBoxLayout* bar);
  void CreateShortcuts();
  void FormShow();
  bool ReadPreview(bool NoHeader);
  void MeasureColumns(const TCSVParser& Parser);
  void ShowRowCount(int64_t Count, bool More);
  void ShowReadTime(int64_t Milliseconds);
  void ViewData(bool Records, int32_t Index, QStringList& Cells);
  // Widths from a sample of the rows shown once the whole file shows, the last column stretched.
  void MeasureShownColumns();
  void ViewTabBarChange(int Index);
  void SyncTopItem(TListViewEx* From, TListViewEx* To);
  void NoHeaderCheckBoxClick();
  void OptionsButtonClick();
  void OpenFileButtonClick();
  void MaxRowsLabelClick();
  void CountRowsButtonClick();
  void CountRows();
  void CopyClick(const TListViewEx* View);
  void AddCopyMenu(TListViewEx* View);
  // Writes the view's selection, or with Selection false every row of the file, to a file the
  // user names, on a worker with progress and Abort.
  void ExportClick(const TListViewEx* View, bool Selection);
  TItemRanges SelectedRanges(const TListViewEx* View) const;
  // The whole file through the row index: the "..." item's action, Go to Row and Find.
  void ShowAllRows();
  void UpdateItemCounts();
  void IndexTimerTick();
  // Offers to read the file again once it changed on disk while shown (see TOpenedFile::Changed).
  void CheckFileChanged();
  void FindTick();
  TListViewEx* ShownView() const;
  bool Records(const TListViewEx* View) const { return View == ColumnsView; }
  void SwitchTab(int Step);
  void GoToItem(int64_t Item);
  void GoToRowClick();
  void FindClick();
  // Nearest: only as far as the next match in the direction (F3, Shift+F3), else a count as well.
  void FindNext(bool Backward, bool Nearest);
  void EscapePressed();

  TFilePreview FPreview;
  TViewRows FViewRows{FPreview};
  QString FTitle;
  QString FPreviewFileName;
  QString FOpenDialogFilter;
  std::vector<int32_t> FPreviewColumnWidths;
  bool FShown = false;
  bool FCountNoHeader = false;
  // A database's lines come from a walk of its tree: read behind the wait dialog, never on the UI thread.
  bool FReadsInBackground = false;
  int64_t FRows = -1;
  QString FCountError;
  QString FModuleName;
  QEventLoop* FModalLoop = nullptr;
  int64_t FMaxCopyBytes = kMaxCopyBytes;
  QTimer* FIndexTimer;
  QTimer* FChangeTimer;
  std::unique_ptr<TRowFinder> FFinder;
  QString FFindText;
  bool FFindMatchCase = false;
  bool FFindBackward = false;
  bool FFindNearest = false;
  QString FFindCountText;  // the last count, which the nearest searches keep showing

  TListViewEx* ColumnsView;
  TListViewEx* LinesView;
  QTabBar* ViewTabBar;
  QWidget* CountRowsPanel;
  QPushButton* RefreshSourceViewButton;
  QCheckBox* NoHeaderCheckBox;
  QPushButton* OpenFileButton;
  QLabel* ReadTimeLabel;
  TLabelEx* MaxRowsLabel;
  QLabel* RowsLabel;
  QPushButton* CountRowsButton;
  QPushButton* ExportButton;
  QPushButton* CloseButton;
  QProgressBar* IndexProgressBar;
  QLabel* EncodingLabel;
  QLabel* FindLabel;
};

// The row count's error text: the exception's type and the module, a line break and the message
// ending in a period, at most 1023 characters.
QString ExceptionReportText(const std::exception& E, const QString& ModuleName);

}  // namespace korrin
