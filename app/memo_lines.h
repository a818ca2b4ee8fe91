#pragma once
// The lines of a multi-line text box as a list, and the other way round in chunks, so that a list
// of a million lines reaches the box while the window keeps painting and answering clicks.
#include <QString>
#include <functional>

#include "common/text_lines.h"

class QPlainTextEdit;

namespace korrin {

// Lines as the user sees them: an empty box has none, and a final line break adds none.
int MemoLineCount(const QPlainTextEdit* Memo);
TTextLines MemoLines(const QPlainTextEdit* Memo);

// Lines delivered in one step at most; each step takes a few tens of milliseconds.
constexpr size_t kMemoChunkLines = 10000;

// Replaces the text with `Lines`, one chunk at a time with pending events handled in between;
// stops early when `Stop` returns true. Undo is off while it runs.
void SetMemoLines(QPlainTextEdit* Memo, const TTextLines& Lines, const std::function<bool()>& Stop = {});

// One more line at the end, without moving the user's cursor.
void AppendMemoLine(QPlainTextEdit* Memo, const QString& Line);

}  // namespace korrin
