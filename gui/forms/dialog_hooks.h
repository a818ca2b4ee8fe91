#pragma once
// The one road by which the windows show message boxes and file dialogs, so that a test can
// answer them in place of a user; without a handler the real boxes and dialogs appear.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace korrin {

enum class TMessageKind { mkError, mkWarning, mkInformation, mkConfirm };

struct TMessageRequest {
  TMessageKind Kind;
  QString Title;
  QString Text;
  bool SystemModal = false;
};

// Returns true for "Yes" (confirmations) or for a box that was acknowledged.
using TMessageHandler = std::function<bool(QWidget* parent, const TMessageRequest& request)>;
// Installs `handler` (empty: the real boxes) and returns the one it replaces.
TMessageHandler SetMessageHandler(TMessageHandler handler);
bool ShowMessage(QWidget* parent, const TMessageRequest& request);

enum class TFileDialogKind { fdOpenFile, fdOpenFiles, fdSaveFile, fdFolder };

struct TFileDialogRequest {
  TFileDialogKind Kind = TFileDialogKind::fdOpenFile;
  QString Title;
  QString Directory;
  QString FileName;
  QString Filter;         // "Name (*.ext);;All files (*)"
  QString DefaultSuffix;  // without the dot
};

// The chosen paths; empty when the user cancelled.
using TFileDialogHandler = std::function<QStringList(QWidget* parent, const TFileDialogRequest& request)>;
TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler);
QStringList RunFileDialog(QWidget* parent, const TFileDialogRequest& request);

}  // namespace korrin
