#include "app/main_window.h"

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
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "app/memo_lines.h"
#include "app/progress_tracker.h"
#include "app/version.h"
#include "common/exception.h"
#include "common/list_file.h"
#include "common/text.h"
#include "dns/reverse_lookup.h"
#include "settings/choices_to_engine.h"
#include "settings/stored_settings_list.h"
#include "forms/browse_button.h"
#include "forms/link_label.h"
#include "generator/generation_engine.h"
#include "viewer/view_window/view_files.h"

namespace korrin {
namespace {

const QString kAppTitle = QStringLiteral("Korrin");
const QString kMakerName = QStringLiteral("Korrin Project");
const QString kMakerPage = QStringLiteral("https://korrin.example.org/");
const QString kProductTag = QStringLiteral("korrin");
const QStringList kListDelimiters = {QStringLiteral("End-Of-Line"), QStringLiteral("Comma"), QStringLiteral("Semicolon")};

template <typename T>
T* Named(T* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QPlainTextEdit* NewMemo(const char* name, bool wrapOff = true) {
  auto* m = Named(new QPlainTextEdit, name);
  if (wrapOff) m->setLineWrapMode(QPlainTextEdit::NoWrap);
  return m;
}

QComboBox* NewCombo(const char* name, const QStringList& items) {
  auto* c = Named(new QComboBox, name);
  c->addItems(items);
  return c;
}

QLineEdit* NewEdit(const char* name, const QString& text, int width = 0) {
  auto* e = Named(new QLineEdit(text), name);
  if (width) e->setFixedWidth(width);
  return e;
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
  QFont f(QStringLiteral("Sans Serif"));
  f.setPointSize(8);
  setFont(f);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  Splitter1 = Named(new QSplitter(Qt::Horizontal), "Splitter1");
  LeftPanel = Named(new QWidget, "LeftPanel");
  RightPanel = Named(new QWidget, "RightPanel");
  Splitter1->addWidget(LeftPanel);
  Splitter1->addWidget(RightPanel);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  outer->addWidget(Splitter1);
  CreateLeftPanel(LeftPanel);
  CreateRightPanel(RightPanel);
  resize(1047, 686);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
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

  Label1 = Named(new TLabelEx(QStringLiteral("IP Ranges (CIDR notation):")), "Label1");
  Memo1 = NewMemo("Memo1");
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFixedHeight(84);
  Memo7 = NewMemo("Memo7");
  Memo7->setReadOnly(true);
  Memo7->setFrameShape(QFrame::NoFrame);
  Memo7->setPlainText(QStringLiteral("127.0.0.1/24\nA=192.168.1.100/16/24\nfdc7:200d:3e17::/120\nB=fdc7:200d:3e17::fb05/48/60"));
  Memo7->setFixedSize(190, 84);
  Memo7->viewport()->setAutoFillBackground(false);
  auto* ex = new QVBoxLayout;
  ex->addWidget(Named(new TLabelEx(QStringLiteral("Ex.:")), "Label8"));
  ex->addWidget(Memo7);
  ex->addStretch(1);
  auto* ranges = new QGridLayout;
  ranges->addWidget(Label1, 0, 0);
  ranges->addWidget(Memo1, 1, 0);
  ranges->addLayout(ex, 0, 1, 2, 1);
  v->addLayout(ranges);

  CheckBox8 = Named(new QCheckBox(QStringLiteral("Usable host IP addresses")), "CheckBox8");
  CheckBox6 = Named(new QCheckBox(QStringLiteral("Escape IPv6 with square brackets")), "CheckBox6");
  CheckBox6->setToolTip(QStringLiteral("With port numbers IPv6 addresses are always in brackets ([fdc7::1]:80): "
                                       "fdc7::1:80 would be another address."));
  CheckBox4 = Named(new QCheckBox(QStringLiteral("Exclude (example: *.0):")), "CheckBox4");
  Memo6 = NewMemo("Memo6");
  Memo6->setFixedHeight(44);
  auto* checks = new QVBoxLayout;
  checks->addWidget(CheckBox8);
  checks->addWidget(CheckBox6);
  checks->addWidget(CheckBox4);
  auto* exclude = new QHBoxLayout;
  exclude->addLayout(checks);
  exclude->addWidget(Memo6, 1);
  v->addLayout(exclude);

  CheckBox2 = Named(new QCheckBox(QStringLiteral("Add Port Numbers:")), "CheckBox2");
  Edit3 = NewEdit("Edit3", QStringLiteral("80"), 140);
  v->addLayout(Row({CheckBox2, Edit3, Named(new TLabelEx(QStringLiteral("Example: 80,3128-3130")), "Label9")}));

  CheckBox3 = Named(new QCheckBox(QStringLiteral("Generate Names using template:")), "CheckBox3");
  Edit4 = NewEdit("Edit4", QStringLiteral("mail#.example.com"), 200);
  v->addLayout(Row({CheckBox3, Edit4}));
  auto* hints = Row({Named(new TLabelEx(QStringLiteral("IP quadrants: %1,%2,  ...")), "Label12"),
                     Named(new TLabelEx(QStringLiteral("Source range: %s")), "Label10")});
  hints->insertSpacing(0, 20);
  v->addLayout(hints);

  ComboBox1 = NewCombo("ComboBox1", {QStringLiteral("#"), QStringLiteral("@")});
  ComboBox1->setEditable(true);
  ComboBox1->setFixedWidth(44);
  Edit5 = NewEdit("Edit5", QStringLiteral("1"), 40);
  Edit6 = NewEdit("Edit6", QStringLiteral("1"), 32);
  Edit7 = NewEdit("Edit7", QStringLiteral("1"), 32);
  ComboBox5 = NewCombo("ComboBox5", {QStringLiteral("Whitespace"), QStringLiteral("Tab"), QStringLiteral("Comma"),
                                     QStringLiteral("Semicolon"), QStringLiteral("Custom")});
  Edit8 = NewEdit("Edit8", QStringLiteral("|"), 32);
  Edit8->setVisible(false);
  v->addLayout(Row({Named(new TLabelEx(QStringLiteral("Counter Symbol:")), "Label11"), ComboBox1,
                    Named(new TLabelEx(QStringLiteral("First Number:")), "Label13"), Edit5,
                    Named(new TLabelEx(QStringLiteral("Step:")), "Label16"), Edit6,
                    Named(new TLabelEx(QStringLiteral("Min. Digits:")), "Label17"), Edit7,
                    Named(new TLabelEx(QStringLiteral("Delimiter:")), "Label21"), ComboBox5, Edit8}));

  GroupBox1 = Named(new QGroupBox(QStringLiteral("Count")), "GroupBox1");
  RadioButton1 = Named(new QRadioButton(QStringLiteral("All IPs")), "RadioButton1");
  RadioButton2 = Named(new QRadioButton(QStringLiteral("Total Count:")), "RadioButton2");
  RadioButton3 = Named(new QRadioButton(QStringLiteral("For Each Range:")), "RadioButton3");
  RadioButton1->setChecked(true);
  Edit1 = NewEdit("Edit1", QStringLiteral("10"), 70);
  Edit2 = NewEdit("Edit2", QStringLiteral("10"), 70);
  auto* count = new QGridLayout(GroupBox1);
  count->addWidget(RadioButton1, 0, 0);
  count->addWidget(RadioButton2, 1, 0);
  count->addWidget(Edit1, 1, 1);
  count->addWidget(RadioButton3, 2, 0);
  count->addWidget(Edit2, 2, 1);
  CheckBox1 = Named(new QCheckBox(QStringLiteral("Random Order")), "CheckBox1");
  CheckBox5 = Named(new QCheckBox(QStringLiteral("Append")), "CheckBox5");
  CheckBox7 = Named(new QCheckBox(QStringLiteral("Resolve IP country")), "CheckBox7");
  auto* options = new QVBoxLayout;
  options->addWidget(CheckBox1);
  options->addWidget(CheckBox5);
  options->addWidget(CheckBox7);
  options->addStretch(1);

  SettingsListBox = Named(new QListView, "SettingsListBox");
  SettingsListBox->setMinimumWidth(60);
  SettingsNameEdit = NewEdit("SettingsNameEdit", {});
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
  SettingsNameEdit->setFixedWidth(120);
  SettingsListBox->setFixedHeight(96);

  auto* countRow = new QHBoxLayout;
  countRow->addWidget(GroupBox1);
  countRow->addLayout(options);
  countRow->addLayout(stored, 1);
  v->addLayout(countRow);

  Edit9 = NewEdit("Edit9", {});
  Button4 = Named(new TButtonEx(QStringLiteral("View..."), panel), "Button4");
  Button11 = Named(new TButtonEx(QStringLiteral("Browse..."), panel), "Button11");
  auto* mmdb = new QHBoxLayout;
  mmdb->addWidget(Named(new TLabelEx(QStringLiteral("GeipIP2 MMDB File:")), "Label3"));
  mmdb->addWidget(Edit9, 1);
  mmdb->addWidget(Button4);
  mmdb->addWidget(Button11);
  v->addLayout(mmdb);

  StartButton = Named(new TButtonEx(QStringLiteral("Generate IPs")), "StartButton");
  BreakButton = Named(new TButtonEx(QStringLiteral("Break")), "BreakButton");
  BreakButton->setEnabled(false);
  auto* progressPanel = Named(new QWidget, "ProgressPanel");
  TotalProgressBar = Named(new QProgressBar, "TotalProgressBar");
  TotalProgressBar->setTextVisible(false);
  TotalProgressBar->setValue(0);
  ProgressLabel = Named(new TLabelEx(QStringLiteral("0 %")), "ProgressLabel");
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
  v->addLayout(run);

  Label2 = Named(new TLabelEx(QStringLiteral("IPs (0):")), "Label2");
  v->addWidget(Label2);
  Memo2 = NewMemo("Memo2");
  Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  v->addWidget(Memo2, 1);
  Button2 = Named(new TButtonEx(QStringLiteral("Clear")), "Button2");
  Button10 = Named(new TButtonEx(QStringLiteral("Shuffle")), "Button10");
  Button3 = Named(new TButtonEx(QStringLiteral("Save to file...")), "Button3");
  ComboBox2 = NewCombo("ComboBox2", kListDelimiters);
  auto* bottom = Row({Button2, Button10});
  bottom->addWidget(Button3);
  bottom->addWidget(Named(new TLabelEx(QStringLiteral("Delimiter:")), "Label18"));
  bottom->addWidget(ComboBox2);
  v->addLayout(bottom);

  connect(Memo2, &QPlainTextEdit::textChanged, this, [this] { UpdateIPsCount(); });
  connect(CheckBox3, &QCheckBox::clicked, this, [this] { UpdateIPsCount(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button10, &QPushButton::clicked, this, [this] { Guarded([this] { Button10Click(); }); });
  connect(ComboBox5, &QComboBox::currentIndexChanged, this, [this] { ComboBox5Change(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { SaveListClick(Memo2, ComboBox2); });
}

void TForm1::CreateRightPanel(QWidget* panel) {
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(4, 0, 0, 0);
  v->setSpacing(4);
  Button5 = Named(new TButtonEx(QStringLiteral("Reverse DNS Lookup >>")), "Button5");
  Button9 = Named(new TButtonEx(QStringLiteral("Break DNS Lookup")), "Button9");
  Button8 = Named(new TButtonEx(QStringLiteral("Clear DNS Lookup Results")), "Button8");
  ProgressBar1 = Named(new QProgressBar, "ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);
  Label7 = Named(new TLabelEx(QStringLiteral("0")), "Label7");
  auto* bar = new QHBoxLayout;
  bar->addWidget(ProgressBar1, 1);
  bar->addWidget(Label7);
  auto* lookup = new QGridLayout;
  lookup->addWidget(Button5, 0, 0);
  lookup->addWidget(Button9, 0, 1);
  lookup->addWidget(Button8, 1, 0);
  lookup->addLayout(bar, 1, 1);
  v->addLayout(lookup);

  const QString servers = QStringLiteral("8.8.8.8\n8.8.4.4");
  Memo5 = NewMemo("Memo5");
  Memo5->setPlainText(servers);
  Memo5->setFixedHeight(44);
  Memo8 = NewMemo("Memo8");
  Memo8->setPlainText(servers);
  Memo8->setReadOnly(true);
  Memo8->setFixedHeight(44);
  Button1 = Named(new TButtonEx(QStringLiteral("Use Google Public DNS Servers:")), "Button1");
  auto* dns = new QGridLayout;
  dns->addWidget(Named(new TLabelEx(QStringLiteral("DNS Servers:")), "Label6"), 0, 0);
  dns->addWidget(Memo5, 1, 0);
  dns->addWidget(Button1, 0, 1);
  dns->addWidget(Memo8, 1, 1);
  v->addLayout(dns);

  Label4 = Named(new TLabelEx(QStringLiteral("Resolved IPs - IP,Domain (0):")), "Label4");
  Memo3 = NewMemo("Memo3");
  Button6 = Named(new TButtonEx(QStringLiteral("Save to file...")), "Button6");
  ComboBox3 = NewCombo("ComboBox3", kListDelimiters);
  Label5 = Named(new TLabelEx(QStringLiteral("Unresolved IPs (0):")), "Label5");
  Memo4 = NewMemo("Memo4");
  Button7 = Named(new TButtonEx(QStringLiteral("Save to file...")), "Button7");
  ComboBox4 = NewCombo("ComboBox4", kListDelimiters);
  v->addWidget(Label4);
  v->addWidget(Memo3, 2);
  v->addLayout(Row({Button6, Named(new TLabelEx(QStringLiteral("Delimiter:")), "Label19"), ComboBox3}));
  v->addWidget(Label5);
  v->addWidget(Memo4, 1);
  v->addLayout(Row({Button7, Named(new TLabelEx(QStringLiteral("Delimiter:")), "Label20"), ComboBox4}));

  Label14 = Named(new TLabelEx(QStringLiteral("Copyright (c) 2005-%.2d")), "Label14");
  Label15 = Named(new TLabelEx(kMakerName), "Label15");
  Label22 = Named(new TLabelEx(QStringLiteral("Edition")), "Label22");
  Button12 = Named(new TButtonEx(QStringLiteral("Close")), "Button12");
  auto* about = new QVBoxLayout;
  about->addWidget(Label14);
  about->addWidget(Label15);
  about->addWidget(Label22);
  auto* foot = new QHBoxLayout;
  foot->addLayout(about);
  foot->addStretch(1);
  foot->addWidget(Button12, 0, Qt::AlignBottom);
  v->addLayout(foot);

  connect(Memo3, &QPlainTextEdit::textChanged, this, [this] {
    Label4->setText(QStringLiteral("Resolved IPs - IP,Domain (%1):").arg(QString::fromStdString(FormatCount(MemoLineCount(Memo3)))));
  });
  connect(Memo4, &QPlainTextEdit::textChanged, this, [this] {
    Label5->setText(QStringLiteral("Unresolved IPs (%1):").arg(QString::fromStdString(FormatCount(MemoLineCount(Memo4)))));
  });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(Button9, &QPushButton::clicked, this, [this] { fDNSBreak = true; });
  connect(Button8, &QPushButton::clicked, this, [this] {
    Memo3->clear();
    Memo4->clear();
  });
  connect(Button1, &QPushButton::clicked, this, [this] { Memo5->setPlainText(Memo8->toPlainText()); });
  connect(Button6, &QPushButton::clicked, this, [this] { SaveListClick(Memo3, ComboBox3); });
  connect(Button7, &QPushButton::clicked, this, [this] { SaveListClick(Memo4, ComboBox4); });
  connect(Button12, &QPushButton::clicked, this, [this] { close(); });
}

void TForm1::FormCreate() {
  fAppVer = GetFileVersion(false, 2, 0);
  const QString build = QString::fromStdString(GetFileVersion(false, 1, 3));
  setWindowTitle(FormatAppTitleVersion(kAppTitle, QString::fromStdString(fAppVer) + QStringLiteral(" (build ") + build + QLatin1Char(')')));

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
  Button11->SetBrowse(Edit9, mmdbOpenDialog);
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
    Splitter1->setSizes({633, Splitter1->width() - Splitter1->handleWidth() - 633});
  }
  Label14->setText(QString::asprintf("Copyright (c) 2005-%.2d", QDate::currentDate().year() - 2000));
  Label22->setText(QStringLiteral("%1-Bit Edition").arg(sizeof(void*) * 8));
  Label15->SetLink(kMakerPage + QStringLiteral("?referer=") + kProductTag + QStringLiteral("&ver=") +
                   QString::fromStdString(fAppVer));
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
  const QString count = QString::fromStdString(FormatCount(MemoLineCount(Memo2)));
  Label2->setText((CheckBox3->isChecked() ? QStringLiteral("Name IPs (") : QStringLiteral("IPs (")) + count +
                  QStringLiteral("):"));
}

void TForm1::Button2Click() {
  Memo2->clear();
  UpdateIPsCount();
}

void TForm1::Button10Click() { ShuffleList(); }

void TForm1::ShuffleList() {
  FShuffleRandom.seed(FreshSeed());
  const TTextLines lines = MemoLines(Memo2);
  // Every order is equally likely, as with insertion at random places, but in linear time.
  std::vector<std::string_view> order(lines.begin(), lines.end());
  std::shuffle(order.begin(), order.end(), FShuffleRandom);
  TTextLines shuffled;
  shuffled.reserve(order.size(), lines.Text().size());
  for (std::string_view line : order) shuffled.push_back(line);
  DeliverLines(shuffled);
}

void TForm1::ComboBox5Change() { Edit8->setVisible(ComboBox5->currentIndex() == 4); }

void TForm1::Button4Click() { ViewMMDBFile(Edit9->text()); }

std::string TForm1::GetDelimiter(const QComboBox* Combo) {
  switch (Combo->currentIndex()) {
    case 1: return ",";
    case 2: return ";";
    default: return kCRLF;
  }
}

void TForm1::SaveListClick(QPlainTextEdit* Memo, QComboBox* Delimiter) {
  TFileDialogRequest saveDialog;
  saveDialog.Kind = TFileDialogKind::fdSaveFile;
  saveDialog.Filter = QStringLiteral("Text files (*.txt);;All files (*)");
  saveDialog.DefaultSuffix = QStringLiteral("txt");
  const QStringList chosen = RunFileDialog(this, saveDialog);
  if (chosen.isEmpty()) return;
  Guarded([&] { SaveListToFile(MemoLines(Memo), chosen.first().toStdString(), GetDelimiter(Delimiter)); });
}

bool TForm1::CopySettingsToUtils() {
  const TKorrinSettings choices = GetChoices();
  if (choices.ResolveCountry && !CheckNotEmpty(Edit9->text(), QString::fromUtf8(kMMDBFilePathName))) return false;
  return korrin::CopySettingsToUtils(choices, *FUtils);
}

}  // namespace korrin
