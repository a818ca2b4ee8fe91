#pragma once
// A push button that can be bound in one call to an edit box, memo or list widget as its
// "Browse..." button, show a named file in the file manager, or run a closure when clicked.
#include <QPushButton>
#include <QStringList>
#include <functional>

#include "gui/forms/dialog_hooks.h"

class QListWidget;

namespace korrin {

enum class TBrowseType { btFile, btFolder, btList, btFolderList };

class TButtonEx : public QPushButton {
 public:
  using TBrowsePathEvent = std::function<void(TButtonEx* Sender, const QString& APath)>;
  using TBrowseListEvent = std::function<void(TButtonEx* Sender, const QStringList& AList)>;
  using TOnButtonClickHandler = std::function<void(TButtonEx* Sender)>;

  explicit TButtonEx(const QString& Caption, QWidget* parent = nullptr);

  // `ASourceEdit` is a QLineEdit or a QPlainTextEdit; the target is also registered for dropped
  // files with the window that holds the button.
  void SetBrowse(QWidget* ASourceEdit, const TFileDialogRequest& AOpenDialog, TBrowsePathEvent AOnBrowsePath = {});
  void SetBrowseFolder(QWidget* ASourceEdit, TBrowsePathEvent AOnBrowsePath = {});
  void SetBrowseList(QListWidget* ASourceLV, const TFileDialogRequest& AOpenDialog,
                     TBrowseListEvent AOnBrowseList = {});
  void SetBrowseFolderList(QListWidget* ASourceLV, TBrowseListEvent AOnBrowseList = {});
  // The click shows the file named in the edit box (up to its first ";").
  void SetExplore(QWidget* ASourceEdit);
  void SetClickHandler(TOnButtonClickHandler AOnClickHandler);

  TBrowseType BrowseType() const { return FBrowseType; }
  QWidget* BrowseSourceEdit() const { return FBrowseSourceEdit; }
  QListWidget* BrowseSourceLV() const { return FBrowseSourceLV; }
  void SetOnBrowsePath(TBrowsePathEvent e) { FOnBrowsePath = std::move(e); }
  void SetOnBrowseList(TBrowseListEvent e) { FOnBrowseList = std::move(e); }

 private:
  void SetSourceEdit(QWidget* Edit);
  void SetSourceLV(QListWidget* ListView);
  void Browse();
  void BrowseFile();
  void BrowseFolder();
  void BrowseList();
  void BrowseFolderList();
  void Explore();
  // The path the dialog starts from: an edit box's text, or a memo's last non-empty line.
  QString SourcePath() const;
  void PutPath(const QString& Path);
  void Report(const QString& Path, const QStringList& List);

  QWidget* FBrowseSourceEdit = nullptr;
  QListWidget* FBrowseSourceLV = nullptr;
  TFileDialogRequest FBrowseOpenDialog;
  TBrowseType FBrowseType = TBrowseType::btFile;
  TBrowsePathEvent FOnBrowsePath;
  TBrowseListEvent FOnBrowseList;
  QWidget* FExploreSourceEdit = nullptr;
  std::function<void()> FClickAction;
};

}  // namespace korrin
