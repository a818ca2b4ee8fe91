#include "gui/view_window/view_csv_file_form.h"

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
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <typeinfo>

#include "common/text.h"
#include "gui/forms/link_label.h"
#include "gui/forms/multi_input_box.h"
#include "gui/forms/report_list_view.h"
#include "gui/forms/wait_dialog_box.h"
#include "textio/cached_file_line_reader.h"

namespace korrin {

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

// The delimiter choices of the options box: Auto (0), the four named ones, or one character.
QString DelimiterName(char16_t Delimiter) {
  switch (Delimiter) {
    case 0: return QString();
    case u',': return QStringLiteral("comma");
    case u';': return QStringLiteral("semicolon");
    case u'|': return QStringLiteral("pipe");
    case u'\t': return QStringLiteral("tab");
    default: return QString(QChar(Delimiter));
  }
}

char16_t DelimiterOfName(const QString& Name) {
  const QString name = Name.trimmed().toLower();
  for (const char16_t named : {u',', u';', u'|', u'\t'})
    if (name == DelimiterName(named)) return named;
  if (Name.size() == 1 && Name[0] != u'"' && Name[0] != u'\r' && Name[0] != u'\n') return Name[0].unicode();
  return 0;
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
  CreateIndexStatus(bar);
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  bar->addWidget(CloseButton);

  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
  CreateShortcuts();
  FPreview.SetOnLineParsed([this](const TCSVParser& Parser) { MeasureColumns(Parser); });
}

void TViewCSVFileForm::CreateIndexStatus(QBoxLayout* bar) {
  FindLabel = new QLabel(this);
  FindLabel->setObjectName(QStringLiteral("FindLabel"));
  bar->addWidget(FindLabel);
  IndexProgressBar = new QProgressBar(this);
  IndexProgressBar->setObjectName(QStringLiteral("IndexProgressBar"));
  IndexProgressBar->setRange(0, 1000);
  IndexProgressBar->setMaximumWidth(120);
  IndexProgressBar->setTextVisible(false);
  IndexProgressBar->hide();
  bar->addWidget(IndexProgressBar);
  EncodingLabel = new QLabel(this);
  EncodingLabel->setObjectName(QStringLiteral("EncodingLabel"));
  bar->addSpacing(8);
  bar->addWidget(EncodingLabel);
  bar->addSpacing(8);
  FIndexTimer = new QTimer(this);
  FIndexTimer->setInterval(100);
  connect(FIndexTimer, &QTimer::timeout, this, [this] { IndexTimerTick(); });
  FChangeTimer = new QTimer(this);
  FChangeTimer->setInterval(1000);
  connect(FChangeTimer, &QTimer::timeout, this, [this] { CheckFileChanged(); });
}

void TViewCSVFileForm::CreateShortcuts() {
  connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, [this] { EscapePressed(); });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this), &QShortcut::activated, this,
          [this] { GoToRowClick(); });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this,
          [this] { FindClick(); });
  connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this, [this] { FindNext(false); });
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
          [this] { FindNext(true); });
  for (TListViewEx* view : {ColumnsView, LinesView}) {
    connect(view, &QAbstractItemView::clicked, this, [this, view](const QModelIndex& Index) {
      if (IsMoreItem(view, view->ItemOf(Index))) ShowAllRows();
    });
    connect(view, &QAbstractItemView::activated, this, [this, view](const QModelIndex& Index) {
      if (IsMoreItem(view, view->ItemOf(Index))) ShowAllRows();
    });
  }
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
  options->setAccessibleName(QStringLiteral("Options"));
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
  FFinder.reset();
  // The views ask this window for their rows, also while they are being torn down.
  delete ColumnsView;
  delete LinesView;
}

void TViewCSVFileForm::ViewFile(const QString& Title, const QString& FileName, const TViewFileOptions& Options) {
  TViewCSVFileForm form;
  form.Execute(Title, FileName, Options);
}

void TViewCSVFileForm::Execute(const QString& Title, const QString& FileName, const TViewFileOptions& Options) {
  Prepare(Title, FileName, Options);
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  FModalLoop = &loop;
  show();
  loop.exec();
  FModalLoop = nullptr;
}

void TViewCSVFileForm::Prepare(const QString& Title, const QString& FileName, const TViewFileOptions& Options) {
  FPreview.SetLineReaderClass(Options.LineReaderClass);
  FReadsInBackground = Options.LineReaderClass && Options.LineReaderClass != &TCachedFileLineReader::Class();
  FTitle = Title;
  FPreviewFileName = FileName;
  setWindowTitle(FileName + QStringLiteral(" - ") + Title);
  // Loading waits for the window to show; the handler is attached then.
  NoHeaderCheckBox->setChecked(Options.NoHeader);
  ShowRowCount(0, false);
  MaxRowsLabel->setText(FormatCountText(PreviewMaxLines()));
  if (Options.SetMaxRowsEnabled) MaxRowsLabel->SetLink([this](TLabelEx*) { MaxRowsLabelClick(); });
  FOpenDialogFilter = Options.OpenDialogFilter;
  CountRowsButton->setVisible(Options.CountRowsEnabled);
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
  FFinder.reset();
  FShowAll = false;
  FIndexTimer->stop();
  FChangeTimer->stop();
  IndexProgressBar->hide();
  FindLabel->clear();
  EncodingLabel->clear();
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
    UpdateItemCounts();
    // The rest of a text file is indexed meanwhile, for the "..." item, Go to Row and Find.
    FPreview.StartIndex();
    if (FPreview.Index()) {
      EncodingLabel->setText(QString::fromUtf8(FPreview.Encoding().Name));
      IndexProgressBar->setValue(0);
      IndexProgressBar->show();
      FIndexTimer->start();
      FChangeTimer->start();
    }
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
  bool read = false;
  const auto readPreview = [&] { read = FPreview.ReadPreview(FPreviewFileName.toStdString(), NoHeader); };
  if (FReadsInBackground)
    TWaitDialogBox::WaitForMethod(this, readPreview, FTitle, QStringLiteral("Reading..."), wdoElapsedLabel);
  else readPreview();
  ShowRowCount(FPreview.ShownRowCount(), FPreview.More());
  return read;
}

void TViewCSVFileForm::MeasureColumns(const TCSVParser& Parser) {
  const size_t captions = FPreview.PreviewColumns().size();
  FPreviewColumnWidths.resize(captions, kNewColumnWidth);
  const QFontMetrics metrics(font());
  const size_t columns = std::min(captions, static_cast<size_t>(std::max(Parser.ColumnCount(), 0)));
  for (size_t k = 0; k < columns; ++k) {
    const int width =
        std::min(metrics.horizontalAdvance(FromU16(Parser.ColumnValue(static_cast<int32_t>(k)))) + 16, kMaxColumnWidth);
    FPreviewColumnWidths[k] = std::max(FPreviewColumnWidths[k], width);
  }
}

void TViewCSVFileForm::ShowRowCount(int64_t Count, bool More) {
  RowsLabel->setText(FormatCountText(Count) + (More ? QStringLiteral("+") : QString()));
  CountRowsPanel->setVisible(More);
}

void TViewCSVFileForm::ShowReadTime(int64_t Milliseconds) {
  ReadTimeLabel->setText(QString::number(Milliseconds / 1000));
}

void TViewCSVFileForm::UpdateItemCounts() {
  const int64_t header = FPreview.PreviewHeader() ? 1 : 0;
  int64_t rows, lines;
  if (FShowAll && FPreview.Index()) {
    rows = FPreview.Index()->Records() - header;
    lines = FPreview.Index()->Lines() - header;
  } else {
    // A header takes the first row and line; a source that did not end adds the "..." item.
    const int64_t extra = (FPreview.PreviewEof() ? 0 : 1) - header;
    rows = static_cast<int64_t>(FPreview.PreviewRows().size()) + extra;
    lines = static_cast<int64_t>(FPreview.PreviewLines().size()) + extra;
  }
  // The views count items in 32 bits; rows past that are left out.
  static constexpr int64_t kMaxItems = std::numeric_limits<int32_t>::max();
  const auto clamp = [](int64_t n) { return static_cast<int32_t>(std::clamp<int64_t>(n, 0, kMaxItems)); };
  if (ColumnsView->ItemCount() != clamp(rows)) ColumnsView->SetItemCount(clamp(rows));
  if (LinesView->ItemCount() != clamp(lines)) LinesView->SetItemCount(clamp(lines));
  if (FShowAll) {
    // Row numbers of the whole file outgrow the "#" column made for the first rows.
    const int width = std::max(kNumberColumnWidth, QFontMetrics(font()).horizontalAdvance(QString::number(lines)) + 16);
    for (TListViewEx* view : {ColumnsView, LinesView})
      if (view->header()->sectionSize(0) < width) view->header()->resizeSection(0, width);
  }
}

bool TViewCSVFileForm::IsMoreItem(const TListViewEx* View, int32_t Index) const {
  return !FStatusMode && !FShowAll && FPreview.Index() && Index == View->ItemCount() - 1 && !FPreview.PreviewEof();
}

void TViewCSVFileForm::ShowAllRows() {
  if (FShowAll || !FPreview.Index()) return;
  FShowAll = true;
  UpdateItemCounts();
}

void TViewCSVFileForm::IndexTimerTick() {
  TRowIndex* index = FPreview.Index();
  if (!index) return;
  if (index->Size() > 0)
    IndexProgressBar->setValue(static_cast<int>(index->Position() * 1000 / std::max<int64_t>(index->Size(), 1)));
  if (FShowAll) UpdateItemCounts();
  if (IndexProgressBar->isVisible() && (index->Done() || !index->Error().empty())) {
    IndexProgressBar->hide();
    // The index has counted every row: the count needs no "+" and no Count Rows.
    if (index->Done()) ShowRowCount(std::max<int64_t>(index->Records() - (FPreview.PreviewHeader() ? 1 : 0), 0), false);
  }
  if (FFinder && !FFinder->Done() && index->Size() > 0)
    FindLabel->setText(QStringLiteral("Finding... %1 %").arg(FFinder->Position() * 100 / index->Size()));
  if (FFinder && FFinder->Done()) {
    const TFindResult result = FFinder->Result();
    const bool stopped = FFinder->Stopped();
    const QString error = QString::fromStdString(FFinder->Error());
    FFinder.reset();
    if (!error.isEmpty()) FindLabel->setText(error);
    else if (!stopped) {
      const int64_t row = FFindBackward ? result.Previous : result.Next;
      FindLabel->setText(result.Count == 0 ? QStringLiteral("Not found")
                                           : QStringLiteral("%1 matches").arg(FormatCountText(result.Count)));
      if (row >= 0) GoToItem(row - (FPreview.PreviewHeader() ? 1 : 0));
    }
  }
  if ((index->Done() || !index->Error().empty()) && !FFinder) FIndexTimer->stop();
}

void TViewCSVFileForm::CheckFileChanged() {
  TRowIndex* index = FPreview.Index();
  if (!index || !index->File()->Changed()) return;
  // Asked once: the rows shown stay those of the file as it was opened until the user reloads.
  FChangeTimer->stop();
  if (Confirm(QStringLiteral("\"%1\" has changed since it was opened: the rows shown may be out of date. Read "
                             "it again?")
                  .arg(FPreviewFileName)))
    LoadPreview();
}

bool TViewCSVFileForm::FileRow(bool Records, int64_t Row, TStringList& Lines) {
  const auto& rows = FPreview.PreviewRows();
  const auto& lines = FPreview.PreviewLines();
  if (Records && Row + 1 < static_cast<int64_t>(rows.size())) {
    const auto first = static_cast<size_t>(rows[static_cast<size_t>(Row)]);
    const auto end = static_cast<size_t>(rows[static_cast<size_t>(Row) + 1]);
    Lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
  }
  if (!Records && Row < static_cast<int64_t>(lines.size()) && !FShowAll) {
    Lines.assign(1, lines[static_cast<size_t>(Row)]);
    return true;
  }
  return FShowAll && FPreview.IndexedRow(Records, Row, Lines);
}

TListViewEx* TViewCSVFileForm::ShownView() const { return ViewTabBar->currentIndex() == 1 ? LinesView : ColumnsView; }

void TViewCSVFileForm::GoToItem(int64_t Item) {
  TListViewEx* view = ShownView();
  if (Item >= view->ItemCount()) ShowAllRows();
  if (Item < 0 || Item >= view->ItemCount()) return;
  const QModelIndex index = view->ItemIndex(static_cast<int32_t>(Item));
  view->setCurrentIndex(index);
  view->scrollTo(index, QAbstractItemView::PositionAtCenter);
  view->setFocus();
}

void TViewCSVFileForm::GoToRowClick() {
  if (FStatusMode) return;
  const QString name = QStringLiteral("Go to Row");
  const int32_t current = ShownView()->ItemOf(ShownView()->currentIndex());
  int32_t value = current >= 0 ? current + 1 : 1;
  if (!TMultiInputBox::NumInputBox(this, name, QStringLiteral("Please, enter %1").arg(QStringLiteral("Row")), value, 1,
                                   std::numeric_limits<int32_t>::max()))
    return;
  GoToItem(int64_t{value} - 1);
}

void TViewCSVFileForm::FindClick() {
  if (FStatusMode || !FPreview.Index()) return;
  QString text = FFindText;
  const std::vector<TMultiSelectOption> options{{QStringLiteral("Find"), &text},
                                                {QStringLiteral("Match Case"), nullptr}};
  int32_t checked = 1 | (FFindMatchCase ? 2 : 0);
  if (!TMultiInputBox::OptionsSelectBox(this, QStringLiteral("Find"), QString(), options, checked) || text.isEmpty())
    return;
  FFindText = text;
  FFindMatchCase = checked & 2;
  FindNext(false);
}

void TViewCSVFileForm::FindNext(bool Backward) {
  if (FFindText.isEmpty()) {
    FindClick();
    return;
  }
  TRowIndex* index = FPreview.Index();
  if (!index) return;
  const bool records = ShownView() == ColumnsView;
  const int64_t header = FPreview.PreviewHeader() ? 1 : 0;
  const int32_t current = ShownView()->ItemOf(ShownView()->currentIndex());
  const int64_t from = current >= 0 ? current + header : (Backward ? header : header - 1);
  FFinder = std::make_unique<TRowFinder>(index->File(), index->Encoding(), index->Options());
  FFindBackward = Backward;
  FFinder->Start({FFindText.toStdU16String(), FFindMatchCase, records, header, from});
  FindLabel->setText(QStringLiteral("Finding..."));
  FIndexTimer->start();
}

void TViewCSVFileForm::EscapePressed() {
  if (FFinder && !FFinder->Done()) {
    FFinder.reset();
    FindLabel->setText(QStringLiteral("Stopped"));
    return;
  }
  close();
}

void TViewCSVFileForm::ColumnsViewData(int32_t Index, QStringList& Cells) {
  if (FStatusMode) {
    Cells << QString::fromStdString(FPreview.PreviewStatus());
    return;
  }
  const int32_t row = Index + (FPreview.PreviewHeader() ? 1 : 0);
  if (FShowAll || row + 1 < static_cast<int32_t>(FPreview.PreviewRows().size())) {
    TStringList lines;
    if (!FileRow(true, row, lines)) {
      Cells << QString::number(int64_t{Index} + 1);
      return;
    }
    Cells << QString::number(int64_t{Index} + 1);
    FPreview.ParseLines(lines);
    const int32_t columns = FPreview.CSVParser().ColumnCount();
    for (int32_t k = 0; k < columns; ++k) Cells << FromU16(FPreview.CSVParser().ColumnValue(k));
    return;
  }
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
  if (FShowAll) {
    TStringList lines;
    Cells << QString::number(int64_t{Index} + 1) << (FileRow(false, line, lines) ? FromU16(lines.front()) : QString());
    return;
  }
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
  To->scrollTo(To->ItemIndex(top), QAbstractItemView::PositionAtTop);
}

void TViewCSVFileForm::OptionsButtonClick() {
  TCSVParser& parser = FPreview.CSVParser();
  QString replaceWith = FromU16(parser.ReplaceLineBreaksWith());
  QString delimiter = DelimiterName(FPreview.Delimiter());
  const std::vector<TMultiSelectOption> options{
      {QStringLiteral("Cell Line Breaks"), nullptr},
      {QStringLiteral("Replace Line Breaks with"), &replaceWith},
      {QStringLiteral("Backslash Escapes"), nullptr},
      {QStringLiteral("Delimiter (comma, semicolon, pipe, tab or a character)"), &delimiter}};
  int32_t checked = (parser.CellLineBreaks() ? 1 : 0) | (parser.ReplaceLineBreaks() ? 2 : 0) |
                    (parser.BackslashEscapes() ? 4 : 0) | (FPreview.Delimiter() ? 8 : 0);
  if (!TMultiInputBox::OptionsSelectBox(this, QStringLiteral("View Options"), QString(), options, checked)) return;
  // Unchecked, or a name that is no delimiter, picks the delimiter from the file.
  FPreview.SetDelimiter(checked & 8 ? DelimiterOfName(delimiter) : 0);
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
  TWaitDialogBox::WaitForMethod(
      this, [this] { CountRows(); }, QStringLiteral("Count Rows"), QStringLiteral("Counting..."),
      wdoProgressBar | wdoCountLabel | wdoElapsedLabel, QStringLiteral("%s rows."));
  ShowReadTime(timer.elapsed());
  if (FRows >= 0) ShowRowCount(FRows, false);
  else if (!FCountError.isEmpty()) ErrorMessage(QStringLiteral("Count Rows"), FCountError);
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
    if (View == LinesView) addLines(at, at + 1);
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
