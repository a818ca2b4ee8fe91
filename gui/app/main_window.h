#pragma once
// The application's main window: it collects the generation choices, runs generation jobs through
// the progress tracker, shows and edits the generated list, resolves it by reverse DNS, saves the
// lists, keeps every choice in the settings file and shows the about area. Members are named by
// role; each control's object name stays its control name ("Memo1", "Button5"), which the tests
// and saved layouts look up.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/random.h"
#include "common/text_lines.h"
#include "gui/forms/base_form.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QTimer;
class QSplitter;

namespace korrin {

class TButtonEx;
class TKorrinThread;
class TKorrinUtils;
class TLabelEx;
class TLineListEdit;
class TOnDemandComboBox;
class TProgress;
class TReverseLookup;
class TStoredNamesModel;
class TSharedSettingsFile;
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
  // True while a generation job or a lookup batch is under way.
  bool Busy() const;

  TProgress& Progress() { return *FProgress; }
  TKorrinUtils& Utils() { return *FUtils; }
  TReverseLookup& Lookup() { return *FLookup; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Keeps the size of a database viewer as it closes.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // One function per group of controls, top to bottom; each makes its controls and connects them.
  void CreateLeftPanel(QWidget* panel);
  QLayout* CreateRangesGroup();
  QLayout* CreateFilterGroup();
  QLayout* CreatePortsGroup();
  void CreateNamesGroup(QBoxLayout* v);
  QWidget* CreateCountGroup();
  QLayout* CreateOptionsGroup();
  QLayout* CreateStoredSettingsGroup();
  QLayout* CreateMMDBGroup();
  QLayout* CreateRunGroup();
  void CreateOutputGroup(QBoxLayout* v);
  void CreateRightPanel(QWidget* panel);
  QLayout* CreateLookupGroup();
  QLayout* CreateDnsServersGroup();
  void CreateLookupResultsGroup(QBoxLayout* v);
  QLayout* CreateAboutGroup();
  // Ctrl+Return generates, Esc breaks the run or the lookup, Ctrl+S saves the output list, Ctrl+Q
  // closes the window.
  void CreateShortcuts();
  // Every input says what it takes, with an example.
  void CreateToolTips();
  void FormCreate();
  void FormShow();
  // Runs a handler as the application runs one: an error it raises is shown in a box.
  template <typename F>
  void Guarded(F&& f);

  // The settings file: read at the end of creation, written at every accepted start and at close.
  void LoadSettings();
  void SaveSettings();
  // A start goes on without its save: a full disk under the settings folder must not stop a run
  // that needs no disk. Says why once while the saves keep failing for that reason.
  void SaveSettingsBeforeStart();
  // The first size and place: where the window was last, or the layout's size (at least the
  // default) centred; either way within the free area of the screen it is on.
  void PlaceWindow(const TKorrinSettings& Settings);
  void ShowViewerAtKeptSize(QWidget* Viewer) const;
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
  // The status line is the job's and the lookup's: what the lookup shows there is kept by the
  // progress tracker too, which repaints the line from its own copy.
  void ShowStatus(const QString& Text);
  // Ends the running job and waits for it, handling events so that its calls still get through.
  void EndWork();

  // Hands the engine's lines to the output list, which shows them without a copy.
  void DeliverLines(TTextLines Lines);
  // After the work that a close waited for has ended, the close is made again.
  void CloseIfAsked();

  // The reverse lookup: the batch runs on a worker thread, and each of its reports reaches the
  // window by a synchronised call, so that a query's wait never blocks the window.
  void ReverseLookupButtonClick();
  void ResolveIPList(const std::vector<std::string>& OutputLines, const std::vector<std::string>& Servers);
  void OnEndLookup();
  // Shows what the batch thread has handed over since the last call: results, progress, the counts
  // of each reason and warnings; `Ended` once the batch has returned.
  void ShowLookupResults(bool Ended);
  void BreakLookup();

  void ClearOutputButtonClick();
  void ShuffleButtonClick();
  void NameDelimiterComboBoxChange();
  void ViewMMDBButtonClick();
  // Offers the fields of the database the path names, keeping the field chosen; a path that
  // names no readable database leaves the country code alone on offer. Called as the user is
  // about to see the fields; a file already read is read again only once it changed.
  void FillMMDBFieldComboBox();
  void SaveListClick(const TLineListEdit* List, QComboBox* Delimiter);
  static std::string GetDelimiter(const QComboBox* Combo);
  void ShuffleList();

  std::unique_ptr<TProgress> FProgress;
  int32_t FActiveThreads = 0;
  std::string FActionResult;
  std::unique_ptr<TKorrinUtils> FUtils;
  std::unique_ptr<TReverseLookup> FLookup;
  // Filled by the batch thread, emptied by ShowLookupResults on a timer of the window's thread.
  struct TLookupHandover;
  std::shared_ptr<TLookupHandover> FLookupHandover;
  QTimer* FLookupTimer = nullptr;
  std::unique_ptr<TStoredSettingsList> FStoredList;
  std::unique_ptr<TSharedSettingsFile> FSettingsFile;
  std::string FSettingsSaveWarning;  // the reason shown while the saves at a start fail; empty once one works
  TStoredNamesModel* FStoredNames = nullptr;
  bool FDNSBreak = false;
  std::string FAppVer;
  bool FDNSRunning = false;
  bool FClosing = false;
  bool FShown = false;
  bool FSplitterRestored = false;
  std::string FViewerSize;  // as the settings file keeps it; empty for the viewer's default
  // Disabling the button during a run moves the focus on; it comes back after the run.
  bool FStartHadFocus = false;
  // A run that failed delivers nothing: the list stays as it was before it.
  bool FRunFailed = false;
  TRandom FShuffleRandom;
  // The database file the field chooser's fields came from, as the path, size and time of change
  // that tell a new or rewritten file from the one read.
  struct TFileStamp {
    std::string Path;
    std::uintmax_t Size = 0;
    std::filesystem::file_time_type Modified;
    bool operator==(const TFileStamp&) const = default;
  };
  std::optional<TFileStamp> FMMDBFieldsFrom;

  QScrollArea* WindowScrollArea;
  // Left panel
  QWidget* LeftPanel;
  QWidget* RightPanel;
  QSplitter* PanelSplitter;
  TLabelEx* RangesLabel;
  QPlainTextEdit* RangesMemo;
  QPlainTextEdit* RangesExampleMemo;
  QCheckBox* UsableHostsCheckBox;
  QCheckBox* ExcludeCheckBox;
  QPlainTextEdit* ExcludeMasksMemo;
  QCheckBox* EscapeIPv6CheckBox;
  QCheckBox* AddPortsCheckBox;
  QLineEdit* PortsEdit;
  QCheckBox* GenerateNamesCheckBox;
  QLineEdit* NameTemplateEdit;
  QComboBox* CounterSymbolComboBox;
  QLineEdit* FirstNumberEdit;
  QLineEdit* CounterStepEdit;
  QLineEdit* MinDigitsEdit;
  QComboBox* NameDelimiterComboBox;
  QLineEdit* CustomDelimiterEdit;
  QGroupBox* CountGroupBox;
  QRadioButton* AllIPsRadioButton;
  QRadioButton* TotalCountRadioButton;
  QRadioButton* EachRangeRadioButton;
  QLineEdit* TotalCountEdit;
  QLineEdit* EachCountEdit;
  QCheckBox* RandomOrderCheckBox;
  QCheckBox* UniqueCheckBox;
  QCheckBox* AppendCheckBox;
  QCheckBox* ResolveCountryCheckBox;
  TOnDemandComboBox* MMDBFieldComboBox;
  QLineEdit* MMDBFileEdit;
  TButtonEx* ViewMMDBButton;
  TButtonEx* BrowseMMDBButton;
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
  TLabelEx* OutputCountLabel;
  TLineListEdit* OutputMemo;
  TButtonEx* ClearOutputButton;
  TButtonEx* ShuffleButton;
  TButtonEx* SaveOutputButton;
  QComboBox* OutputDelimiterComboBox;
  // Right panel
  TButtonEx* ReverseLookupButton;
  TButtonEx* BreakLookupButton;
  TButtonEx* ClearLookupButton;
  QProgressBar* LookupProgressBar;
  TLabelEx* LookupCountLabel;
  QPlainTextEdit* DnsServersMemo;
  QSpinBox* QueriesInFlightSpinBox;
  TButtonEx* UsePublicServersButton;
  QPlainTextEdit* PublicServersMemo;
  TLabelEx* ResolvedCountLabel;
  TLineListEdit* ResolvedMemo;
  TButtonEx* SaveResolvedButton;
  QComboBox* ResolvedDelimiterComboBox;
  TLabelEx* UnresolvedCountLabel;
  TLineListEdit* UnresolvedMemo;
  TButtonEx* SaveUnresolvedButton;
  QComboBox* UnresolvedDelimiterComboBox;
  TLabelEx* CopyrightLabel;
  TLabelEx* MakerLinkLabel;
  TLabelEx* EditionLabel;
  TButtonEx* CloseButton;
};

}  // namespace korrin
