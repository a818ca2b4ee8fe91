#include "viewer/view_window/view_csv_file_form.h"

#include <cxxabi.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <typeinfo>

#include "common/text.h"
#include "forms/link_label.h"
#include "forms/report_list_view.h"
#include "forms/multi_input_box.h"
#include "forms/wait_dialog_box.h"

namespace korrin {

const QString TViewCSVFileForm::kDefaultOpenDialogFilter =
    QStringLiteral("CSV files (*.csv)|*.csv|Text files (*.txt)|*.txt|All files (*.*)|*.*");

namespace {

constexpr int kNumberColumnWidth = 60;
constexpr int kMaxColumnWidth = 300;
constexpr int kNewColumnWidth = 50;
constexpr qsizetype kMaxReportLength = 1023;

QString FromU16(const std::u16string& Text) { return QString::fromStdU16String(Text); }

QString FormatCountText(int64_t Count) { return QString::fromStdString(FormatCount(Count)); }

// "Name (*.a)|*.a|All files (*.*)|*.*" as the file dialog takes it; "*.*" matches every file here.
QString DialogFilter(const QString& Filter) {
  const QStringList parts = Filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    if (const qsizetype open = name.lastIndexOf(QStringLiteral(" (")); open > 0 && name.endsWith(u')'))
      name.truncate(open);
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns)
      if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    filters << name + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return filters.join(QStringLiteral(";;"));
}

QString TypeName(const std::exception& E) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(typeid(E).name(), nullptr, nullptr, &status),
                                                    &std::free);
  return QString::fromUtf8(status == 0 && name ? name.get() : typeid(E).name());
}

}  // namespace

QString ExceptionReportText(const std::exception& E, const QString& ModuleName) {
  QString message = QString::fromUtf8(E.what());
  if (!message.endsWith(u'.')) message += u'.';
  return QStringLiteral("Exception %1 in module %2.\n%3").arg(TypeName(E), ModuleName, message).left(kMaxReportLength);
}

TViewCSVFileForm::TViewCSVFileForm(QWidget* parent)
    : TVForm(parent), FModuleName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()) {
  setWindowTitle(QStringLiteral("View File"));
  resize(922, 566);
  CenterOnScreen();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(0);
  CreateViews(layout);
  layout->addWidget(CreateViewTabBar());

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 6, 0, 0);
  layout->addLayout(bar);
  bar->addWidget(CreateOptionsPanel());
  bar->addWidget(CreateCountRowsPanel());
  bar->addStretch();
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  bar->addWidget(CloseButton);

  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
  FPreview.SetOnLineParsed([this](const TCSVParser& Parser) { MeasureColumns(Parser); });
}

void TViewCSVFileForm::CreateViews(QBoxLayout* layout) {
  ColumnsView = new TListViewEx(this);
  ColumnsView->setObjectName(QStringLiteral("SourceView"));
  LinesView = new TListViewEx(this);
  LinesView->setObjectName(QStringLiteral("SourceView2"));
  for (TListViewEx* view : {ColumnsView, LinesView}) {
    view->header()->setSectionsClickable(false);
    view->setDragDropMode(QAbstractItemView::NoDragDrop);
    layout->addWidget(view, 1);
    AddCopyMenu(view);
  }
  ColumnsView->SetOnData([this](int32_t Index, QStringList& Cells) { ColumnsViewData(Index, Cells); });
  LinesView->SetOnData([this](int32_t Index, QStringList& Cells) { LinesViewData(Index, Cells); });
  const std::vector<int32_t> numberWidth{kNumberColumnWidth};
  LinesView->AddColumns({QStringLiteral("#"), QStringLiteral("Line")}, &numberWidth);
  LinesView->hide();
  // Each table column keeps its measured width; the raw line takes what is left.
  ColumnsView->header()->setStretchLastSection(false);
}

QWidget* TViewCSVFileForm::CreateViewTabBar() {
  ViewTabBar = new QTabBar(this);
  ViewTabBar->setObjectName(QStringLiteral("SourceTabSet"));
  ViewTabBar->setShape(QTabBar::RoundedSouth);
  ViewTabBar->setExpanding(false);
  ViewTabBar->addTab(QStringLiteral("Columns"));
  ViewTabBar->addTab(QStringLiteral("Text"));
  connect(ViewTabBar, &QTabBar::currentChanged, this, [this](int Index) { ViewTabBarChange(Index); });
  return ViewTabBar;
}

QWidget* TViewCSVFileForm::CreateOptionsPanel() {
  OptionsPanel = new QWidget(this);
  auto* left = new QHBoxLayout(OptionsPanel);
  left->setContentsMargins(0, 0, 0, 0);
  RefreshSourceViewButton = new QPushButton(QStringLiteral("Refresh"), OptionsPanel);
  RefreshSourceViewButton->setObjectName(QStringLiteral("RefreshSourceViewButton"));
  NoHeaderCheckBox = new QCheckBox(QStringLiteral("No Header"), OptionsPanel);
  NoHeaderCheckBox->setObjectName(QStringLiteral("NoHeaderCheckBox"));
  auto* options = new QToolButton(OptionsPanel);
  options->setObjectName(QStringLiteral("OptionsButton"));
  options->setAutoRaise(true);
  options->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  options->setToolTip(QStringLiteral("Options"));
  OpenFileButton = new QPushButton(QStringLiteral("Open File..."), OptionsPanel);
  OpenFileButton->setObjectName(QStringLiteral("OpenFileButton"));
  ReadTimeLabel = new QLabel(QStringLiteral("0"), OptionsPanel);
  ReadTimeLabel->setObjectName(QStringLiteral("ReadTimeLabel"));
  MaxRowsLabel = new TLabelEx(QStringLiteral("0"), OptionsPanel);
  MaxRowsLabel->setObjectName(QStringLiteral("MaxRowsLabel"));
  RowsLabel = new QLabel(QStringLiteral("0"), OptionsPanel);
  RowsLabel->setObjectName(QStringLiteral("RowsLabel"));
  left->addWidget(RefreshSourceViewButton);
  left->addWidget(NoHeaderCheckBox);
  left->addWidget(options);
  left->addWidget(OpenFileButton);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Read Time (sec.):"), OptionsPanel));
  left->addWidget(ReadTimeLabel);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Max. View Rows:"), OptionsPanel));
  left->addWidget(MaxRowsLabel);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Rows:"), OptionsPanel));
  left->addWidget(RowsLabel);
  connect(RefreshSourceViewButton, &QPushButton::clicked, this, [this] { LoadPreview(); });
  connect(options, &QToolButton::clicked, this, [this] { OptionsButtonClick(); });
  connect(OpenFileButton, &QPushButton::clicked, this, [this] { OpenFileButtonClick(); });
  return OptionsPanel;
}

QWidget* TViewCSVFileForm::CreateCountRowsPanel() {
  CountRowsPanel = new QWidget(this);
  auto* count = new QHBoxLayout(CountRowsPanel);
  count->setContentsMargins(8, 0, 0, 0);
  CountRowsButton = new QPushButton(QStringLiteral("Count Rows..."), CountRowsPanel);
  CountRowsButton->setObjectName(QStringLiteral("CountRowsButton"));
  count->addWidget(CountRowsButton);
  CountRowsPanel->hide();
  connect(CountRowsButton, &QPushButton::clicked, this, [this] { CountRowsButtonClick(); });
  return CountRowsPanel;
}

TViewCSVFileForm::~TViewCSVFileForm() {
  // The views ask this window for their rows, also while they are being torn down.
  delete ColumnsView;
  delete LinesView;
}

void TViewCSVFileForm::ViewFile(const QString& Title, const QString& FileName, bool NoHeader,
                                const TLineReaderClass* LineReaderClass, const QString& OpenDialogFilter,
                                bool CountRowsEnabled, bool SetMaxRowsEnabled) {
  TViewCSVFileForm form;
  form.Execute(Title, FileName, NoHeader, LineReaderClass, OpenDialogFilter, CountRowsEnabled, SetMaxRowsEnabled);
}

void TViewCSVFileForm::Execute(const QString& Title, const QString& FileName, bool NoHeader,
                               const TLineReaderClass* LineReaderClass, const QString& OpenDialogFilter,
                               bool CountRowsEnabled, bool SetMaxRowsEnabled) {
  Prepare(Title, FileName, NoHeader, LineReaderClass, OpenDialogFilter, CountRowsEnabled, SetMaxRowsEnabled);
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  FModalLoop = &loop;
  show();
  loop.exec();
  FModalLoop = nullptr;
}

void TViewCSVFileForm::Prepare(const QString& Title, const QString& FileName, bool NoHeader,
                               const TLineReaderClass* LineReaderClass, const QString& OpenDialogFilter,
                               bool CountRowsEnabled, bool SetMaxRowsEnabled) {
  FPreview.SetLineReaderClass(LineReaderClass);
  FTitle = Title;
  FPreviewFileName = FileName;
  setWindowTitle(FileName + QStringLiteral(" - ") + Title);
  // Loading waits for the window to show; the handler is attached then.
  NoHeaderCheckBox->setChecked(NoHeader);
  ShowRowCount(0, false);
  MaxRowsLabel->setText(FormatCountText(PreviewMaxLines()));
  if (SetMaxRowsEnabled) MaxRowsLabel->SetLink([this](TLabelEx*) { MaxRowsLabelClick(); });
  FOpenDialogFilter = OpenDialogFilter;
  CountRowsButton->setVisible(CountRowsEnabled);
}

void TViewCSVFileForm::showEvent(QShowEvent* event) {
  TVForm::showEvent(event);
  if (!FShown) {
    FShown = true;
    FormShow();
  }
}

void TViewCSVFileForm::closeEvent(QCloseEvent* event) {
  TVForm::closeEvent(event);
  if (FModalLoop) FModalLoop->quit();
}

void TViewCSVFileForm::FormShow() {
  LoadPreview();
  connect(NoHeaderCheckBox, &QCheckBox::toggled, this, [this] { NoHeaderCheckBoxClick(); });
  ViewTabBar->setCurrentIndex(FPreviewFileName.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) ? 1 : 0);
  ColumnsView->scrollToTop();
  LinesView->scrollToTop();
}

void TViewCSVFileForm::NoHeaderCheckBoxClick() {
  if (RefreshSourceViewButton->isEnabled()) RefreshSourceViewButton->click();
}

void TViewCSVFileForm::LoadPreview() {
  ColumnsView->setUpdatesEnabled(false);
  LinesView->setUpdatesEnabled(false);
  ColumnsView->SetItemCount(0);
  LinesView->SetItemCount(0);
  ColumnsView->ClearColumns();
  QElapsedTimer timer;
  timer.start();
  FStatusMode = !ReadPreview(NoHeaderCheckBox->isChecked());
  ShowReadTime(timer.elapsed());
  if (!FStatusMode) {
    QStringList captions{QStringLiteral("#")};
    for (const std::u16string& caption : FPreview.PreviewColumns()) captions << FromU16(caption);
    std::vector<int32_t> widths{kNumberColumnWidth};
    widths.insert(widths.end(), FPreviewColumnWidths.begin(), FPreviewColumnWidths.end());
    ColumnsView->AddColumns(captions, &widths);
    LinesView->header()->resizeSection(0, kNumberColumnWidth);
    const TStringList& lines = FPreview.PreviewLines();
    const bool header = FPreview.PreviewHeader();
    LinesView->SetColumnCaption(1, header && !lines.empty() ? FromU16(lines.front()) : QStringLiteral("Line"));
    // A header takes the first row and line; a source that did not end adds the "..." item.
    const int32_t extra = (FPreview.PreviewEof() ? 0 : 1) - (header ? 1 : 0);
    const auto rows = static_cast<int32_t>(FPreview.PreviewRows().size());
    const auto lineCount = static_cast<int32_t>(lines.size());
    ColumnsView->SetItemCount(std::max(rows + extra, 0));
    LinesView->SetItemCount(std::max(lineCount + extra, 0));
  } else {
    const std::vector<int32_t> width{std::max(ColumnsView->viewport()->width() - 21, kNewColumnWidth)};
    ColumnsView->AddColumns({QStringLiteral("Status")}, &width);
    LinesView->header()->resizeSection(0, 0);
    LinesView->SetColumnCaption(1, QStringLiteral("Status"));
    ColumnsView->SetItemCount(1);
    LinesView->SetItemCount(1);
  }
  ColumnsView->setUpdatesEnabled(true);
  LinesView->setUpdatesEnabled(true);
}

bool TViewCSVFileForm::ReadPreview(bool NoHeader) {
  FPreviewColumnWidths.clear();
  const bool read = FPreview.ReadPreview(FPreviewFileName.toStdString(), NoHeader);
  ShowRowCount(FPreview.ShownRowCount(), FPreview.More());
  return read;
}

void TViewCSVFileForm::MeasureColumns(const TCSVParser& Parser) {
  const size_t captions = FPreview.PreviewColumns().size();
  FPreviewColumnWidths.resize(captions, kNewColumnWidth);
  const QFontMetrics metrics(font());
  const size_t columns = std::min(captions, static_cast<size_t>(std::max(Parser.ColumnCount(), 0)));
  for (size_t k = 0; k < columns; ++k) {
    const int width = std::min(
        metrics.horizontalAdvance(FromU16(Parser.ColumnValue(static_cast<int32_t>(k)))) + 16, kMaxColumnWidth);
    FPreviewColumnWidths[k] = std::max(FPreviewColumnWidths[k], width);
  }
}

void TViewCSVFileForm::ShowRowCount(int64_t Count, bool More) {
  RowsLabel->setText(FormatCountText(Count) + (More ? QStringLiteral("+") : QString()));
  CountRowsPanel->setVisible(More);
}

void TViewCSVFileForm::ShowReadTime(int64_t Milliseconds) { ReadTimeLabel->setText(QString::number(Milliseconds / 1000)); }

void TViewCSVFileForm::ColumnsViewData(int32_t Index, QStringList& Cells) {
  if (FStatusMode) {
    Cells << QString::fromStdString(FPreview.PreviewStatus());
    return;
  }
  const int32_t row = Index + (FPreview.PreviewHeader() ? 1 : 0);
  if (row >= static_cast<int32_t>(FPreview.PreviewRows().size())) {
    Cells << QStringLiteral("...");
    return;
  }
  Cells << QString::number(Index + 1);
  FPreview.ParseRow(row);
  // The values stored: a line may name more columns than the parser keeps.
  const int32_t columns = FPreview.CSVParser().ColumnCount();
  for (int32_t k = 0; k < columns; ++k) Cells << FromU16(FPreview.CSVParser().ColumnValue(k));
}

void TViewCSVFileForm::LinesViewData(int32_t Index, QStringList& Cells) {
  if (FStatusMode) {
    Cells << QString() << QString::fromStdString(FPreview.PreviewStatus());
    return;
  }
  const int32_t line = Index + (FPreview.PreviewHeader() ? 1 : 0);
  if (line >= static_cast<int32_t>(FPreview.PreviewLines().size())) {
    Cells << QStringLiteral("...");
    return;
  }
  Cells << QString::number(Index + 1) << FromU16(FPreview.PreviewLines()[static_cast<size_t>(line)]);
}

void TViewCSVFileForm::ViewTabBarChange(int Index) {
  TListViewEx* shown = Index == 1 ? LinesView : ColumnsView;
  TListViewEx* hidden = Index == 1 ? ColumnsView : LinesView;
  hidden->hide();
  shown->show();
  SyncTopItem(hidden, shown);
}

void TViewCSVFileForm::SyncTopItem(TListViewEx* From, TListViewEx* To) {
  const int32_t top = From->TopIndex();
  if (top < 0 || To->TopIndex() < 0 || top >= To->ItemCount()) return;
  To->scrollTo(To->model()->index(top, 0), QAbstractItemView::PositionAtTop);
}

void TViewCSVFileForm::OptionsButtonClick() {
  TCSVParser& parser = FPreview.CSVParser();
  QString replaceWith = FromU16(parser.ReplaceLineBreaksWith());
  const std::vector<TMultiSelectOption> options{{QStringLiteral("Cell Line Breaks"), nullptr},
                                                {QStringLiteral("Replace Line Breaks with"), &replaceWith},
                                                {QStringLiteral("Backslash Escapes"), nullptr}};
  int32_t checked = (parser.CellLineBreaks() ? 1 : 0) | (parser.ReplaceLineBreaks() ? 2 : 0) |
                    (parser.BackslashEscapes() ? 4 : 0);
  if (!TMultiInputBox::OptionsSelectBox(this, QStringLiteral("View Options"), QString(), options, checked)) return;
  parser.SetCellLineBreaks(checked & 1);
  parser.SetReplaceLineBreaks(checked & 2);
  parser.SetBackslashEscapes(checked & 4);
  parser.SetReplaceLineBreaksWith(replaceWith.toStdU16String());
  LoadPreview();
}

void TViewCSVFileForm::OpenFileButtonClick() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::fdOpenFile;
  request.Directory = QFileInfo(FPreviewFileName).absolutePath();
  request.Filter = DialogFilter(FOpenDialogFilter);
  const QStringList files = RunFileDialog(this, request);
  if (files.isEmpty()) return;
  FPreviewFileName = files.front();
  setWindowTitle(FPreviewFileName + QStringLiteral(" - ") + FTitle);
  LoadPreview();
}

void TViewCSVFileForm::MaxRowsLabelClick() {
  const QString name = QStringLiteral("Max. View Rows");
  int32_t value = PreviewMaxLines();
  if (!TMultiInputBox::NumInputBox(this, name, QStringLiteral("Please, enter %1").arg(name), value, 1,
                                   std::numeric_limits<int32_t>::max()))
    return;
  SetPreviewMaxLines(value);
  MaxRowsLabel->setText(FormatCountText(value));
  LoadPreview();
}

void TViewCSVFileForm::CountRowsButtonClick() {
  FCountNoHeader = NoHeaderCheckBox->isChecked();
  QElapsedTimer timer;
  timer.start();
  TWaitDialogBox::WaitForMethod(this, [this] { CountRows(); }, QStringLiteral("Count Rows"),
                                QStringLiteral("Counting..."), wdoProgressBar | wdoCountLabel | wdoElapsedLabel,
                                QStringLiteral("%s rows."));
  ShowReadTime(timer.elapsed());
  if (FRows >= 0)
    ShowRowCount(FRows, false);
  else if (!FCountError.isEmpty())
    ErrorMessage(QStringLiteral("Count Rows"), FCountError);
}

void TViewCSVFileForm::CountRows() {
  FRows = -1;
  FCountError.clear();
  try {
    const int64_t rows = FPreview.CountRows(FPreviewFileName.toStdString(), FCountNoHeader,
                                            [](int64_t Position, int64_t Size, int64_t Rows) {
                                              TWaitDialogBox::SetProgressRange(0, Size);
                                              TWaitDialogBox::SetProgressPos(Position);
                                              TWaitDialogBox::SetCount(Rows);
                                              return TWaitDialogBox::Aborted();
                                            });
    if (rows >= 0 && !TWaitDialogBox::Aborted()) FRows = rows;
  } catch (const std::exception& e) {
    FCountError = ExceptionReportText(e, FModuleName);
  }
}

QString TViewCSVFileForm::GetSelectedLinesText(const TListViewEx* View) const {
  if (FStatusMode) return {};
  const TStringList& lines = FPreview.PreviewLines();
  const std::vector<int32_t>& rows = FPreview.PreviewRows();
  const int32_t header = FPreview.PreviewHeader() ? 1 : 0;
  QStringList text;
  const auto addLines = [&](size_t first, size_t end) {
    for (size_t k = first; k < end && k < lines.size(); ++k) text << FromU16(lines[k]);
  };
  for (const int32_t index : View->SelectedItems()) {
    const auto at = static_cast<size_t>(index + header);
    if (View == LinesView)
      addLines(at, at + 1);
    else if (at < rows.size())
      // A table row holds every physical line up to the next row's first.
      addLines(static_cast<size_t>(rows[at]), at + 1 < rows.size() ? static_cast<size_t>(rows[at + 1]) : lines.size());
  }
  return text.join(QStringLiteral("\r\n"));
}

void TViewCSVFileForm::CopyClick(const TListViewEx* View) {
  const QString text = GetSelectedLinesText(View);
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TViewCSVFileForm::AddCopyMenu(TListViewEx* View) {
  auto* copy = new QAction(QStringLiteral("&Copy"), View);
  copy->setObjectName(View == ColumnsView ? QStringLiteral("Copy1") : QStringLiteral("Copy2"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  View->addAction(copy);
  connect(copy, &QAction::triggered, this, [this, View] { CopyClick(View); });
  View->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(View, &QWidget::customContextMenuRequested, this, [this, View, copy](const QPoint& pos) {
    QMenu menu;
    menu.addAction(copy);
    copy->setEnabled(!GetSelectedLinesText(View).isEmpty());
    menu.exec(View->viewport()->mapToGlobal(pos));
    copy->setEnabled(true);
  });
}

}  // namespace korrin
