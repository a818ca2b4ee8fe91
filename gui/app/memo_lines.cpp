#include "gui/app/memo_lines.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace korrin {

int MemoLineCount(const QPlainTextEdit* Memo) {
  const QTextDocument* doc = Memo->document();
  return doc->blockCount() - (doc->lastBlock().length() <= 1 ? 1 : 0);
}

TTextLines MemoLines(const QPlainTextEdit* Memo) {
  // One pass over the whole text is many times faster than a visit of every block.
  const QByteArray text = Memo->document()->toPlainText().toUtf8();
  TTextLines lines;
  const int n = MemoLineCount(Memo);
  lines.reserve(static_cast<size_t>(n), static_cast<size_t>(text.size()) + 1);
  std::string_view rest(text.constData(), static_cast<size_t>(text.size()));
  for (int i = 0; i < n; ++i) {
    const size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return lines;
}

}  // namespace korrin
