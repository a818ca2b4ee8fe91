#include "gui/forms/browse_button.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "gui/forms/base_form.h"

namespace korrin {
namespace {

const QString kSelectDirectory = QStringLiteral("Select Directory");

QString LastNonEmptyLine(const QPlainTextEdit* memo) {
  for (QTextBlock b = memo->document()->lastBlock(); b.isValid(); b = b.previous())
    if (!b.text().isEmpty()) return b.text();
  return {};
}

QString LastNonEmptyCaption(const QListWidget* list) {
  for (int i = list->count() - 1; i >= 0; --i)
    if (!list->item(i)->text().isEmpty()) return list->item(i)->text();
  return {};
}

// A folder starts the dialog in itself; a file in its folder, preselected when `preselect`.
void StartAt(TFileDialogRequest& r, const QString& path, bool preselect) {
  r.FileName.clear();
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  if (info.isDir()) {
    r.Directory = path;
    return;
  }
  r.Directory = info.path();
  if (preselect) r.FileName = info.fileName();
}

}  // namespace

TButtonEx::TButtonEx(const QString& Caption, QWidget* parent) : QPushButton(Caption, parent) {
  connect(this, &QPushButton::clicked, this, [this] {
    if (FClickAction) FClickAction();
  });
}

void TButtonEx::SetSourceEdit(QWidget* Edit) {
  FBrowseSourceEdit = Edit;
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* form = dynamic_cast<TVForm*>(w)) {
      form->EnableDroppingFile(Edit);
      break;
    }
  }
}

void TButtonEx::SetSourceLV(QListWidget* ListView) {
  FBrowseSourceLV = ListView;
  SetSourceEdit(ListView);
  FBrowseSourceEdit = nullptr;
}

void TButtonEx::SetBrowse(QWidget* ASourceEdit, const TFileDialogRequest& AOpenDialog, TBrowsePathEvent AOnBrowsePath) {
  SetSourceEdit(ASourceEdit);
  FBrowseOpenDialog = AOpenDialog;
  FBrowseType = TBrowseType::btFile;
  if (AOnBrowsePath) FOnBrowsePath = std::move(AOnBrowsePath);
  FClickAction = [this] { Browse(); };
}

void TButtonEx::SetBrowseFolder(QWidget* ASourceEdit, TBrowsePathEvent AOnBrowsePath) {
  SetSourceEdit(ASourceEdit);
  FBrowseType = TBrowseType::btFolder;
  if (AOnBrowsePath) FOnBrowsePath = std::move(AOnBrowsePath);
  FClickAction = [this] { Browse(); };
}

void TButtonEx::SetBrowseList(QListWidget* ASourceLV, const TFileDialogRequest& AOpenDialog,
                              TBrowseListEvent AOnBrowseList) {
  SetSourceLV(ASourceLV);
  FBrowseOpenDialog = AOpenDialog;
  FBrowseType = TBrowseType::btList;
  if (AOnBrowseList) FOnBrowseList = std::move(AOnBrowseList);
  FClickAction = [this] { Browse(); };
}

void TButtonEx::SetBrowseFolderList(QListWidget* ASourceLV, TBrowseListEvent AOnBrowseList) {
  SetSourceLV(ASourceLV);
  FBrowseType = TBrowseType::btFolderList;
  if (AOnBrowseList) FOnBrowseList = std::move(AOnBrowseList);
  FClickAction = [this] { Browse(); };
}

void TButtonEx::SetExplore(QWidget* ASourceEdit) {
  FExploreSourceEdit = ASourceEdit;
  FClickAction = [this] { Explore(); };
}

void TButtonEx::SetClickHandler(TOnButtonClickHandler AOnClickHandler) {
  FClickAction = [this, h = std::move(AOnClickHandler)] {
    if (h) h(this);
  };
}

void TButtonEx::Browse() {
  switch (FBrowseType) {
    case TBrowseType::btFile: BrowseFile(); break;
    case TBrowseType::btFolder: BrowseFolder(); break;
    case TBrowseType::btList: BrowseList(); break;
    case TBrowseType::btFolderList: BrowseFolderList(); break;
  }
}

QString TButtonEx::SourcePath() const {
  if (auto* edit = qobject_cast<QLineEdit*>(FBrowseSourceEdit)) return edit->text();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(FBrowseSourceEdit)) return LastNonEmptyLine(memo);
  return {};
}

void TButtonEx::PutPath(const QString& Path) {
  if (auto* edit = qobject_cast<QLineEdit*>(FBrowseSourceEdit)) edit->setText(Path);
  else if (auto* memo = qobject_cast<QPlainTextEdit*>(FBrowseSourceEdit)) memo->appendPlainText(Path);
}

void TButtonEx::Report(const QString& Path, const QStringList& List) {
  if (FOnBrowsePath) FOnBrowsePath(this, Path);
  if (FOnBrowseList) FOnBrowseList(this, List);
}

void TButtonEx::BrowseFile() {
  const bool memo = qobject_cast<QPlainTextEdit*>(FBrowseSourceEdit) != nullptr;
  TFileDialogRequest r = FBrowseOpenDialog;
  r.Kind = memo ? TFileDialogKind::fdOpenFiles : TFileDialogKind::fdOpenFile;
  StartAt(r, SourcePath(), !memo);
  const QStringList files = RunFileDialog(window(), r);
  if (files.isEmpty()) return;
  for (const QString& f : files) PutPath(f);
  Report(files.first(), files);
}

void TButtonEx::BrowseFolder() {
  TFileDialogRequest r;
  r.Kind = TFileDialogKind::fdFolder;
  r.Title = kSelectDirectory;
  r.Directory = SourcePath();
  const QStringList chosen = RunFileDialog(window(), r);
  if (chosen.isEmpty()) return;
  PutPath(chosen.first());
  Report(chosen.first(), {chosen.first()});
}

void TButtonEx::BrowseList() {
  if (!FBrowseSourceLV) return;
  TFileDialogRequest r = FBrowseOpenDialog;
  r.Kind = TFileDialogKind::fdOpenFiles;
  StartAt(r, LastNonEmptyCaption(FBrowseSourceLV), false);
  const QStringList files = RunFileDialog(window(), r);
  if (files.isEmpty()) return;
  FBrowseSourceLV->addItems(files);
  Report(files.first(), files);
}

void TButtonEx::BrowseFolderList() {
  if (!FBrowseSourceLV) return;
  TFileDialogRequest r;
  r.Kind = TFileDialogKind::fdFolder;
  r.Title = kSelectDirectory;
  r.Directory = LastNonEmptyCaption(FBrowseSourceLV);
  const QStringList chosen = RunFileDialog(window(), r);
  if (chosen.isEmpty()) return;
  FBrowseSourceLV->addItem(chosen.first());
  Report(chosen.first(), {chosen.first()});
}

void TButtonEx::Explore() {
  QString name;
  if (auto* edit = qobject_cast<QLineEdit*>(FExploreSourceEdit)) name = edit->text();
  ExploreToFile(name.section(QLatin1Char(';'), 0, 0));
}

}  // namespace korrin
