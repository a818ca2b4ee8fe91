#include "app/memo_lines.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
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

void SetMemoLines(QPlainTextEdit* Memo, const TTextLines& Lines, const std::function<bool()>& Stop) {
  QTextDocument* doc = Memo->document();
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  Memo->clear();
  // The lines lie in one buffer, each followed by "\n": a chunk is one slice of it.
  const std::string_view text = Lines.Text();
  size_t from = 0;
  for (size_t first = 0; first < Lines.size(); first += kMemoChunkLines) {
    const size_t last = std::min(Lines.size(), first + kMemoChunkLines);
    const size_t to = last < Lines.size() ? static_cast<size_t>(Lines[last].data() - text.data()) : text.size() - 1;
    // Without repaints while the chunk goes in: a quarter less time per chunk.
    Memo->setUpdatesEnabled(false);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(text.data() + from, static_cast<qsizetype>(to - from)));
    Memo->setUpdatesEnabled(true);
    from = to;
    if (last < Lines.size()) {
      QCoreApplication::processEvents();
      if (Stop && Stop()) break;
    }
  }
  doc->setUndoRedoEnabled(undo);
}

void AppendMemoLine(QPlainTextEdit* Memo, const QString& Line) {
  QTextCursor cursor(Memo->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(Memo->document()->isEmpty() ? Line : QLatin1Char('\n') + Line);
}

}  // namespace korrin
