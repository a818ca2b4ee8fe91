#pragma once
// The application's main window: it collects the generation choices, runs generation jobs through
// the progress tracker, shows and edits the generated list, resolves it by reverse DNS, saves the
// lists, keeps every choice in the settings file and shows the about area. Each control carries
// its name as its object name.
#include <memory>
#include <string>
#include <vector>

#include "common/random.h"
#include "common/text_lines.h"
#include "forms/base_form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QSplitter;

namespace korrin {

class TButtonEx;
class TKorrinThread;
class TKorrinUtils;
class TLabelEx;
class TProgress;
class TReverseLookup;
class TStoredNamesModel;
class TStoredSettingsList;
struct TKorrinSettings;

class TForm1 : public TVForm {
 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Copies the choices into the engine; false, after telling the user, when a required value is
  // missing. Raises korrin::Exception for a count box that holds no integer.
  bool CopySettingsToUtils();
  void UpdateIPsCount();
  // True while a generation job, its delivery or a lookup batch is under way.
  bool Busy() const;

  TProgress& Progress() { return *FProgress; }
  TKorrinUtils& Utils() { return *FUtils; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateLeftPanel(QWidget* panel);
  void CreateRightPanel(QWidget* panel);
  void FormCreate();
  void FormShow();
  // Runs a handler as the application runs one: an error it raises is shown in a box.
  template <typename F>
  void Guarded(F&& f);

  // The settings file: read at the end of creation, written at every accepted start and at close.
  void LoadSettings();
  void SaveSettings();
  // Every choice of the window as the settings file keeps it, and back.
  TKorrinSettings GetChoices() const;
  void SetChoices(const TKorrinSettings& Settings);
  void CreateStoredSettings();
  void SettingsSaveButtonClick();
  void SettingsLoadButtonClick();
  void SettingsDeleteButtonClick();

  void ProgressBeforeStart(bool& Allow);
  void OnStartProcess();
  void DoProcess(TKorrinThread& Thread);
  void ProgressAfterStop();
  void SetRunning(bool Running);
  void ShowActionResult();
  void ShowActionError();
  void ShowActionTerminated();
  // Ends the running job and waits for it, handling events so that its calls still get through.
  void EndWork();

  // Puts `Lines` into the output list in chunks; a newer delivery or a close stops an older one.
  void DeliverLines(const TTextLines& Lines);
  void SetDelivering(bool Delivering);
  // After the work that a close waited for has ended, the close is made again.
  void CloseIfAsked();

  // The reverse lookup: the batch runs on a worker thread, and each of its reports reaches the
  // window by a synchronised call, so that a query's wait never blocks the window.
  void Button5Click();
  void ResolveIPList(const std::vector<std::string>& OutputLines, const std::vector<std::string>& Servers);
  void OnEndLookup();

  void Button2Click();
  void Button10Click();
  void ComboBox5Change();
  void Button4Click();
  void SaveListClick(QPlainTextEdit* Memo, QComboBox* Delimiter);
  static std::string GetDelimiter(const QComboBox* Combo);
  void ShuffleList();

  std::unique_ptr<TProgress> FProgress;
  int32_t FActiveThreads = 0;
  std::string FActionResult;
  std::unique_ptr<TKorrinUtils> FUtils;
  std::unique_ptr<TReverseLookup> FLookup;
  std::unique_ptr<TStoredSettingsList> FStoredList;
  TStoredNamesModel* FStoredNames = nullptr;
  bool fDNSBreak = false;
  std::string fAppVer;
  bool FDelivering = false;
  int FDeliveryId = 0;
  bool FDNSRunning = false;
  bool FClosing = false;
  bool FShown = false;
  TRandom FShuffleRandom;

  // Left panel
  QWidget* LeftPanel;
  QWidget* RightPanel;
  QSplitter* Splitter1;
  TLabelEx* Label1;
  QPlainTextEdit* Memo1;
  QPlainTextEdit* Memo7;
  QCheckBox* CheckBox8;
  QCheckBox* CheckBox4;
  QPlainTextEdit* Memo6;
  QCheckBox* CheckBox6;
  QCheckBox* CheckBox2;
  QLineEdit* Edit3;
  QCheckBox* CheckBox3;
  QLineEdit* Edit4;
  QComboBox* ComboBox1;
  QLineEdit* Edit5;
  QLineEdit* Edit6;
  QLineEdit* Edit7;
  QComboBox* ComboBox5;
  QLineEdit* Edit8;
  QGroupBox* GroupBox1;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QLineEdit* Edit1;
  QLineEdit* Edit2;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox7;
  QLineEdit* Edit9;
  TButtonEx* Button4;
  TButtonEx* Button11;
  TButtonEx* StartButton;
  TButtonEx* BreakButton;
  QProgressBar* TotalProgressBar;
  TLabelEx* ProgressLabel;
  TLabelEx* ElapsedTitleLabel;
  TLabelEx* ElapsedLabel;
  TLabelEx* StatusLabel;
  QListView* SettingsListBox;
  QLineEdit* SettingsNameEdit;
  TButtonEx* SettingsSaveButton;
  TButtonEx* SettingsLoadButton;
  TButtonEx* SettingsDeleteButton;
  TLabelEx* Label2;
  QPlainTextEdit* Memo2;
  TButtonEx* Button2;
  TButtonEx* Button10;
  TButtonEx* Button3;
  QComboBox* ComboBox2;
  // Right panel
  TButtonEx* Button5;
  TButtonEx* Button9;
  TButtonEx* Button8;
  QProgressBar* ProgressBar1;
  TLabelEx* Label7;
  QPlainTextEdit* Memo5;
  TButtonEx* Button1;
  QPlainTextEdit* Memo8;
  TLabelEx* Label4;
  QPlainTextEdit* Memo3;
  TButtonEx* Button6;
  QComboBox* ComboBox3;
  TLabelEx* Label5;
  QPlainTextEdit* Memo4;
  TButtonEx* Button7;
  QComboBox* ComboBox4;
  TLabelEx* Label14;
  TLabelEx* Label15;
  TLabelEx* Label22;
  TButtonEx* Button12;
};

}  // namespace korrin
