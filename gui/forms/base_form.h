#pragma once
// The base of the application's windows: message boxes titled with the window's caption, value
// checks that warn in one wording, and files dropped from the desktop onto edit boxes, memos and
// list widgets.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "gui/forms/dialog_hooks.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

namespace korrin {

class TVForm : public QWidget {
 public:
  // The handlers set `AHandled` to keep the default action (filling the control) from running.
  using TDropFileItemEvent = std::function<void(QListWidget* ListView, const QString& AFileName, bool& AHandled)>;
  using TDropFileEvent = std::function<void(QLineEdit* Edit, const QString& AFileName, bool& AHandled)>;
  using TDropFilesEvent = std::function<void(QPlainTextEdit* Memo, const QStringList& Files, bool& AHandled)>;
  using TFileItemDroppedEvent =
      std::function<void(QListWidget* ListView, const QString& AFileName, QListWidgetItem* ListItem)>;
  using TFileDroppedEvent = std::function<void(QLineEdit* Edit, const QString& AFileName)>;
  using TFilesDroppedEvent = std::function<void(QPlainTextEdit* Memo, const QStringList& Files)>;

  explicit TVForm(QWidget* parent = nullptr);

  void ErrorMessage(const QString& Message) { Box(TMessageKind::mkError, windowTitle(), Message); }
  void ErrorMessage(const QString& Title, const QString& Message) { Box(TMessageKind::mkError, Title, Message); }
  void Warning(const QString& Message) { Box(TMessageKind::mkWarning, windowTitle(), Message); }
  void Warning(const QString& Title, const QString& Message) { Box(TMessageKind::mkWarning, Title, Message); }
  void Information(const QString& Message) { Box(TMessageKind::mkInformation, windowTitle(), Message); }
  void Information(const QString& Title, const QString& Message) { Box(TMessageKind::mkInformation, Title, Message); }
  bool Confirm(const QString& Message) { return Box(TMessageKind::mkConfirm, windowTitle(), Message); }
  bool Confirm(const QString& Title, const QString& Message) { return Box(TMessageKind::mkConfirm, Title, Message); }
  // The format forms: printf-style, the format filled with the arguments.
  template <typename... A>
  void ErrorMessageFmt(const char* Format, A... Args) {
    ErrorMessage(QString::asprintf(Format, Args...));
  }
  template <typename... A>
  void WarningFmt(const char* Format, A... Args) {
    Warning(QString::asprintf(Format, Args...));
  }
  template <typename... A>
  void InformationFmt(const char* Format, A... Args) {
    Information(QString::asprintf(Format, Args...));
  }
  template <typename... A>
  bool ConfirmFmt(const char* Format, A... Args) {
    return Confirm(QString::asprintf(Format, Args...));
  }
  // Kept above every window.
  void SysErrorMessage(const QString& Title, const QString& Message) { SysBox(TMessageKind::mkError, Title, Message); }
  void SysWarning(const QString& Title, const QString& Message) { SysBox(TMessageKind::mkWarning, Title, Message); }
  void SysInformation(const QString& Title, const QString& Message) {
    SysBox(TMessageKind::mkInformation, Title, Message);
  }
  bool SysConfirm(const QString& Title, const QString& Query) { return SysBox(TMessageKind::mkConfirm, Title, Query); }
  void WarnPleaseEnter(const QString& Values) { Warning(PleaseEnter(Values)); }
  void WarnPleaseEnter(const QString& Title, const QString& Values) { Warning(Title, PleaseEnter(Values)); }

  // Each check returns true when the value is acceptable; otherwise it has warned the user.
  bool CheckNotEmpty(const QString& AValue, const QString& AName);
  bool CheckIf(bool AExpression, const QString& AName);
  bool CheckExpr(bool AExpr, const QString& AWarning);
  bool CheckFileExists(const QString& AFileName, const QString& ATitle);
  bool CheckStrToInt(const QString& AValue, const QString& AName, int32_t* AIntValue = nullptr);
  bool CheckStrToInt(const QString& AValue, const QString& AName, int32_t AMin, int32_t* AIntValue = nullptr);
  bool CheckStrToInt(const QString& AValue, const QString& AName, int32_t AMin, int32_t AMax,
                     int32_t* AIntValue = nullptr);
  bool CheckListNotEmpty(const QStringList& List, const QString& AName, bool ANotEmptyLines);

  // Selects `Index` when it is a valid item index; true when it was.
  static bool SetComboIndex(QComboBox* ComboBox, int Index);
  // Selects the first item equal to `Text` ignoring case; true when there was one.
  static bool SetComboText(QComboBox* ComboBox, const QString& Text);

  // Places the window in the middle of its screen's free area.
  void CenterOnScreen();

  // Makes an edit box, memo or list widget accept files dropped from the desktop (once).
  void EnableDroppingFile(QWidget* Control);

  void SetOnDropFileItem(TDropFileItemEvent e) { fOnDropFileItem = std::move(e); }
  void SetOnDropFile(TDropFileEvent e) { fOnDropFile = std::move(e); }
  void SetOnDropFiles(TDropFilesEvent e) { fOnDropFiles = std::move(e); }
  void SetOnFileItemDropped(TFileItemDroppedEvent e) { fOnFileItemDropped = std::move(e); }
  void SetOnFileDropped(TFileDroppedEvent e) { fOnFileDropped = std::move(e); }
  void SetOnFilesDropped(TFilesDroppedEvent e) { fOnFilesDropped = std::move(e); }

  // The files dropped onto a registered control, in order, as the desktop's drop delivers them.
  void HandleDropFiles(QWidget* Control, const QStringList& Files);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

  virtual void DoDropFileItem(QListWidget* ListView, const QString& FileName);
  virtual void DoDropFile(QLineEdit* Edit, const QString& FileName);
  virtual void DoDropFiles(QPlainTextEdit* Memo, const QStringList& Files);
  virtual void DoFileItemDropped(QListWidget* ListView, const QString& FileName, QListWidgetItem* Item);
  virtual void DoFileDropped(QLineEdit* Edit, const QString& FileName);
  virtual void DoFilesDropped(QPlainTextEdit* Memo, const QStringList& Files);

 private:
  static QString PleaseEnter(const QString& Values);
  bool Box(TMessageKind Kind, const QString& Title, const QString& Text);
  bool SysBox(TMessageKind Kind, const QString& Title, const QString& Text);

  // Guarded: a control may be freed before the window.
  std::vector<QPointer<QWidget>> fDropFileCtrls;
  bool IsDropFileCtrl(const QWidget* Control) const;
  TDropFileItemEvent fOnDropFileItem;
  TDropFileEvent fOnDropFile;
  TDropFilesEvent fOnDropFiles;
  TFileItemDroppedEvent fOnFileItemDropped;
  TFileDroppedEvent fOnFileDropped;
  TFilesDroppedEvent fOnFilesDropped;
};

// AppTitle + " " + AppVersion, then " " + the argument after the first "-applabel" of `Args`
// (the command line without the program name), unless No64DebugInfo.
QString FormatAppTitleVersion(const QString& AppTitle, const QString& AppVersion, bool No64DebugInfo,
                              const QStringList& Args);
// The same for the running process's command line.
QString FormatAppTitleVersion(const QString& AppTitle, const QString& AppVersion, bool No64DebugInfo = false);

// Opens the desktop's file manager on the file's folder (on the folder itself when the file is
// missing); nothing when neither exists.
void ExploreToFile(const QString& FileName);

}  // namespace korrin
