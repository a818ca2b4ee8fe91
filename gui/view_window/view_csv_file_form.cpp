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

#include "common/exception.h"
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
// What every Copy that found the file changed ends with.
constexpr const char* kCopyAgain = "Nothing was copied; reload the file and copy again.";

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
  // The tabs, and on their right what works on the whole file whichever tab shows.
  auto* tabs = new QHBoxLayout;
  tabs->addWidget(CreateViewTabBar());
  tabs->addStretch();
  ExportButton = new QPushButton(QStringLiteral("&Export..."), this);
  ExportButton->setObjectName(QStringLiteral("ExportButton"));
  ExportButton->setToolTip(QStringLiteral("Write every row of the file to a CSV or tab-separated file"));
  tabs->addWidget(ExportButton);
  connect(ExportButton, &QPushButton::clicked, this, [this] { ExportClick(ShownView(), false); });
  layout->addLayout(tabs);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 6, 0, 0);
  layout->addLayout(bar);
  bar->addLayout(CreateOptionsPanel());
  bar->addWidget(CreateCountRowsPanel());
  bar->addStretch();
  CreateIndexStatus(bar);
  CloseButton = new QPushButton(QStringLiteral("&Close"), this);
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
  connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
          [this] { FindNext(false, true); });
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
          [this] { FindNext(true, true); });
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { SwitchTab(1); });
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { SwitchTab(-1); });
  for (TListViewEx* view : {ColumnsView, LinesView}) {
    const auto more = [this, view](const QModelIndex& Index) {
      if (FViewRows.IsMore(Records(view), view->ItemOf(Index))) ShowAllRows();
    };
    connect(view, &QAbstractItemView::clicked, this, more);
    connect(view, &QAbstractItemView::activated, this, more);
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
  ColumnsView->SetOnData([this](int32_t Index, QStringList& Cells) { ViewData(true, Index, Cells); });
  LinesView->SetOnData([this](int32_t Index, QStringList& Cells) { ViewData(false, Index, Cells); });
  const std::vector<int32_t> numberWidth{kNumberColumnWidth};
  LinesView->AddColumns({QStringLiteral("#"), QStringLiteral("Line")}, &numberWidth);
  LinesView->hide();
  // Each table column keeps its measured width; the last column and the raw line take what is left.
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

// A layout, not a panel widget: a widget between the labels and the bar kept the size its labels
// had before the window first showed, and cut their text.
QBoxLayout* TViewCSVFileForm::CreateOptionsPanel() {
  auto* left = new QHBoxLayout;
  // The window's own layout sets no spacing, which a nested layout would take over.
  left->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
  RefreshSourceViewButton = new QPushButton(QStringLiteral("&Refresh"), this);
  RefreshSourceViewButton->setObjectName(QStringLiteral("RefreshSourceViewButton"));
  NoHeaderCheckBox = new QCheckBox(QStringLiteral("No &Header"), this);
  NoHeaderCheckBox->setObjectName(QStringLiteral("NoHeaderCheckBox"));
  auto* options = new QToolButton(this);
  options->setObjectName(QStringLiteral("OptionsButton"));
  options->setAutoRaise(true);
  options->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  options->setToolTip(QStringLiteral("Options"));
  options->setAccessibleName(QStringLiteral("Options"));
  OpenFileButton = new QPushButton(QStringLiteral("&Open File..."), this);
  OpenFileButton->setObjectName(QStringLiteral("OpenFileButton"));
  ReadTimeLabel = new QLabel(QStringLiteral("0"), this);
  ReadTimeLabel->setObjectName(QStringLiteral("ReadTimeLabel"));
  MaxRowsLabel = new TLabelEx(QStringLiteral("0"), this);
  MaxRowsLabel->setObjectName(QStringLiteral("MaxRowsLabel"));
  RowsLabel = new QLabel(QStringLiteral("0"), this);
  RowsLabel->setObjectName(QStringLiteral("RowsLabel"));
  left->addWidget(RefreshSourceViewButton);
  left->addWidget(NoHeaderCheckBox);
  left->addWidget(options);
  left->addWidget(OpenFileButton);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Read Time (sec.):"), this));
  left->addWidget(ReadTimeLabel);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Max. View Rows:"), this));
  left->addWidget(MaxRowsLabel);
  left->addSpacing(8);
  left->addWidget(new QLabel(QStringLiteral("Rows:"), this));
  left->addWidget(RowsLabel);
  connect(RefreshSourceViewButton, &QPushButton::clicked, this, [this] { LoadPreview(); });
  connect(options, &QToolButton::clicked, this, [this] { OptionsButtonClick(); });
  connect(OpenFileButton, &QPushButton::clicked, this, [this] { OpenFileButtonClick(); });
  return left;
}

QWidget* TViewCSVFileForm::CreateCountRowsPanel() {
  CountRowsPanel = new QWidget(this);
  auto* count = new QHBoxLayout(CountRowsPanel);
  count->setContentsMargins(8, 0, 0, 0);
  CountRowsButton = new QPushButton(QStringLiteral("Cou&nt Rows..."), CountRowsPanel);
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

TViewCSVFileForm* TViewCSVFileForm::ViewFile(const QString& Title, const QString& FileName,
                                             const TViewFileOptions& Options, QWidget* Owner) {
  if (!Owner) {
    TViewCSVFileForm form;
    form.Execute(Title, FileName, Options);
    return nullptr;
  }
  // A window of its own beside the owner's: Qt::Window keeps it out of the owner's layout.
  auto* form = new TViewCSVFileForm(Owner);
  form->setWindowFlag(Qt::Window);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->Prepare(Title, FileName, Options);
  form->show();
  return form;
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
  FFindCountText.clear();
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
  FViewRows.Reset(ReadPreview(NoHeaderCheckBox->isChecked()));
  ShowReadTime(timer.elapsed());
  if (!FViewRows.StatusMode()) {
    QStringList captions{QStringLiteral("#")};
    for (const std::u16string& caption : FPreview.PreviewColumns()) captions << FromU16(caption);
    std::vector<int32_t> widths{kNumberColumnWidth};
    widths.insert(widths.end(), FPreviewColumnWidths.begin(), FPreviewColumnWidths.end());
    ColumnsView->AddColumns(captions, &widths);
    LinesView->header()->resizeSection(0, kNumberColumnWidth);
    const TStringList& lines = FPreview.PreviewLines();
    const bool header = FPreview.PreviewHeader();
    LinesView->SetColumnCaption(1, header && !lines.empty() ? FromU16(std::u16string(WithoutLineBreak(lines.front())))
                                                            : QStringLiteral("Line"));
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
    UpdateItemCounts();
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
  // The views count items in 32 bits; rows past that are left out.
  static constexpr int64_t kMaxItems = std::numeric_limits<int32_t>::max();
  for (TListViewEx* view : {ColumnsView, LinesView}) {
    const auto items = static_cast<int32_t>(std::clamp<int64_t>(FViewRows.Count(Records(view)), 0, kMaxItems));
    if (view->ItemCount() != items) view->SetItemCount(items);
  }
  if (FViewRows.ShowsAll()) {
    // Row numbers of the whole file outgrow the "#" column made for the first rows.
    const int width = std::max(kNumberColumnWidth,
                               QFontMetrics(font()).horizontalAdvance(QString::number(LinesView->ItemCount())) + 16);
    for (TListViewEx* view : {ColumnsView, LinesView})
      if (view->header()->sectionSize(0) < width) view->header()->resizeSection(0, width);
  }
}

void TViewCSVFileForm::ShowAllRows() {
  if (FViewRows.ShowsAll() || !FViewRows.ShowAll()) return;
  UpdateItemCounts();
  MeasureShownColumns();
}

void TViewCSVFileForm::MeasureShownColumns() {
  // Rows spread over the whole file, a few around each: later rows often hold longer values than
  // the first ones (larger numbers, later dates), and the sample stays bounded whatever the size.
  constexpr int64_t kSpots = 32, kRowsPerSpot = 8;
  const int64_t count = ColumnsView->ItemCount();
  const QFontMetrics metrics(font());
  std::vector<int> widths(static_cast<size_t>(std::max(ColumnsView->ColumnCount() - 1, 0)), 0);
  for (int64_t spot = 0; spot < kSpots && count > 0; ++spot) {
    const int64_t first = count * spot / kSpots;
    for (int64_t item = first; item < std::min(first + kRowsPerSpot, count); ++item) {
      const std::vector<std::u16string> cells = FViewRows.Cells(true, item);
      for (size_t k = 1; k < cells.size() && k <= widths.size(); ++k)
        widths[k - 1] = std::max(widths[k - 1], metrics.horizontalAdvance(FromU16(cells[k])) + 16);
    }
  }
  QHeaderView* header = ColumnsView->header();
  for (size_t k = 0; k < widths.size(); ++k) {
    const int column = static_cast<int>(k) + 1;
    const int width = std::min(widths[k], kMaxColumnWidth);
    if (header->sectionSize(column) < width) header->resizeSection(column, width);
  }
}

void TViewCSVFileForm::IndexTimerTick() {
  TRowIndex* index = FPreview.Index();
  if (!index) return;
  if (index->Size() > 0)
    IndexProgressBar->setValue(static_cast<int>(index->Position() * 1000 / std::max<int64_t>(index->Size(), 1)));
  if (FViewRows.ShowsAll()) UpdateItemCounts();
  if (IndexProgressBar->isVisible() && (index->Done() || !index->Error().empty())) {
    IndexProgressBar->hide();
    // The index has counted every row: the count needs no "+" and no Count Rows.
    bool more = false;
    const int64_t rows = FViewRows.RowCount(more);
    if (index->Done()) ShowRowCount(rows, more);
    // Rows far down that the first measure could not reach yet.
    if (index->Done() && FViewRows.ShowsAll()) MeasureShownColumns();
    // The count stopped where the file could not be read: the reason, not a shorter file.
    if (!index->Done()) ErrorMessage(FTitle, QString::fromStdString(index->Error()));
  }
  FindTick();
  if ((index->Done() || !index->Error().empty()) && !FFinder) FIndexTimer->stop();
}

void TViewCSVFileForm::FindTick() {
  TRowIndex* index = FPreview.Index();
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
      if (!FFindNearest)
        FFindCountText = result.Count == 1 ? QStringLiteral("1 match")
                                           : QStringLiteral("%1 matches").arg(FormatCountText(result.Count));
      if (row < 0) FindLabel->setText(QStringLiteral("Not found"));
      else if (result.Wrapped)
        FindLabel->setText(FFindBackward ? QStringLiteral("Passed the start: went on from the end")
                                         : QStringLiteral("Passed the end: went on from the start"));
      else FindLabel->setText(FFindCountText);
      if (row >= 0) GoToItem(FViewRows.ItemOf(row));
    }
  }
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

TListViewEx* TViewCSVFileForm::ShownView() const { return ViewTabBar->currentIndex() == 1 ? LinesView : ColumnsView; }

void TViewCSVFileForm::SwitchTab(int Step) {
  ViewTabBar->setCurrentIndex((ViewTabBar->currentIndex() + Step + ViewTabBar->count()) % ViewTabBar->count());
  ShownView()->setFocus();
}

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
  if (FViewRows.StatusMode()) return;
  const QString name = QStringLiteral("Go to Row");
  const int32_t current = ShownView()->ItemOf(ShownView()->currentIndex());
  int32_t value = current >= 0 ? current + 1 : 1;
  if (!TMultiInputBox::NumInputBox(this, name, QStringLiteral("Please, enter %1").arg(QStringLiteral("Row")), value, 1,
                                   std::numeric_limits<int32_t>::max()))
    return;
  GoToItem(int64_t{value} - 1);
}

void TViewCSVFileForm::FindClick() {
  if (FViewRows.StatusMode() || !FPreview.Index()) return;
  QString text = FFindText;
  const std::vector<TMultiSelectOption> options{{QStringLiteral("Find"), &text},
                                                {QStringLiteral("Match Case"), nullptr}};
  int32_t checked = 1 | (FFindMatchCase ? 2 : 0);
  if (!TMultiInputBox::OptionsSelectBox(this, QStringLiteral("Find"), QString(), options, checked) || text.isEmpty())
    return;
  FFindText = text;
  FFindMatchCase = checked & 2;
  FindNext(false, false);
}

void TViewCSVFileForm::FindNext(bool Backward, bool Nearest) {
  if (FFindText.isEmpty()) {
    FindClick();
    return;
  }
  TRowIndex* index = FPreview.Index();
  if (!index) return;
  TListViewEx* view = ShownView();
  const int64_t header = FViewRows.FileRow(0);
  const int32_t current = view->ItemOf(view->currentIndex());
  // Without a current row a search starts before the first row, or after the last going back.
  const int64_t from = current >= 0 ? FViewRows.FileRow(current) : (Backward ? header : header - 1);
  FFinder = std::make_unique<TRowFinder>(index->File(), index->Encoding(), index->Options());
  FFindBackward = Backward;
  FFindNearest = Nearest;
  TFindRequest request{FFindText.toStdU16String(), FFindMatchCase, Records(view), header, from};
  request.Nearest = Nearest;
  request.Backward = Backward;
  request.Index = index;
  FFinder->Start(request);
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

void TViewCSVFileForm::ViewData(bool Records, int32_t Index, QStringList& Cells) {
  for (const std::u16string& cell : FViewRows.Cells(Records, Index)) Cells << FromU16(cell);
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

TItemRanges TViewCSVFileForm::SelectedRanges(const TListViewEx* View) const {
  TItemRanges ranges;
  for (const auto& [first, last] : View->SelectedRanges()) ranges.push_back({first, last});
  return ranges;
}

QString TViewCSVFileForm::SelectedText(const TListViewEx* View, bool& TooLarge) {
  TooLarge = false;
  const bool records = Records(View);
  const std::unique_ptr<TViewRows::TReader> reader = FViewRows.CreateReader(records);
  QString text;
  TStringList lines;
  const auto add = [&](const std::u16string& Row) {
    if (!text.isEmpty()) text += QStringLiteral("\r\n");
    text += FromU16(Row);
  };
  for (const TItemRange& range : SelectedRanges(View))
    for (int64_t item = range.First; item <= range.Last; ++item) {
      if (!reader->SelectedLines(item, lines, kCopyAgain)) continue;
      if (records) add(FormatDelimitedRow(reader->Values(lines), u'\t'));
      else add(lines.front());
      // UTF-16 in memory; the bound is the text's, in the two bytes of each unit.
      if (int64_t{text.size()} * 2 > FMaxCopyBytes) {
        TooLarge = true;
        return {};
      }
    }
  reader->CheckNotWrittenOver(kCopyAgain);
  return text;
}

void TViewCSVFileForm::CopyClick(const TListViewEx* View) {
  bool tooLarge = false;
  QString text;
  try {
    text = SelectedText(View, tooLarge);
  } catch (const Exception& e) {
    ErrorMessage(QStringLiteral("Copy"), QString::fromUtf8(e.what()));
    return;
  }
  if (tooLarge) {
    if (Confirm(QStringLiteral("Copy"),
                QStringLiteral("The selection holds more than %1 MB of text, too much for the clipboard. "
                               "Export it to a file instead?")
                    .arg(FMaxCopyBytes >> 20)))
      ExportClick(View, true);
    return;
  }
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TViewCSVFileForm::ExportClick(const TListViewEx* View, bool Selection) {
  if (FViewRows.StatusMode()) return;
  TExportRequest request;
  if (Selection) {
    request.Ranges = SelectedRanges(View);
    if (request.Ranges.empty()) return;
  }
  TFileDialogRequest dialog;
  dialog.Kind = TFileDialogKind::fdSaveFile;
  dialog.Title = Selection ? QStringLiteral("Export Selection") : QStringLiteral("Export");
  dialog.Directory = QFileInfo(FPreviewFileName).absolutePath();
  dialog.Filter = QStringLiteral("CSV files (*.csv);;Tab-separated files (*.tsv *.tab *.txt)");
  dialog.DefaultSuffix = QStringLiteral("csv");
  const QStringList files = RunFileDialog(this, dialog);
  if (files.isEmpty()) return;
  const QString suffix = QFileInfo(files.front()).suffix().toLower();
  request.FileName = files.front().toStdString();
  request.Delimiter = suffix == QStringLiteral("csv") ? u',' : u'\t';
  // Exported are values, not raw lines: the table's rows, whichever tab is shown, or the items
  // selected in the tab, whose items are lines in the text tab.
  const std::unique_ptr<TViewRows::TReader> reader = FViewRows.CreateReader(!Selection || Records(View));
  request.Captions = reader->HeaderValues();
  QElapsedTimer timer;
  timer.start();
  QString error;
  TWaitDialogBox::WaitForMethod(
      this,
      [&] {
        try {
          ExportRows(*reader, request, [](int64_t Position, int64_t Size) {
            TWaitDialogBox::SetProgressRange(0, Size);
            TWaitDialogBox::SetProgressPos(Position);
            return TWaitDialogBox::Aborted();
          });
        } catch (...) {
          error = QString::fromStdString(ExceptionMessage(std::current_exception()));
        }
      },
      dialog.Title, QStringLiteral("Exporting..."), wdoProgressBar | wdoElapsedLabel);
  ShowReadTime(timer.elapsed());
  if (!error.isEmpty()) ErrorMessage(dialog.Title, error);
}

void TViewCSVFileForm::AddCopyMenu(TListViewEx* View) {
  auto* copy = new QAction(QStringLiteral("&Copy"), View);
  copy->setObjectName(View == ColumnsView ? QStringLiteral("Copy1") : QStringLiteral("Copy2"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  View->addAction(copy);
  connect(copy, &QAction::triggered, this, [this, View] { CopyClick(View); });
  View->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* exportSelection = new QAction(QStringLiteral("Export &Selection..."), View);
  exportSelection->setObjectName(View == ColumnsView ? QStringLiteral("ExportSelection1")
                                                     : QStringLiteral("ExportSelection2"));
  View->addAction(exportSelection);
  connect(exportSelection, &QAction::triggered, this, [this, View] { ExportClick(View, true); });
  connect(View, &QWidget::customContextMenuRequested, this, [this, View, copy, exportSelection](const QPoint& pos) {
    QMenu menu;
    menu.addAction(copy);
    menu.addAction(exportSelection);
    menu.addAction(QStringLiteral("&Export..."), this, [this, View] { ExportClick(View, false); });
    // Nothing to take in status mode or without a selection; the size is Copy's to judge.
    const bool any = !FViewRows.StatusMode() && !View->SelectedRanges().empty();
    copy->setEnabled(any);
    exportSelection->setEnabled(any);
    menu.exec(View->viewport()->mapToGlobal(pos));
    copy->setEnabled(true);
    exportSelection->setEnabled(true);
  });
}

}  // namespace korrin
