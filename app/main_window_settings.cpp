// The main window's choices in the settings file, and the stored sets of settings.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "app/main_window.h"
#include "app/memo_lines.h"
#include "app/stored_names_model.h"
#include "forms/browse_button.h"
#include "settings/app_settings_location.h"
#include "settings/settings_file.h"

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

void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  TTextLines text;
  text.Assign(lines);
  const std::string_view all = text.Text();
  memo->setPlainText(QString::fromUtf8(all.data(), static_cast<qsizetype>(all.empty() ? 0 : all.size() - 1)));
}

}  // namespace

void TForm1::CreateStoredSettings() {
  FStoredList = std::make_unique<TStoredSettingsList>();
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
  s.ResolveCountry = CheckBox7->isChecked();
  s.MMDBFilePath = Text(Edit9);
  s.Append = CheckBox5->isChecked();
  s.IPRanges = MemoLines(Memo1).ToVector();
  s.UsableHostIPAddresses = CheckBox8->isChecked();
  s.Exclude = CheckBox4->isChecked();
  s.ExcludeMasks = MemoLines(Memo6).ToVector();
  s.DNSServers = MemoLines(Memo5).ToVector();
  s.Mode = RadioButton2->isChecked()   ? TCountChoice::TotalCount
           : RadioButton3->isChecked() ? TCountChoice::ForEachRange
                                       : TCountChoice::AllIPs;
  s.TotalCount = Text(Edit1);
  s.EachCount = Text(Edit2);
  s.RandomOrder = CheckBox1->isChecked();
  s.EscapeIPv6 = CheckBox6->isChecked();
  s.AddPort = CheckBox2->isChecked();
  s.Ports = Text(Edit3);
  s.GenerateNames = CheckBox3->isChecked();
  s.NameTemplate = Text(Edit4);
  s.CounterSymbol = ComboBox1->currentText().toStdString();
  s.FirstCounter = Text(Edit5);
  s.CounterStep = Text(Edit6);
  s.CounterDigits = Text(Edit7);
  s.NameDelimiter = ComboBox5->currentIndex();
  s.NameCustomDelimiter = Text(Edit8);
  s.IPDelimiter = ComboBox2->currentIndex();
  s.ResolvedDelimiter = ComboBox3->currentIndex();
  s.UnresolvedDelimiter = ComboBox4->currentIndex();
  return s;
}

void TForm1::SetChoices(const TKorrinSettings& s) {
  CheckBox7->setChecked(s.ResolveCountry);
  Edit9->setText(QString::fromStdString(s.MMDBFilePath));
  CheckBox5->setChecked(s.Append);
  SetLines(Memo1, s.IPRanges);
  CheckBox8->setChecked(s.UsableHostIPAddresses);
  CheckBox4->setChecked(s.Exclude);
  SetLines(Memo6, s.ExcludeMasks);
  SetLines(Memo5, s.DNSServers);
  (s.Mode == TCountChoice::TotalCount     ? RadioButton2
   : s.Mode == TCountChoice::ForEachRange ? RadioButton3
                                          : RadioButton1)
      ->setChecked(true);
  Edit1->setText(QString::fromStdString(s.TotalCount));
  Edit2->setText(QString::fromStdString(s.EachCount));
  CheckBox1->setChecked(s.RandomOrder);
  CheckBox6->setChecked(s.EscapeIPv6);
  CheckBox2->setChecked(s.AddPort);
  Edit3->setText(QString::fromStdString(s.Ports));
  CheckBox3->setChecked(s.GenerateNames);
  UpdateIPsCount();
  Edit4->setText(QString::fromStdString(s.NameTemplate));
  ComboBox1->setCurrentText(QString::fromStdString(s.CounterSymbol));
  Edit5->setText(QString::fromStdString(s.FirstCounter));
  Edit6->setText(QString::fromStdString(s.CounterStep));
  Edit7->setText(QString::fromStdString(s.CounterDigits));
  SetComboIndex(ComboBox5, s.NameDelimiter);
  ComboBox5Change();
  Edit8->setText(QString::fromStdString(s.NameCustomDelimiter));
  SetComboIndex(ComboBox2, s.IPDelimiter);
  SetComboIndex(ComboBox3, s.ResolvedDelimiter);
  SetComboIndex(ComboBox4, s.UnresolvedDelimiter);
}

void TForm1::LoadSettings() {
  TKorrinSettings s = GetChoices();
  if (!korrin::LoadSettings(SettingsFileName(kAppSettingsFileName), s, *FStoredList)) return;
  SetChoices(s);
  FStoredNames->CountChanged();
}

void TForm1::SaveSettings() { korrin::SaveSettings(SettingsFileName({}), GetChoices(), *FStoredList); }

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
