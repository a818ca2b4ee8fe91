#pragma once
// The lines of a multi-line text box as a list: the window's input boxes (ranges, exclusions,
// DNS servers) are read this way.

#include "common/text_lines.h"

class QPlainTextEdit;

namespace korrin {

// Lines as the user sees them: an empty box has none, and a final line break adds none.
int MemoLineCount(const QPlainTextEdit* Memo);
TTextLines MemoLines(const QPlainTextEdit* Memo);

}  // namespace korrin
