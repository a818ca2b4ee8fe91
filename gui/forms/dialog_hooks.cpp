#include "gui/forms/dialog_hooks.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace korrin {
namespace {

TMessageHandler& MessageHandler() {
  static TMessageHandler handler;
  return handler;
}

TFileDialogHandler& FileDialogHandler() {
  static TFileDialogHandler handler;
  return handler;
}

bool RealMessageBox(QWidget* parent, const TMessageRequest& r) {
  QMessageBox box(parent);
  box.setWindowTitle(r.Title);
  box.setText(r.Text);
  if (r.SystemModal) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  switch (r.Kind) {
    case TMessageKind::mkError: box.setIcon(QMessageBox::Critical); break;
    case TMessageKind::mkWarning: box.setIcon(QMessageBox::Warning); break;
    case TMessageKind::mkInformation: box.setIcon(QMessageBox::Information); break;
    case TMessageKind::mkConfirm:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      return box.exec() == QMessageBox::Yes;
  }
  box.exec();
  return true;
}

QStringList RealFileDialog(QWidget* parent, const TFileDialogRequest& r) {
  QFileDialog dialog(parent, r.Title, r.Directory, r.Filter);
  dialog.setOption(QFileDialog::ReadOnly, true);
  switch (r.Kind) {
    case TFileDialogKind::fdOpenFile: dialog.setFileMode(QFileDialog::ExistingFile); break;
    case TFileDialogKind::fdOpenFiles: dialog.setFileMode(QFileDialog::ExistingFiles); break;
    case TFileDialogKind::fdSaveFile:
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setOption(QFileDialog::ReadOnly, false);
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
    case TFileDialogKind::fdFolder:
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly, true);
      break;
  }
  if (!r.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.DefaultSuffix);
  if (!r.FileName.isEmpty()) dialog.selectFile(r.FileName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace

TMessageHandler SetMessageHandler(TMessageHandler handler) {
  std::swap(MessageHandler(), handler);
  return handler;
}

bool ShowMessage(QWidget* parent, const TMessageRequest& request) {
  if (MessageHandler()) return MessageHandler()(parent, request);
  return RealMessageBox(parent, request);
}

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler) {
  std::swap(FileDialogHandler(), handler);
  return handler;
}

QStringList RunFileDialog(QWidget* parent, const TFileDialogRequest& request) {
  if (FileDialogHandler()) return FileDialogHandler()(parent, request);
  return RealFileDialog(parent, request);
}

}  // namespace korrin
