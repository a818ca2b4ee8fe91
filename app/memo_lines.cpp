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

std::vector<std::string> MemoLines(const QPlainTextEdit* Memo) {
  std::vector<std::string> lines;
  const int n = MemoLineCount(Memo);
  lines.reserve(static_cast<size_t>(n));
  QTextBlock b = Memo->document()->begin();
  for (int i = 0; i < n && b.isValid(); ++i, b = b.next()) lines.push_back(b.text().toStdString());
  return lines;
}

void SetMemoLines(QPlainTextEdit* Memo, const std::vector<std::string>& Lines, const std::function<bool()>& Stop) {
  QTextDocument* doc = Memo->document();
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  Memo->clear();
  QString chunk;
  for (size_t first = 0; first < Lines.size(); first += kMemoChunkLines) {
    const size_t last = std::min(Lines.size(), first + kMemoChunkLines);
    chunk.clear();
    for (size_t i = first; i < last; ++i) {
      if (i != 0) chunk += QLatin1Char('\n');
      chunk += QString::fromStdString(Lines[i]);
    }
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(chunk);
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
