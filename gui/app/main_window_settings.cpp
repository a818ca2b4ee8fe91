// The main window's choices in the settings file, and the stored sets of settings.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <algorithm>

#include "gui/app/main_window.h"
#include "gui/app/memo_lines.h"
#include "gui/app/stored_names_model.h"
#include "gui/forms/browse_button.h"
#include "gui/forms/on_demand_combo_box.h"
#include "settings/app_settings_location.h"
#include "settings/settings_file.h"
#include "settings/shared_settings_file.h"

namespace korrin {
namespace {

// The command line is examined once per run.
const TAppSettingsLocation& Location() {
  static const TAppSettingsLocation location = [] {
    std::vector<std::string> args;
    for (const QString& a : QCoreApplication::arguments().mid(1)) args.push_back(a.toStdString());
    return TAppSettingsLocation::ForProcess(args);
  }();
  return location;
}

std::string SettingsFileName(std::string_view SeedFiles) {
  const std::string folder = Location().GetAppSettingsFolder(kAppSettingsFolderName, SeedFiles);
  return Location().GetAppSettingsFileName(kAppSettingsFileName, folder);
}

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }

// The window manager's frame is not known before the window is shown: room for a title bar and
// borders.
const QMargins kFrameRoom(8, 32, 8, 8);
const QSize kDefaultSize(1047, 686);

// Within the free area of the screen that holds the window's centre, or of the first screen;
// centred on it when asked.
void FitOnScreen(QWidget* w, bool centre) {
  const QScreen* screen = centre ? nullptr : QGuiApplication::screenAt(w->geometry().center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect room = screen->availableGeometry().marginsRemoved(kFrameRoom);
  QRect placed(w->geometry().topLeft(), w->size().boundedTo(room.size()));
  if (centre) placed.moveCenter(room.center());
  placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() + 1 - placed.width()));
  placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() + 1 - placed.height()));
  w->setGeometry(placed);
}

std::string Base64(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }
QByteArray FromBase64(const std::string& text) { return QByteArray::fromBase64(QByteArray::fromStdString(text)); }

void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  TTextLines text;
  text.Assign(lines);
  const std::string_view all = text.Text();
  memo->setPlainText(QString::fromUtf8(all.data(), static_cast<qsizetype>(all.empty() ? 0 : all.size() - 1)));
}

}  // namespace

void TForm1::CreateStoredSettings() {
  FStoredList = std::make_unique<TStoredSettingsList>();
  FSettingsFile = std::make_unique<TSharedSettingsFile>();
  FStoredNames = new TStoredNamesModel(*FStoredList, this);
  SettingsListBox->setModel(FStoredNames);
  connect(SettingsListBox, &QListView::clicked, this, [this](const QModelIndex& index) {
    SettingsNameEdit->setText(FStoredNames->data(index, Qt::DisplayRole).toString());
  });
  connect(SettingsNameEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    for (TButtonEx* b : {SettingsSaveButton, SettingsLoadButton, SettingsDeleteButton}) b->setEnabled(!text.isEmpty());
  });
  connect(SettingsSaveButton, &QPushButton::clicked, this, [this] { SettingsSaveButtonClick(); });
  connect(SettingsLoadButton, &QPushButton::clicked, this, [this] { SettingsLoadButtonClick(); });
  connect(SettingsDeleteButton, &QPushButton::clicked, this, [this] { SettingsDeleteButtonClick(); });
}

TKorrinSettings TForm1::GetChoices() const {
  TKorrinSettings s;
  s.ResolveCountry = ResolveCountryCheckBox->isChecked();
  s.MMDBFilePath = Text(MMDBFileEdit);
  const QString field = MMDBFieldComboBox->currentText().trimmed();
  s.MMDBField = field.isEmpty() ? std::string(kCountryCodeField) : field.toStdString();
  s.Append = AppendCheckBox->isChecked();
  s.IPRanges = MemoLines(RangesMemo).ToVector();
  s.UsableHostIPAddresses = UsableHostsCheckBox->isChecked();
  s.Exclude = ExcludeCheckBox->isChecked();
  s.ExcludeMasks = MemoLines(ExcludeMasksMemo).ToVector();
  s.DNSServers = MemoLines(DnsServersMemo).ToVector();
  s.DNSQueriesInFlight = QueriesInFlightSpinBox->value();
  s.Mode = TotalCountRadioButton->isChecked()  ? TCountChoice::TotalCount
           : EachRangeRadioButton->isChecked() ? TCountChoice::ForEachRange
                                               : TCountChoice::AllIPs;
  s.TotalCount = Text(TotalCountEdit);
  s.EachCount = Text(EachCountEdit);
  s.RandomOrder = RandomOrderCheckBox->isChecked();
  s.UniqueAddresses = UniqueCheckBox->isChecked();
  s.EscapeIPv6 = EscapeIPv6CheckBox->isChecked();
  s.AddPort = AddPortsCheckBox->isChecked();
  s.Ports = Text(PortsEdit);
  s.GenerateNames = GenerateNamesCheckBox->isChecked();
  s.NameTemplate = Text(NameTemplateEdit);
  s.CounterSymbol = CounterSymbolComboBox->currentText().toStdString();
  s.FirstCounter = Text(FirstNumberEdit);
  s.CounterStep = Text(CounterStepEdit);
  s.CounterDigits = Text(MinDigitsEdit);
  s.NameDelimiter = NameDelimiterComboBox->currentIndex();
  s.NameCustomDelimiter = Text(CustomDelimiterEdit);
  s.IPDelimiter = OutputDelimiterComboBox->currentIndex();
  s.ResolvedDelimiter = ResolvedDelimiterComboBox->currentIndex();
  s.UnresolvedDelimiter = UnresolvedDelimiterComboBox->currentIndex();
  s.WindowGeometry = Base64(saveGeometry());
  s.WindowSplitter = Base64(PanelSplitter->saveState());
  s.ViewerSize = FViewerSize;
  return s;
}

void TForm1::SetChoices(const TKorrinSettings& s) {
  ResolveCountryCheckBox->setChecked(s.ResolveCountry);
  MMDBFileEdit->setText(QString::fromStdString(s.MMDBFilePath));
  MMDBFieldComboBox->setCurrentText(QString::fromStdString(s.MMDBField));
  AppendCheckBox->setChecked(s.Append);
  SetLines(RangesMemo, s.IPRanges);
  UsableHostsCheckBox->setChecked(s.UsableHostIPAddresses);
  ExcludeCheckBox->setChecked(s.Exclude);
  SetLines(ExcludeMasksMemo, s.ExcludeMasks);
  SetLines(DnsServersMemo, s.DNSServers);
  QueriesInFlightSpinBox->setValue(s.DNSQueriesInFlight);
  (s.Mode == TCountChoice::TotalCount     ? TotalCountRadioButton
   : s.Mode == TCountChoice::ForEachRange ? EachRangeRadioButton
                                          : AllIPsRadioButton)
      ->setChecked(true);
  TotalCountEdit->setText(QString::fromStdString(s.TotalCount));
  EachCountEdit->setText(QString::fromStdString(s.EachCount));
  RandomOrderCheckBox->setChecked(s.RandomOrder);
  UniqueCheckBox->setChecked(s.UniqueAddresses);
  EscapeIPv6CheckBox->setChecked(s.EscapeIPv6);
  AddPortsCheckBox->setChecked(s.AddPort);
  PortsEdit->setText(QString::fromStdString(s.Ports));
  GenerateNamesCheckBox->setChecked(s.GenerateNames);
  UpdateIPsCount();
  NameTemplateEdit->setText(QString::fromStdString(s.NameTemplate));
  CounterSymbolComboBox->setCurrentText(QString::fromStdString(s.CounterSymbol));
  FirstNumberEdit->setText(QString::fromStdString(s.FirstCounter));
  CounterStepEdit->setText(QString::fromStdString(s.CounterStep));
  MinDigitsEdit->setText(QString::fromStdString(s.CounterDigits));
  SetComboIndex(NameDelimiterComboBox, s.NameDelimiter);
  NameDelimiterComboBoxChange();
  CustomDelimiterEdit->setText(QString::fromStdString(s.NameCustomDelimiter));
  SetComboIndex(OutputDelimiterComboBox, s.IPDelimiter);
  SetComboIndex(ResolvedDelimiterComboBox, s.ResolvedDelimiter);
  SetComboIndex(UnresolvedDelimiterComboBox, s.UnresolvedDelimiter);
}

void TForm1::LoadSettings() {
  TKorrinSettings s = GetChoices();
  // Without a place in the file the window takes the default one, not that of its unshown self.
  s.WindowGeometry.clear();
  s.WindowSplitter.clear();
  const std::string file = SettingsFileName(kAppSettingsFileName);
  try {
    if (FSettingsFile->Load(file, s, *FStoredList)) {
      SetChoices(s);
      FStoredNames->CountChanged();
    }
  } catch (const std::exception& e) {
    // Saving over it would lose every stored set it holds: only the user may decide that.
    const QString keep = QStringLiteral(
                             "%1\n\nThe window starts with its default settings. Keep the settings file as it is? "
                             "Yes: this window does not save its settings. No: they are saved in its place, and "
                             "the file is kept as \"%2\".")
                             .arg(QString::fromStdString(e.what()),
                                  QString::fromStdString(TSharedSettingsFile::UnreadableCopyName(file)));
    if (!Confirm(QStringLiteral("Settings"), keep)) FSettingsFile->AllowReplacing();
  }
  PlaceWindow(s);
  FSettingsFile->Remember(GetChoices(), *FStoredList);
}

void TForm1::PlaceWindow(const TKorrinSettings& Settings) {
  FSplitterRestored = PanelSplitter->restoreState(FromBase64(Settings.WindowSplitter));
  const bool restored = restoreGeometry(FromBase64(Settings.WindowGeometry));
  if (!restored) resize(kDefaultSize.expandedTo(WindowScrollArea->widget()->minimumSizeHint()));
  FitOnScreen(this, !restored);
  FViewerSize = Settings.ViewerSize;
}

void TForm1::ShowViewerAtKeptSize(QWidget* Viewer) const {
  const QStringList parts = QString::fromStdString(FViewerSize).split(QLatin1Char('x'));
  bool wide = false, high = false;
  const QSize size = parts.size() == 2 ? QSize(parts[0].toInt(&wide), parts[1].toInt(&high)) : QSize();
  if (!wide || !high || size.isEmpty()) return;
  Viewer->resize(size);
  FitOnScreen(Viewer, false);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && watched->isWidgetType() && watched->parent() == this) {
    const QSize size = static_cast<QWidget*>(watched)->size();
    FViewerSize = std::to_string(size.width()) + "x" + std::to_string(size.height());
  }
  return TVForm::eventFilter(watched, event);
}

void TForm1::SaveSettings() { FSettingsFile->Save(SettingsFileName({}), GetChoices(), *FStoredList); }

void TForm1::SaveSettingsBeforeStart() {
  try {
    SaveSettings();
    // A save that works again ends the failure: the next one is told, whatever its reason.
    FSettingsSaveWarning.clear();
  } catch (const std::exception& e) {
    if (FSettingsSaveWarning == e.what()) return;
    FSettingsSaveWarning = e.what();
    Warning(
        QStringLiteral("%1\n\nThe settings were not saved; the run goes on.").arg(QString::fromStdString(e.what())));
  }
}

void TForm1::SettingsSaveButtonClick() {
  const std::string name = Text(SettingsNameEdit);
  if (name.empty()) return;
  StoreSettings(*FStoredList, name, GetChoices());
  FStoredNames->CountChanged();
}

void TForm1::SettingsLoadButtonClick() {
  const std::string name = Text(SettingsNameEdit);
  TKorrinSettings s = GetChoices();
  if (!LoadStoredSettings(*FStoredList, name, s)) {
    Warning(QStringLiteral("Load Settings"), QString::fromStdString(SettingsNotFoundMessage(name)));
    return;
  }
  SetChoices(s);
}

void TForm1::SettingsDeleteButtonClick() {
  const std::string name = Text(SettingsNameEdit);
  const int32_t index = FStoredList->IndexOfName(name);
  if (index < 0) {
    Warning(QStringLiteral("Delete Settings"), QString::fromStdString(SettingsNotFoundMessage(name)));
    return;
  }
  FStoredList->Delete(index);
  FStoredNames->CountChanged();
}

}  // namespace korrin
