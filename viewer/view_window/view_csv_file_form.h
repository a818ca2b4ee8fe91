#pragma once
// The modal window that shows the beginning of a large delimited text file, or of any source a
// line reader presents as lines, as a table of columns and as numbered raw lines. The preview is
// TFilePreview's; the window holds its views, its options and the row count.
#include <QString>
#include <cstdint>
#include <exception>
#include <vector>

#include "forms/base_form.h"
#include "viewer/file_preview.h"

class QBoxLayout;
class QCheckBox;
class QEventLoop;
class QLabel;
class QPushButton;
class QTabBar;
class QWidget;

namespace korrin {

class TLabelEx;
class TListViewEx;

class TViewCSVFileForm : public TVForm {
 public:
  static const QString kDefaultOpenDialogFilter;

  explicit TViewCSVFileForm(QWidget* parent = nullptr);
  ~TViewCSVFileForm() override;

  // A window of its own for each call; a null LineReaderClass reads text files.
  static void ViewFile(const QString& Title, const QString& FileName, bool NoHeader = false,
                       const TLineReaderClass* LineReaderClass = nullptr,
                       const QString& OpenDialogFilter = kDefaultOpenDialogFilter, bool CountRowsEnabled = true,
                       bool SetMaxRowsEnabled = true);
  void Execute(const QString& Title, const QString& FileName, bool NoHeader = false,
               const TLineReaderClass* LineReaderClass = nullptr,
               const QString& OpenDialogFilter = kDefaultOpenDialogFilter, bool CountRowsEnabled = true,
               bool SetMaxRowsEnabled = true);
  // Everything Execute does before it shows the window modally.
  void Prepare(const QString& Title, const QString& FileName, bool NoHeader = false,
               const TLineReaderClass* LineReaderClass = nullptr,
               const QString& OpenDialogFilter = kDefaultOpenDialogFilter, bool CountRowsEnabled = true,
               bool SetMaxRowsEnabled = true);

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
  // The raw lines of the view's selected items joined by CR LF; empty in status mode.
  QString GetSelectedLinesText(const TListViewEx* View) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // One function per group of controls; each makes its controls and connects them.
  void CreateViews(QBoxLayout* layout);
  QWidget* CreateViewTabBar();
  QWidget* CreateOptionsPanel();
  QWidget* CreateCountRowsPanel();
  void FormShow();
  bool ReadPreview(bool NoHeader);
  void MeasureColumns(const TCSVParser& Parser);
  void ShowRowCount(int64_t Count, bool More);
  void ShowReadTime(int64_t Milliseconds);
  void ColumnsViewData(int32_t Index, QStringList& Cells);
  void LinesViewData(int32_t Index, QStringList& Cells);
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

  TFilePreview FPreview;
  QString FTitle;
  QString FPreviewFileName;
  QString FOpenDialogFilter;
  std::vector<int32_t> FPreviewColumnWidths;
  bool FStatusMode = false;
  bool FShown = false;
  bool FCountNoHeader = false;
  int64_t FRows = -1;
  QString FCountError;
  QString FModuleName;
  QEventLoop* FModalLoop = nullptr;

  TListViewEx* ColumnsView;
  TListViewEx* LinesView;
  QTabBar* ViewTabBar;
  QWidget* OptionsPanel;
  QWidget* CountRowsPanel;
  QPushButton* RefreshSourceViewButton;
  QCheckBox* NoHeaderCheckBox;
  QPushButton* OpenFileButton;
  QLabel* ReadTimeLabel;
  TLabelEx* MaxRowsLabel;
  QLabel* RowsLabel;
  QPushButton* CountRowsButton;
  QPushButton* CloseButton;
};

// The row count's error text: the exception's type and the module, a line break and the message
// ending in a period, at most 1023 characters.
QString ExceptionReportText(const std::exception& E, const QString& ModuleName);

}  // namespace korrin
