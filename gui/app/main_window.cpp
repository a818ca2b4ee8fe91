#include "gui/app/main_window.h"

#include "settings/choices_to_engine.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "common/exception.h"
#include "common/list_file.h"
#include "common/text.h"
#include "dns/reverse_lookup.h"
#include "generator/generation_engine.h"
#include "gui/app/memo_lines.h"
#include "gui/app/progress_tracker.h"
#include "gui/app/version.h"
#include "gui/forms/browse_button.h"
#include "gui/forms/line_list_edit.h"
#include "gui/forms/link_label.h"
#include "gui/forms/on_demand_combo_box.h"
#include "gui/view_window/view_csv_file_form.h"
#include "gui/view_window/view_files.h"
#include "mmdb/mmdb_columns.h"
#include "mmdb/mmdb_reader.h"
#include "settings/choices_to_engine.h"
#include "settings/shared_settings_file.h"
#include "settings/stored_settings_list.h"

namespace korrin {
namespace {

const QString kAppTitle = QStringLiteral("Korrin");
const QString kMakerName = QStringLiteral("Korrin Project");
const QString kMakerPage = QStringLiteral("https://korrin.example.org/");
const QString kProductTag = QStringLiteral("korrin");
const QStringList kListDelimiters = {QStringLiteral("End-Of-Line"), QStringLiteral("Comma"),
                                     QStringLiteral("Semicolon")};

template <typename T>
T* Named(T* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// A typed tab would be saved in the settings and used as part of a range, mask or server.
QPlainTextEdit* NewMemo(const char* name, bool wrapOff = true) {
  auto* m = Named(new QPlainTextEdit, name);
  if (wrapOff) m->setLineWrapMode(QPlainTextEdit::NoWrap);
  m->setTabChangesFocus(true);
  return m;
}

// Sizes in the desktop's font, so that nothing clips at larger font sizes.
int CharsWide(const QWidget* w, int chars) { return w->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12; }
int LinesHigh(const QWidget* w, int lines) { return w->fontMetrics().lineSpacing() * lines + 10; }

QComboBox* NewCombo(const char* name, const QStringList& items) {
  auto* c = Named(new QComboBox, name);
  c->addItems(items);
  return c;
}

// `chars` digits wide, or as wide as the layout gives when 0.
QLineEdit* NewEdit(const char* name, const QString& text, int chars = 0) {
  auto* e = Named(new QLineEdit(text), name);
  if (chars) e->setFixedWidth(CharsWide(e, chars));
  return e;
}

// A label that names its input: a screen reader reads it as the input's name.
TLabelEx* Labelled(const char* name, const char* text, QWidget* input) {
  auto* label = Named(new TLabelEx(QString::fromLatin1(text)), name);
  label->setBuddy(input);
  return label;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretch = true) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w);
  if (stretch) row->addStretch(1);
  return row;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : TVForm(parent) {
  setWindowTitle(kAppTitle);
  // On a screen too small for the layout at the desktop's font, the window scrolls its content
  // rather than growing past the screen's edges.
  WindowScrollArea = Named(new QScrollArea, "WindowScrollArea");
  WindowScrollArea->setFrameShape(QFrame::NoFrame);
  WindowScrollArea->setWidgetResizable(true);
  WindowScrollArea->setAccessibleName(QStringLiteral("Korrin window"));
  auto* content = Named(new QWidget, "WindowContent");
  WindowScrollArea->setWidget(content);
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(0, 0, 0, 0);
  window->addWidget(WindowScrollArea);
  auto* outer = new QVBoxLayout(content);
  outer->setContentsMargins(8, 8, 8, 8);
  PanelSplitter = Named(new QSplitter(Qt::Horizontal), "Splitter1");
  LeftPanel = Named(new QWidget, "LeftPanel");
  RightPanel = Named(new QWidget, "RightPanel");
  PanelSplitter->addWidget(LeftPanel);
  PanelSplitter->addWidget(RightPanel);
  PanelSplitter->setStretchFactor(0, 0);
  PanelSplitter->setStretchFactor(1, 1);
  outer->addWidget(PanelSplitter);
  CreateLeftPanel(LeftPanel);
  CreateRightPanel(RightPanel);
  CreateShortcuts();
  CreateToolTips();
  // The database box's path comes before its buttons.
  setTabOrder(MMDBFileEdit, ViewMMDBButton);
  setTabOrder(ViewMMDBButton, BrowseMMDBButton);
  FormCreate();
}

TForm1::~TForm1() {
  FClosing = true;
  EndWork();
}

void TForm1::CreateLeftPanel(QWidget* panel) {
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(0, 0, 4, 0);
  v->setSpacing(4);
  v->addLayout(CreateRangesGroup());
  v->addLayout(CreateFilterGroup());
  v->addLayout(CreatePortsGroup());
  CreateNamesGroup(v);
  auto* countRow = new QHBoxLayout;
  countRow->addWidget(CreateCountGroup());
  countRow->addLayout(CreateOptionsGroup());
  countRow->addLayout(CreateStoredSettingsGroup(), 1);
  v->addLayout(countRow);
  v->addLayout(CreateMMDBGroup());
  v->addLayout(CreateRunGroup());
  CreateOutputGroup(v);
}

QLayout* TForm1::CreateRangesGroup() {
  RangesLabel = Named(new TLabelEx(QStringLiteral("&IP Ranges (CIDR notation):")), "Label1");
  RangesMemo = NewMemo("Memo1");
  RangesMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RangesMemo->setFixedHeight(LinesHigh(RangesMemo, 5));
  RangesExampleMemo = NewMemo("Memo7");
  RangesExampleMemo->setReadOnly(true);
  RangesExampleMemo->setFrameShape(QFrame::NoFrame);
  RangesExampleMemo->setPlainText(
      QStringLiteral("127.0.0.1/24\nA=192.168.1.100/16/24\nfdc7:200d:3e17::/120\nB=fdc7:200d:3e17::fb05/48/60"));
  RangesExampleMemo->setFixedSize(CharsWide(RangesExampleMemo, 27), LinesHigh(RangesExampleMemo, 5));
  RangesExampleMemo->viewport()->setAutoFillBackground(false);
  auto* ex = new QVBoxLayout;
  RangesExampleMemo->setAccessibleName(QStringLiteral("Range examples"));
  ex->addWidget(Named(new TLabelEx(QStringLiteral("Ex.:")), "Label8"));
  ex->addWidget(RangesExampleMemo);
  ex->addStretch(1);
  RangesLabel->setBuddy(RangesMemo);
  auto* ranges = new QGridLayout;
  ranges->addWidget(RangesLabel, 0, 0);
  ranges->addWidget(RangesMemo, 1, 0);
  ranges->addLayout(ex, 0, 1, 2, 1);
  return ranges;
}

QLayout* TForm1::CreateFilterGroup() {
  UsableHostsCheckBox = Named(new QCheckBox(QStringLiteral("Usable &host IP addresses")), "CheckBox8");
  EscapeIPv6CheckBox = Named(new QCheckBox(QStringLiteral("Escape IPv&6 with square brackets")), "CheckBox6");
  ExcludeCheckBox = Named(new QCheckBox(QStringLiteral("E&xclude (example: *.0):")), "CheckBox4");
  ExcludeMasksMemo = NewMemo("Memo6");
  ExcludeMasksMemo->setFixedHeight(LinesHigh(ExcludeMasksMemo, 2));
  // Inputs whose caption is a check box or a group are named here: a screen reader has no label.
  ExcludeMasksMemo->setAccessibleName(QStringLiteral("Exclude"));
  auto* checks = new QVBoxLayout;
  checks->addWidget(UsableHostsCheckBox);
  checks->addWidget(EscapeIPv6CheckBox);
  checks->addWidget(ExcludeCheckBox);
  auto* exclude = new QHBoxLayout;
  exclude->addLayout(checks);
  exclude->addWidget(ExcludeMasksMemo, 1);
  return exclude;
}

QLayout* TForm1::CreatePortsGroup() {
  AddPortsCheckBox = Named(new QCheckBox(QStringLiteral("Add &Port Numbers:")), "CheckBox2");
  PortsEdit = NewEdit("Edit3", QStringLiteral("80"), 18);
  PortsEdit->setAccessibleName(QStringLiteral("Port Numbers"));
  return Row({AddPortsCheckBox, PortsEdit, Named(new TLabelEx(QStringLiteral("Example: 80,3128-3130")), "Label9")});
}

void TForm1::CreateNamesGroup(QBoxLayout* v) {
  GenerateNamesCheckBox = Named(new QCheckBox(QStringLiteral("Generate &Names using template:")), "CheckBox3");
  NameTemplateEdit = NewEdit("Edit4", QStringLiteral("mail#.example.com"), 26);
  NameTemplateEdit->setAccessibleName(QStringLiteral("Name template"));
  v->addLayout(Row({GenerateNamesCheckBox, NameTemplateEdit}));

  CounterSymbolComboBox = NewCombo("ComboBox1", {QStringLiteral("#"), QStringLiteral("@")});
  CounterSymbolComboBox->setEditable(true);
  CounterSymbolComboBox->setMinimumContentsLength(2);
  CounterSymbolComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  FirstNumberEdit = NewEdit("Edit5", QStringLiteral("1"), 4);
  CounterStepEdit = NewEdit("Edit6", QStringLiteral("1"), 3);
  MinDigitsEdit = NewEdit("Edit7", QStringLiteral("1"), 3);
  NameDelimiterComboBox =
      NewCombo("ComboBox5", {QStringLiteral("Whitespace"), QStringLiteral("Tab"), QStringLiteral("Comma"),
                             QStringLiteral("Semicolon"), QStringLiteral("Custom")});
  CustomDelimiterEdit = NewEdit("Edit8", QStringLiteral("|"), 3);
  CustomDelimiterEdit->setVisible(false);
  CustomDelimiterEdit->setAccessibleName(QStringLiteral("Custom name delimiter"));
  NameDelimiterComboBox->setAccessibleName(QStringLiteral("Name delimiter"));
  // The delimiter shares the row of the hints, so that the window fits half of a wide screen.
  auto* hints =
      Row({Named(new TLabelEx(QStringLiteral("IP quadrants: %1,%2,  ...")), "Label12"),
           Named(new TLabelEx(QStringLiteral("Source range: %s")), "Label10"),
           Labelled("Label21", "Delimiter:", NameDelimiterComboBox), NameDelimiterComboBox, CustomDelimiterEdit});
  hints->insertSpacing(0, 20);
  v->addLayout(hints);
  v->addLayout(Row({Labelled("Label11", "&Counter Symbol:", CounterSymbolComboBox), CounterSymbolComboBox,
                    Labelled("Label13", "First Number:", FirstNumberEdit), FirstNumberEdit,
                    Labelled("Label16", "Step:", CounterStepEdit), CounterStepEdit,
                    Labelled("Label17", "Min. Digits:", MinDigitsEdit), MinDigitsEdit}));

  connect(GenerateNamesCheckBox, &QCheckBox::clicked, this, [this] { UpdateIPsCount(); });
  connect(NameDelimiterComboBox, &QComboBox::currentIndexChanged, this, [this] { NameDelimiterComboBoxChange(); });
}

QWidget* TForm1::CreateCountGroup() {
  CountGroupBox = Named(new QGroupBox(QStringLiteral("Count")), "GroupBox1");
  AllIPsRadioButton = Named(new QRadioButton(QStringLiteral("&All IPs")), "RadioButton1");
  TotalCountRadioButton = Named(new QRadioButton(QStringLiteral("&Total Count:")), "RadioButton2");
  EachRangeRadioButton = Named(new QRadioButton(QStringLiteral("&For Each Range:")), "RadioButton3");
  AllIPsRadioButton->setChecked(true);
  TotalCountEdit = NewEdit("Edit1", QStringLiteral("10"), 8);
  EachCountEdit = NewEdit("Edit2", QStringLiteral("10"), 8);
  TotalCountEdit->setAccessibleName(QStringLiteral("Total Count"));
  EachCountEdit->setAccessibleName(QStringLiteral("Count for Each Range"));
  auto* count = new QGridLayout(CountGroupBox);
  count->addWidget(AllIPsRadioButton, 0, 0);
  count->addWidget(TotalCountRadioButton, 1, 0);
  count->addWidget(TotalCountEdit, 1, 1);
  count->addWidget(EachRangeRadioButton, 2, 0);
  count->addWidget(EachCountEdit, 2, 1);
  return CountGroupBox;
}

QLayout* TForm1::CreateOptionsGroup() {
  RandomOrderCheckBox = Named(new QCheckBox(QStringLiteral("Random &Order")), "CheckBox1");
  UniqueCheckBox = Named(new QCheckBox(QStringLiteral("&Each address once")), "UniqueCheckBox");
  AppendCheckBox = Named(new QCheckBox(QStringLiteral("Append")), "CheckBox5");
  ResolveCountryCheckBox = Named(new QCheckBox(QStringLiteral("Resolve IP countr&y")), "CheckBox7");
  auto* options = new QVBoxLayout;
  options->addWidget(RandomOrderCheckBox);
  options->addWidget(UniqueCheckBox);
  options->addWidget(AppendCheckBox);
  options->addWidget(ResolveCountryCheckBox);
  options->addStretch(1);
  return options;
}

QLayout* TForm1::CreateStoredSettingsGroup() {
  SettingsListBox = Named(new QListView, "SettingsListBox");
  SettingsListBox->setMinimumWidth(60);
  SettingsNameEdit = NewEdit("SettingsNameEdit", {});
  SettingsListBox->setAccessibleName(QStringLiteral("Stored settings"));
  SettingsNameEdit->setAccessibleName(QStringLiteral("Stored settings name"));
  SettingsSaveButton = Named(new TButtonEx(QStringLiteral("Save")), "SettingsSaveButton");
  SettingsLoadButton = Named(new TButtonEx(QStringLiteral("Load")), "SettingsLoadButton");
  SettingsDeleteButton = Named(new TButtonEx(QStringLiteral("Delete")), "SettingsDeleteButton");
  for (TButtonEx* b : {SettingsSaveButton, SettingsLoadButton, SettingsDeleteButton}) b->setEnabled(false);
  auto* label24 = Named(new TLabelEx(QStringLiteral("Save, Load or Delete stored IP Generation Settings.")), "Label24");
  label24->setWordWrap(true);
  auto* stored = new QGridLayout;
  stored->setVerticalSpacing(2);
  stored->addWidget(label24, 0, 0, 1, 2);
  stored->addWidget(SettingsListBox, 1, 0, 4, 1);
  stored->addWidget(SettingsNameEdit, 1, 1);
  stored->addWidget(SettingsSaveButton, 2, 1);
  stored->addWidget(SettingsLoadButton, 3, 1);
  stored->addWidget(SettingsDeleteButton, 4, 1);
  stored->setColumnStretch(0, 1);
  SettingsNameEdit->setFixedWidth(CharsWide(SettingsNameEdit, 14));
  SettingsListBox->setFixedHeight(LinesHigh(SettingsListBox, 5));
  return stored;
}

QLayout* TForm1::CreateMMDBGroup() {
  MMDBFileEdit = NewEdit("Edit9", {});
  ViewMMDBButton = Named(new TButtonEx(QStringLiteral("&View...")), "Button4");
  BrowseMMDBButton = Named(new TButtonEx(QStringLiteral("Bro&wse...")), "Button11");
  // The field of the country column, just below "Resolve IP country". Editable: a field that the
  // first records lack may still be typed. The fields are read when the user is about to see them,
  // as reading a database of hundreds of megabytes at each change of the path would stall the window.
  MMDBFieldComboBox = Named(new TOnDemandComboBox, "MMDBFieldComboBox");
  MMDBFieldComboBox->addItem(QString::fromUtf8(kCountryCodeField));
  MMDBFieldComboBox->setEditable(true);
  MMDBFieldComboBox->setMinimumContentsLength(12);
  MMDBFieldComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* mmdb = new QHBoxLayout;
  mmdb->addWidget(Labelled("Label3", "GeoIP2 &MMDB File:", MMDBFileEdit));
  mmdb->addWidget(MMDBFileEdit, 1);
  mmdb->addWidget(ViewMMDBButton);
  mmdb->addWidget(BrowseMMDBButton);
  mmdb->addWidget(Labelled("Label25", "Field:", MMDBFieldComboBox));
  mmdb->addWidget(MMDBFieldComboBox);
  connect(ViewMMDBButton, &QPushButton::clicked, this, [this] { Guarded([this] { ViewMMDBButtonClick(); }); });
  connect(MMDBFieldComboBox, &TOnDemandComboBox::ItemsWanted, this, [this] { FillMMDBFieldComboBox(); });
  return mmdb;
}

QLayout* TForm1::CreateRunGroup() {
  StartButton = Named(new TButtonEx(QStringLiteral("&Generate IPs")), "StartButton");
  BreakButton = Named(new TButtonEx(QStringLiteral("&Break")), "BreakButton");
  BreakButton->setEnabled(false);
  auto* progressPanel = Named(new QWidget, "ProgressPanel");
  TotalProgressBar = Named(new QProgressBar, "TotalProgressBar");
  TotalProgressBar->setTextVisible(false);
  TotalProgressBar->setValue(0);
  ProgressLabel = Named(new TLabelEx(QStringLiteral("0 %")), "ProgressLabel");
  // Room for the widest figure from the start: a label that grows while a run updates it is cut.
  ProgressLabel->setMinimumWidth(ProgressLabel->fontMetrics().horizontalAdvance(QStringLiteral("999 %")));
  ProgressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ElapsedTitleLabel = Named(new TLabelEx(QStringLiteral("Elapsed:")), "ElapsedTitleLabel");
  ElapsedLabel = Named(new TLabelEx(QStringLiteral("0:00:00")), "ElapsedLabel");
  ElapsedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  StatusLabel = Named(new TLabelEx(QStringLiteral("Status")), "StatusLabel");
  StatusLabel->setWordWrap(true);
  auto* pp = new QGridLayout(progressPanel);
  pp->setContentsMargins(0, 0, 0, 0);
  pp->addWidget(TotalProgressBar, 0, 0);
  pp->addWidget(ProgressLabel, 0, 1);
  pp->addWidget(ElapsedTitleLabel, 0, 2);
  pp->addWidget(ElapsedLabel, 0, 3);
  pp->addWidget(StatusLabel, 1, 0, 1, 4);
  pp->setColumnStretch(0, 1);
  auto* run = new QHBoxLayout;
  run->addWidget(StartButton);
  run->addWidget(BreakButton);
  run->addWidget(progressPanel, 1);
  return run;
}

void TForm1::CreateOutputGroup(QBoxLayout* v) {
  OutputMemo = Named(new TLineListEdit, "Memo2");
  OutputCountLabel = Labelled("Label2", "IPs (0):", OutputMemo);
  v->addWidget(OutputCountLabel);
  OutputMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  OutputMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  v->addWidget(OutputMemo, 1);
  ClearOutputButton = Named(new TButtonEx(QStringLiteral("C&lear")), "Button2");
  ShuffleButton = Named(new TButtonEx(QStringLiteral("Shuffle")), "Button10");
  SaveOutputButton = Named(new TButtonEx(QStringLiteral("&Save to file...")), "Button3");
  OutputDelimiterComboBox = NewCombo("ComboBox2", kListDelimiters);
  OutputDelimiterComboBox->setAccessibleName(QStringLiteral("IPs delimiter"));
  // Three buttons read "Save to file..."; a screen reader reads them apart by these names.
  SaveOutputButton->setAccessibleName(QStringLiteral("Save IPs to file..."));
  auto* bottom = Row({ClearOutputButton, ShuffleButton});
  bottom->addWidget(SaveOutputButton);
  bottom->addWidget(Labelled("Label18", "Delimiter:", OutputDelimiterComboBox));
  bottom->addWidget(OutputDelimiterComboBox);
  v->addLayout(bottom);

  connect(OutputMemo, &TLineListEdit::LineCountChanged, this, [this] { UpdateIPsCount(); });
  connect(ClearOutputButton, &QPushButton::clicked, this, [this] { ClearOutputButtonClick(); });
  connect(ShuffleButton, &QPushButton::clicked, this, [this] { Guarded([this] { ShuffleButtonClick(); }); });
  connect(SaveOutputButton, &QPushButton::clicked, this,
          [this] { SaveListClick(OutputMemo, OutputDelimiterComboBox); });
}

void TForm1::CreateRightPanel(QWidget* panel) {
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(4, 0, 0, 0);
  v->setSpacing(4);
  v->addLayout(CreateLookupGroup());
  v->addLayout(CreateDnsServersGroup());
  CreateLookupResultsGroup(v);
  v->addLayout(CreateAboutGroup());
}

QLayout* TForm1::CreateLookupGroup() {
  ReverseLookupButton = Named(new TButtonEx(QStringLiteral("&Reverse DNS Lookup >>")), "Button5");
  BreakLookupButton = Named(new TButtonEx(QStringLiteral("Brea&k DNS Lookup")), "Button9");
  ClearLookupButton = Named(new TButtonEx(QStringLiteral("Clear DNS Lookup Results")), "Button8");
  LookupProgressBar = Named(new QProgressBar, "ProgressBar1");
  LookupProgressBar->setTextVisible(false);
  LookupProgressBar->setRange(0, 1);
  LookupProgressBar->setValue(0);
  LookupCountLabel = Named(new TLabelEx(QStringLiteral("0")), "Label7");
  auto* bar = new QHBoxLayout;
  bar->addWidget(LookupProgressBar, 1);
  bar->addWidget(LookupCountLabel);
  auto* lookup = new QGridLayout;
  lookup->addWidget(ReverseLookupButton, 0, 0);
  lookup->addWidget(BreakLookupButton, 0, 1);
  lookup->addWidget(ClearLookupButton, 1, 0);
  lookup->addLayout(bar, 1, 1);
  connect(ReverseLookupButton, &QPushButton::clicked, this, [this] { ReverseLookupButtonClick(); });
  connect(BreakLookupButton, &QPushButton::clicked, this, [this] { BreakLookup(); });
  // The result lists are made by the next group; the click reads them then.
  connect(ClearLookupButton, &QPushButton::clicked, this, [this] {
    ResolvedMemo->Clear();
    UnresolvedMemo->Clear();
  });
  return lookup;
}

QLayout* TForm1::CreateDnsServersGroup() {
  const QString servers = QStringLiteral("8.8.8.8\n8.8.4.4");
  DnsServersMemo = NewMemo("Memo5");
  DnsServersMemo->setPlainText(servers);
  DnsServersMemo->setFixedHeight(LinesHigh(DnsServersMemo, 2));
  PublicServersMemo = NewMemo("Memo8");
  PublicServersMemo->setPlainText(servers);
  PublicServersMemo->setReadOnly(true);
  PublicServersMemo->setFixedHeight(LinesHigh(PublicServersMemo, 2));
  UsePublicServersButton = Named(new TButtonEx(QStringLiteral("&Use Google Public DNS Servers:")), "Button1");
  QueriesInFlightSpinBox = Named(new QSpinBox, "QueriesInFlightSpinBox");
  QueriesInFlightSpinBox->setRange(1, kMaxQueriesInFlight);
  QueriesInFlightSpinBox->setValue(kDefaultQueriesInFlight);
  auto* inFlightLabel = Labelled("QueriesInFlightLabel", "&Queries in flight:", QueriesInFlightSpinBox);
  auto* inFlight = new QHBoxLayout;
  inFlight->addWidget(inFlightLabel);
  inFlight->addWidget(QueriesInFlightSpinBox);
  inFlight->addStretch(1);
  auto* dns = new QGridLayout;
  dns->addWidget(Labelled("Label6", "&DNS Servers:", DnsServersMemo), 0, 0);
  PublicServersMemo->setAccessibleName(QStringLiteral("Google Public DNS Servers"));
  dns->addWidget(DnsServersMemo, 1, 0);
  dns->addLayout(inFlight, 2, 0);
  dns->addWidget(UsePublicServersButton, 0, 1);
  dns->addWidget(PublicServersMemo, 1, 1);
  connect(UsePublicServersButton, &QPushButton::clicked, this,
          [this] { DnsServersMemo->setPlainText(PublicServersMemo->toPlainText()); });
  return dns;
}

void TForm1::CreateLookupResultsGroup(QBoxLayout* v) {
  ResolvedMemo = Named(new TLineListEdit, "Memo3");
  ResolvedCountLabel = Labelled("Label4", "Resolved IPs - IP,Domain (0):", ResolvedMemo);
  SaveResolvedButton = Named(new TButtonEx(QStringLiteral("Save to file...")), "Button6");
  ResolvedDelimiterComboBox = NewCombo("ComboBox3", kListDelimiters);
  UnresolvedMemo = Named(new TLineListEdit, "Memo4");
  UnresolvedCountLabel = Labelled("Label5", "Unresolved IPs (0):", UnresolvedMemo);
  SaveUnresolvedButton = Named(new TButtonEx(QStringLiteral("Save to file...")), "Button7");
  UnresolvedDelimiterComboBox = NewCombo("ComboBox4", kListDelimiters);
  ResolvedDelimiterComboBox->setAccessibleName(QStringLiteral("Resolved IPs delimiter"));
  UnresolvedDelimiterComboBox->setAccessibleName(QStringLiteral("Unresolved IPs delimiter"));
  SaveResolvedButton->setAccessibleName(QStringLiteral("Save resolved IPs to file..."));
  SaveUnresolvedButton->setAccessibleName(QStringLiteral("Save unresolved IPs to file..."));
  v->addWidget(ResolvedCountLabel);
  v->addWidget(ResolvedMemo, 2);
  v->addLayout(Row(
      {SaveResolvedButton, Labelled("Label19", "Delimiter:", ResolvedDelimiterComboBox), ResolvedDelimiterComboBox}));
  v->addWidget(UnresolvedCountLabel);
  v->addWidget(UnresolvedMemo, 1);
  v->addLayout(Row({SaveUnresolvedButton, Labelled("Label20", "Delimiter:", UnresolvedDelimiterComboBox),
                    UnresolvedDelimiterComboBox}));

  connect(ResolvedMemo, &TLineListEdit::LineCountChanged, this, [this](qint64 count) {
    ResolvedCountLabel->setText(
        QStringLiteral("Resolved IPs - IP,Domain (%1):").arg(QString::fromStdString(FormatCount(count))));
  });
  connect(UnresolvedMemo, &TLineListEdit::LineCountChanged, this, [this](qint64 count) {
    UnresolvedCountLabel->setText(
        QStringLiteral("Unresolved IPs (%1):").arg(QString::fromStdString(FormatCount(count))));
  });
  connect(SaveResolvedButton, &QPushButton::clicked, this,
          [this] { SaveListClick(ResolvedMemo, ResolvedDelimiterComboBox); });
  connect(SaveUnresolvedButton, &QPushButton::clicked, this,
          [this] { SaveListClick(UnresolvedMemo, UnresolvedDelimiterComboBox); });
}

QLayout* TForm1::CreateAboutGroup() {
  CopyrightLabel = Named(new TLabelEx(QStringLiteral("Copyright (c) 2005-%.2d")), "Label14");
  MakerLinkLabel = Named(new TLabelEx(kMakerName), "Label15");
  EditionLabel = Named(new TLabelEx(QStringLiteral("Edition")), "Label22");
  CloseButton = Named(new TButtonEx(QStringLiteral("Close")), "Button12");
  auto* about = new QVBoxLayout;
  about->addWidget(CopyrightLabel);
  about->addWidget(MakerLinkLabel);
  about->addWidget(EditionLabel);
  auto* foot = new QHBoxLayout;
  foot->addLayout(about);
  foot->addStretch(1);
  foot->addWidget(CloseButton, 0, Qt::AlignBottom);
  connect(CloseButton, &QPushButton::clicked, this, [this] { close(); });
  return foot;
}

void TForm1::CreateShortcuts() {
  const auto shortcut = [this](const QKeySequence& keys, auto action) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
  };
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
    shortcut(keys, [this] {
      if (StartButton->isEnabled()) StartButton->click();
    });
  shortcut(QKeySequence(Qt::Key_Escape), [this] {
    if (BreakButton->isEnabled()) BreakButton->click();
    else if (FDNSRunning) BreakLookupButton->click();
  });
  shortcut(QKeySequence::Save, [this] { SaveOutputButton->click(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
}

void TForm1::FormCreate() {
  FAppVer = GetFileVersion(false, 2, 0);
  const QString build = QString::fromStdString(GetFileVersion(false, 1, 3));
  setWindowTitle(FormatAppTitleVersion(
      kAppTitle, QString::fromStdString(FAppVer) + QStringLiteral(" (build ") + build + QLatin1Char(')')));

  CreateStoredSettings();
  FProgress = std::make_unique<TProgress>();
  FProgress->SetUpdatePeriod(1000);
  FProgress->SetOnStart([this](TProgress&) { OnStartProcess(); });
  FActiveThreads = 0;
  FProgress->SetProgressBar(TotalProgressBar);
  FProgress->SetBreakButton(BreakButton);
  FProgress->SetStartButton(StartButton);
  FProgress->SetProgressLabel(ProgressLabel);
  FProgress->SetElapsedLabel(ElapsedLabel);
  FProgress->SetElapsedTitleLabel(ElapsedTitleLabel);
  FProgress->SetStatusLabel(StatusLabel);
  FProgress->SetBeforeStart([this](TProgress&, bool& allow, bool&) { ProgressBeforeStart(allow); });
  FProgress->SetAfterStop([this](TProgress&) { ProgressAfterStop(); });
  FUtils = std::make_unique<TKorrinUtils>(FProgress.get());
  FLookup = std::make_unique<TReverseLookup>();

  TFileDialogRequest mmdbOpenDialog;
  mmdbOpenDialog.Filter = QStringLiteral("MMDB files (*.mmdb);;All files (*)");
  BrowseMMDBButton->SetBrowse(MMDBFileEdit, mmdbOpenDialog);
  // A file that cannot be read leaves the defaults in place.
  Guarded([this] { LoadSettings(); });
}

void TForm1::showEvent(QShowEvent* event) {
  TVForm::showEvent(event);
  FormShow();
}

void TForm1::FormShow() {
  if (!FShown) {
    FShown = true;
    if (!FSplitterRestored) {
      const int left = std::max(633, LeftPanel->minimumSizeHint().width());
      PanelSplitter->setSizes({left, PanelSplitter->width() - PanelSplitter->handleWidth() - left});
    }
  }
  CopyrightLabel->setText(QString::asprintf("Copyright (c) 2005-%.2d", QDate::currentDate().year() - 2000));
  EditionLabel->setText(QStringLiteral("%1-Bit Edition").arg(sizeof(void*) * 8));
  MakerLinkLabel->SetLink(kMakerPage + QStringLiteral("?referer=") + kProductTag + QStringLiteral("&ver=") +
                          QString::fromStdString(FAppVer));
}

template <typename F>
void TForm1::Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ErrorMessage(QString::fromStdString(e.what()));
  }
}

void TForm1::UpdateIPsCount() {
  const QString count = QString::fromStdString(FormatCount(static_cast<int64_t>(OutputMemo->LineCount())));
  OutputCountLabel->setText(
      (GenerateNamesCheckBox->isChecked() ? QStringLiteral("Name IPs (") : QStringLiteral("IPs (")) + count +
      QStringLiteral("):"));
}

void TForm1::ClearOutputButtonClick() {
  OutputMemo->Clear();
  UpdateIPsCount();
}

void TForm1::ShuffleButtonClick() { ShuffleList(); }

void TForm1::ShuffleList() {
  FShuffleRandom.seed(FreshSeed());
  OutputMemo->Shuffle(FShuffleRandom);
}

void TForm1::NameDelimiterComboBoxChange() {
  CustomDelimiterEdit->setVisible(NameDelimiterComboBox->currentIndex() == 4);
}

void TForm1::ViewMMDBButtonClick() {
  if (QWidget* viewer = ViewMMDBFile(MMDBFileEdit->text(), this)) {
    ShowViewerAtKeptSize(viewer);
    viewer->installEventFilter(this);
  }
}

void TForm1::FillMMDBFieldComboBox() {
  const std::string path = MMDBFileEdit->text().toStdString();
  std::optional<TFileStamp> stamp;
  std::error_code kindError, sizeError, timeError;
  if (std::filesystem::is_regular_file(path, kindError)) {
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    const std::filesystem::file_time_type modified = std::filesystem::last_write_time(path, timeError);
    if (!sizeError && !timeError) stamp = TFileStamp{path, size, modified};
  }
  if (stamp && stamp == FMMDBFieldsFrom) return;
  FMMDBFieldsFrom = stamp;
  std::vector<std::string> fields{std::string(kCountryCodeField)};
  if (stamp) {
    try {
      TMMDBReader reader(path);
      fields = ChoosableFields(reader);
    } catch (const std::exception&) {
      // The run names what is wrong with the file; the choice stays the country code or typed.
    }
  }
  const QString chosen = MMDBFieldComboBox->currentText();
  MMDBFieldComboBox->clear();
  for (const std::string& field : fields) MMDBFieldComboBox->addItem(QString::fromStdString(field));
  MMDBFieldComboBox->setCurrentText(chosen);
}

std::string TForm1::GetDelimiter(const QComboBox* Combo) {
  switch (Combo->currentIndex()) {
    case 1: return ",";
    case 2: return ";";
    default: return kCRLF;
  }
}

void TForm1::SaveListClick(const TLineListEdit* List, QComboBox* Delimiter) {
  TFileDialogRequest saveDialog;
  saveDialog.Kind = TFileDialogKind::fdSaveFile;
  saveDialog.Filter = QStringLiteral("Text files (*.txt);;All files (*)");
  saveDialog.DefaultSuffix = QStringLiteral("txt");
  const QStringList chosen = RunFileDialog(this, saveDialog);
  if (chosen.isEmpty()) return;
  Guarded([&] { SaveListToFile(List->Lines(), chosen.first().toStdString(), GetDelimiter(Delimiter)); });
}

bool TForm1::CopySettingsToUtils() {
  const TKorrinSettings choices = GetChoices();
  if (choices.ResolveCountry && !CheckNotEmpty(MMDBFileEdit->text(), QString::fromUtf8(kMMDBFilePathName)))
    return false;
  return korrin::CopySettingsToUtils(choices, *FUtils);
}

}  // namespace korrin
