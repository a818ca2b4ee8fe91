#pragma once
// The user's part at message boxes and file dialogs, for GUI tests: each recorder keeps what the
// code asked and answers it, and puts the previous handler back when it goes out of scope, also
// when a failed check leaves the test early.
#include <QStringList>
#include <vector>

#include "gui/forms/dialog_hooks.h"

namespace korrin::test {

// Records every message box; a confirmation gets `Answer`.
class TMessageBoxRecorder {
 public:
  std::vector<TMessageRequest> Shown;
  bool Answer = true;

  TMessageBoxRecorder() {
    FPrevious = SetMessageHandler([this](QWidget*, const TMessageRequest& r) {
      Shown.push_back(r);
      return Answer;
    });
  }
  ~TMessageBoxRecorder() { SetMessageHandler(FPrevious); }
  TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
  TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;

  QStringList Texts() const {
    QStringList texts;
    for (const TMessageRequest& r : Shown) texts << r.Text;
    return texts;
  }

 private:
  TMessageHandler FPrevious;
};

// Answers every file dialog with `Answer` (empty: cancelled) and keeps the requests.
class TFileDialogRecorder {
 public:
  std::vector<TFileDialogRequest> Requests;
  QStringList Answer;

  explicit TFileDialogRecorder(QStringList answer = {}) : Answer(std::move(answer)) {
    FPrevious = SetFileDialogHandler([this](QWidget*, const TFileDialogRequest& r) {
      Requests.push_back(r);
      return Answer;
    });
  }
  ~TFileDialogRecorder() { SetFileDialogHandler(FPrevious); }
  TFileDialogRecorder(const TFileDialogRecorder&) = delete;
  TFileDialogRecorder& operator=(const TFileDialogRecorder&) = delete;

  // The latest request; a default one before any.
  TFileDialogRequest Last() const { return Requests.empty() ? TFileDialogRequest{} : Requests.back(); }

 private:
  TFileDialogHandler FPrevious;
};

}  // namespace korrin::test
