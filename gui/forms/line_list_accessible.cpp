#include "gui/forms/line_list_accessible.h"

#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <utility>

#include "gui/forms/line_list_edit.h"

namespace korrin {
namespace {

// A list of more lines gives no Value: the text interface reads it in parts instead.
constexpr size_t kValueLines = 100000;

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* list = qobject_cast<TLineListEdit*>(object)) return new TLineListAccessible(list);
  return nullptr;
}

}  // namespace

TLineListAccessible::TLineListAccessible(TLineListEdit* List) : QAccessibleWidget(List, QAccessible::EditableText) {}

void TLineListAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  Q_UNUSED(installed);
}

TLineListEdit* TLineListAccessible::List() const { return static_cast<TLineListEdit*>(widget()); }

QAccessible::State TLineListAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.editable = !List()->FReadOnly;
  s.readOnly = List()->FReadOnly;
  s.multiLine = true;
  s.selectableText = true;
  s.focusable = true;
  return s;
}

QString TLineListAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Value) return QAccessibleWidget::text(t);
  const TLineListEdit* list = List();
  return list->FLines.size() > kValueLines ? QString() : list->TextBetween({}, list->EndPos());
}

void* TLineListAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  if (t == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

void TLineListAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
  const TLineListEdit* list = List();
  *startOffset = *endOffset = 0;
  if (selectionIndex != 0 || !list->HasSelection()) return;
  *startOffset = list->TextOffset(list->SelectionStart());
  *endOffset = list->TextOffset(list->SelectionEnd());
}

int TLineListAccessible::selectionCount() const { return List()->HasSelection() ? 1 : 0; }

void TLineListAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void TLineListAccessible::removeSelection(int selectionIndex) {
  if (selectionIndex == 0) List()->SetCursor(List()->FCursor);
}

void TLineListAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
  if (selectionIndex != 0) return;
  TLineListEdit* list = List();
  list->SetCursor(list->PosAtOffset(startOffset));
  list->SetCursor(list->PosAtOffset(endOffset), true);
}

int TLineListAccessible::cursorPosition() const { return List()->TextOffset(List()->FCursor); }

void TLineListAccessible::setCursorPosition(int position) { List()->SetCursor(List()->PosAtOffset(position)); }

QString TLineListAccessible::text(int startOffset, int endOffset) const {
  const TLineListEdit* list = List();
  const TLineListEdit::TPos from = list->PosAtOffset(startOffset), to = list->PosAtOffset(endOffset);
  return from < to ? list->TextBetween(from, to) : QString();
}

QString TLineListAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                          int* endOffset) const {
  const TLineListEdit* list = List();
  const int count = characterCount();
  offset = std::clamp(offset, 0, count);
  if (boundaryType == QAccessible::NoBoundary) {
    *startOffset = 0;
    *endOffset = count;
    return text(0, count);
  }
  const TLineListEdit::TPos at = list->PosAtOffset(offset);
  const QString line = list->LineText(at.Line);
  const int lineStart = offset - int(at.Column);
  qsizetype from = 0, to = line.size();
  if (boundaryType == QAccessible::CharBoundary || boundaryType == QAccessible::WordBoundary) {
    if (at.Column == line.size()) {
      // The line break, as one character of its own.
      *startOffset = offset;
      *endOffset = std::min(offset + 1, count);
      return text(*startOffset, *endOffset);
    }
    QTextBoundaryFinder finder(
        boundaryType == QAccessible::CharBoundary ? QTextBoundaryFinder::Grapheme : QTextBoundaryFinder::Word, line);
    finder.setPosition(at.Column);
    from = finder.isAtBoundary() ? at.Column : std::max<qsizetype>(0, finder.toPreviousBoundary());
    finder.setPosition(at.Column);
    to = finder.toNextBoundary();
    if (to < 0) to = line.size();
  }
  *startOffset = lineStart + int(from);
  *endOffset = lineStart + int(to);
  return line.mid(from, to - from);
}

QString TLineListAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                              int* endOffset) const {
  int start = 0, end = 0;
  textAtOffset(offset, boundaryType, &start, &end);
  if (start == 0) {
    *startOffset = *endOffset = 0;
    return {};
  }
  return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString TLineListAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                             int* endOffset) const {
  const int count = characterCount();
  int start = 0, end = count;
  if (boundaryType != QAccessible::NoBoundary) textAtOffset(offset, boundaryType, &start, &end);
  // A line ends before its break: the next line begins after it.
  const bool lines = boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::SentenceBoundary ||
                     boundaryType == QAccessible::ParagraphBoundary;
  const int next = lines ? end + 1 : end;
  if (next >= count) {
    *startOffset = *endOffset = count;
    return {};
  }
  return textAtOffset(next, boundaryType, startOffset, endOffset);
}

int TLineListAccessible::characterCount() const { return List()->TextOffset(List()->EndPos()); }

QRect TLineListAccessible::characterRect(int offset) const {
  const TLineListEdit* list = List();
  const TLineListEdit::TPos at = list->PosAtOffset(offset);
  const int x = list->TextX(at.Line, at.Column);
  const int right = at.Column < list->LineLength(at.Line) ? list->TextX(at.Line, at.Column + 1) : x + 1;
  const int row = int(qint64(at.Line) - qint64(list->TopLine()));
  const QRect local(x, row * list->LineHeight(), std::max(1, right - x), list->LineHeight());
  return QRect(list->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TLineListAccessible::offsetAtPoint(const QPoint& point) const {
  const TLineListEdit* list = List();
  const QPoint local = list->viewport()->mapFromGlobal(point);
  if (!list->viewport()->rect().contains(local)) return -1;
  return list->TextOffset(list->PosAt(local));
}

void TLineListAccessible::scrollToSubstring(int startIndex, int) {
  TLineListEdit* list = List();
  const size_t line = list->PosAtOffset(startIndex).Line;
  if (line < list->TopLine() || line >= list->TopLine() + size_t(list->LinesInView())) list->ScrollToLine(line);
}

QString TLineListAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  // One run of plain text: no attributes change within it.
  *startOffset = 0;
  *endOffset = std::max(offset, characterCount());
  return {};
}

void TLineListAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, {}); }

void TLineListAccessible::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

void TLineListAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
  TLineListEdit* list = List();
  list->SetCursor(list->PosAtOffset(startOffset));
  list->SetCursor(list->PosAtOffset(endOffset), true);
  list->InsertText(text);
}

}  // namespace korrin
