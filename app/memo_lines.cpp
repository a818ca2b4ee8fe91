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
  TTextLines lines;
  const int n = MemoLineCount(Memo);
  QTextBlock b = Memo->document()->begin();
  for (int i = 0; i < n && b.isValid(); ++i, b = b.next()) lines.push_back(b.text().toStdString());
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
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(text.data() + from, static_cast<qsizetype>(to - from)));
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
