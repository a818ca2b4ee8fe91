#include "gui/forms/line_list_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>
#include <climits>

namespace korrin {
namespace {

constexpr int kMargin = 3;

// Line breaks of every platform become "\n".
QString NormalizeBreaks(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

bool IsWordChar(QChar c) { return !c.isSpace() && c != QLatin1Char(',') && c != QLatin1Char(';'); }

int ToScroll(size_t value) { return static_cast<int>(std::min<size_t>(value, INT_MAX)); }

}  // namespace

TLineListEdit::TLineListEdit(QWidget* parent) : QAbstractScrollArea(parent) {
  FLines.Assign(TTextLines{""});
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  UpdateScrollBars();
}

size_t TLineListEdit::LineCount() const {
  const size_t n = FLines.size();
  return n > 0 && FLines[n - 1].empty() ? n - 1 : n;
}

TTextLines TLineListEdit::Lines() const { return FLines.Lines(0, LineCount()); }

void TLineListEdit::SetLines(TTextLines Lines) {
  const size_t before = LineCount();
  if (Lines.empty()) Lines.push_back("");
  FLines.Assign(std::move(Lines));
  FCursor = FAnchor = {};
  FTyping = false;
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  AfterChange(before);
}

void TLineListEdit::AppendLines(const TTextLines& Lines) {
  if (Lines.empty()) return;
  const size_t before = LineCount();
  if (FLines.size() == 1 && FLines[0].empty()) FLines.Assign(TTextLines(Lines));
  else FLines.Append(Lines);
  FCursor = Clamp(FCursor);
  FAnchor = Clamp(FAnchor);
  FTyping = false;
  UpdateScrollBars();
  viewport()->update();
  emit LinesChanged();
  if (LineCount() != before) emit LineCountChanged(static_cast<qint64>(LineCount()));
}

void TLineListEdit::Shuffle(TRandom& Random) {
  const size_t before = LineCount();
  // The final empty line is no line of the list and stays last.
  FLines.Shuffle(Random, before);
  FCursor = FAnchor = {};
  FTyping = false;
  AfterChange(before);
}

void TLineListEdit::SetReadOnly(bool ReadOnly) {
  FReadOnly = ReadOnly;
  viewport()->update();
}

QString TLineListEdit::SelectedText() const {
  const TPos s = SelectionStart(), e = SelectionEnd();
  if (s.Line == e.Line) return LineText(s.Line).mid(s.Column, e.Column - s.Column);
  // The lines in between go through one conversion: a million of them in a fraction of a second.
  const TTextLines middle = FLines.Lines(s.Line + 1, e.Line - s.Line - 1);
  return LineText(s.Line).mid(s.Column) + QLatin1Char('\n') +
         QString::fromUtf8(middle.Text().data(), static_cast<qsizetype>(middle.Text().size())) +
         LineText(e.Line).left(e.Column);
}

void TLineListEdit::SelectAll() {
  FAnchor = {};
  FCursor = {FLines.size() - 1, LineLength(FLines.size() - 1)};
  FTyping = false;
  viewport()->update();
}

void TLineListEdit::Copy() const {
  if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}

void TLineListEdit::Cut() {
  if (FReadOnly || !HasSelection()) return;
  Copy();
  ReplaceText(SelectionStart(), SelectionEnd(), {});
}

void TLineListEdit::Paste() {
  if (FReadOnly) return;
  const QString text = QApplication::clipboard()->text();
  if (!text.isEmpty()) InsertText(text);
}

void TLineListEdit::Delete() {
  if (FReadOnly) return;
  if (HasSelection()) {
    ReplaceText(SelectionStart(), SelectionEnd(), {});
  } else {
    const TPos next = Moved(FCursor, Qt::Key_Right, {});
    if (next != FCursor) ReplaceText(FCursor, next, {});
  }
}

void TLineListEdit::Undo() {
  if (FReadOnly || !FLines.CanUndo()) return;
  const size_t before = LineCount();
  ShowChange(FLines.Undo(), before);
}

void TLineListEdit::Redo() {
  if (FReadOnly || !FLines.CanRedo()) return;
  const size_t before = LineCount();
  ShowChange(FLines.Redo(), before);
}

void TLineListEdit::ShowChange(const TEditableLines::TChange& Change, size_t CountBefore) {
  const size_t line = Change.First + std::max<size_t>(Change.Inserted, 1) - 1;
  FCursor = FAnchor = Clamp({line, LineLength(std::min(line, FLines.size() - 1))});
  FTyping = false;
  AfterChange(CountBefore);
}

void TLineListEdit::InsertText(const QString& Text) {
  if (FReadOnly) return;
  ReplaceText(SelectionStart(), SelectionEnd(), NormalizeBreaks(Text));
}

void TLineListEdit::ReplaceText(TPos From, TPos To, const QString& Text, bool Merge) {
  From = Clamp(From);
  To = Clamp(To);
  const size_t before = LineCount();
  const QString suffix = LineText(To.Line).mid(To.Column);
  const QString composed = LineText(From.Line).left(From.Column) + Text + suffix;
  const QByteArray utf8 = composed.toUtf8();
  TTextLines lines;
  std::string_view rest(utf8.constData(), static_cast<size_t>(utf8.size()));
  for (;;) {
    const size_t nl = rest.find('\n');
    lines.push_back(rest.substr(0, nl));
    if (nl == std::string_view::npos) break;
    rest.remove_prefix(nl + 1);
  }
  FLines.Replace(From.Line, To.Line - From.Line + 1, lines, Merge);
  const qsizetype lastBreak = composed.lastIndexOf(QLatin1Char('\n'));
  FCursor = FAnchor = {From.Line + lines.size() - 1, composed.size() - (lastBreak + 1) - suffix.size()};
  FTyping = false;
  AfterChange(before);
}

void TLineListEdit::AfterChange(size_t CountBefore) {
  UpdateScrollBars();
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
  emit LinesChanged();
  if (LineCount() != CountBefore) emit LineCountChanged(static_cast<qint64>(LineCount()));
}

void TLineListEdit::SetCursor(TPos Cursor, bool KeepAnchor) {
  FCursor = Clamp(Cursor);
  if (!KeepAnchor) FAnchor = FCursor;
  FTyping = false;
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
}

size_t TLineListEdit::TopLine() const { return static_cast<size_t>(verticalScrollBar()->value()); }

void TLineListEdit::ScrollToLine(size_t Line) { verticalScrollBar()->setValue(ToScroll(Line)); }

QString TLineListEdit::LineText(size_t i) const {
  const std::string_view line = FLines[i];
  return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

TLineListEdit::TPos TLineListEdit::Clamp(TPos Pos) const {
  Pos.Line = std::min(Pos.Line, FLines.size() - 1);
  Pos.Column = std::clamp<qsizetype>(Pos.Column, 0, LineLength(Pos.Line));
  return Pos;
}

int TLineListEdit::LineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }

int TLineListEdit::LinesInView() const { return std::max(1, viewport()->height() / LineHeight()); }

int TLineListEdit::TextX(size_t Line, qsizetype Column) const {
  return kMargin + fontMetrics().horizontalAdvance(LineText(Line).left(Column)) - horizontalScrollBar()->value();
}

TLineListEdit::TPos TLineListEdit::PosAt(const QPoint& Point) const {
  const size_t row = static_cast<size_t>(std::max(0, Point.y()) / LineHeight());
  const size_t line = std::min(TopLine() + row, FLines.size() - 1);
  const QString text = LineText(line);
  const QFontMetrics fm = fontMetrics();
  const int x = Point.x() + horizontalScrollBar()->value() - kMargin;
  // The nearest gap between two characters.
  int previous = 0;
  for (qsizetype i = 1; i <= text.size(); ++i) {
    const int width = fm.horizontalAdvance(text.left(i));
    if (x < (previous + width) / 2) return {line, i - 1};
    previous = width;
  }
  return {line, text.size()};
}

TLineListEdit::TPos TLineListEdit::Moved(TPos Pos, int Key, Qt::KeyboardModifiers Modifiers) const {
  const bool ctrl = Modifiers & Qt::ControlModifier;
  const size_t last = FLines.size() - 1;
  const size_t page = static_cast<size_t>(LinesInView());
  switch (Key) {
    case Qt::Key_Left:
      if (Pos.Column > 0) {
        const QString text = LineText(Pos.Line);
        --Pos.Column;
        if (ctrl)
          while (Pos.Column > 0 && (!IsWordChar(text[Pos.Column]) || IsWordChar(text[Pos.Column - 1]))) --Pos.Column;
        return Pos;
      }
      return Pos.Line > 0 ? TPos{Pos.Line - 1, LineLength(Pos.Line - 1)} : Pos;
    case Qt::Key_Right: {
      const QString text = LineText(Pos.Line);
      if (Pos.Column < text.size()) {
        ++Pos.Column;
        if (ctrl)
          while (Pos.Column < text.size() && (IsWordChar(text[Pos.Column]) || !IsWordChar(text[Pos.Column - 1])))
            ++Pos.Column;
        return Pos;
      }
      return Pos.Line < last ? TPos{Pos.Line + 1, 0} : Pos;
    }
    case Qt::Key_Up: return Clamp({Pos.Line > 0 ? Pos.Line - 1 : 0, Pos.Column});
    case Qt::Key_Down: return Clamp({std::min(Pos.Line + 1, last), Pos.Column});
    case Qt::Key_PageUp: return Clamp({Pos.Line > page ? Pos.Line - page : 0, Pos.Column});
    case Qt::Key_PageDown: return Clamp({std::min(Pos.Line + page, last), Pos.Column});
    case Qt::Key_Home: return ctrl ? TPos{} : TPos{Pos.Line, 0};
    case Qt::Key_End: return ctrl ? TPos{last, LineLength(last)} : TPos{Pos.Line, LineLength(Pos.Line)};
    default: return Pos;
  }
}

void TLineListEdit::UpdateScrollBars() {
  const int inView = LinesInView();
  verticalScrollBar()->setRange(0, ToScroll(FLines.size() > size_t(inView) ? FLines.size() - size_t(inView) : 0));
  verticalScrollBar()->setPageStep(inView);
  verticalScrollBar()->setSingleStep(1);
  // Measuring every line would cost seconds for millions: the longest line sets the width.
  const QFontMetrics fm = fontMetrics();
  const size_t charWidth = static_cast<size_t>(std::max(fm.averageCharWidth(), fm.horizontalAdvance(QLatin1Char('0'))));
  const size_t width = 2 * kMargin + FLines.MaxLength() * charWidth;
  const int viewWidth = viewport()->width();
  horizontalScrollBar()->setRange(0, ToScroll(width > size_t(viewWidth) ? width - size_t(viewWidth) : 0));
  horizontalScrollBar()->setPageStep(viewWidth);
  horizontalScrollBar()->setSingleStep(std::max(1, fm.averageCharWidth() * 2));
}

void TLineListEdit::EnsureCursorVisible() {
  const size_t top = TopLine();
  const size_t inView = static_cast<size_t>(LinesInView());
  if (FCursor.Line < top) ScrollToLine(FCursor.Line);
  else if (FCursor.Line >= top + inView) ScrollToLine(FCursor.Line - inView + 1);
  const int x = TextX(FCursor.Line, FCursor.Column);
  QScrollBar* h = horizontalScrollBar();
  if (x < kMargin) h->setValue(h->value() + x - kMargin);
  else if (x > viewport()->width() - kMargin) h->setValue(h->value() + x - viewport()->width() + 2 * kMargin);
}

void TLineListEdit::RestartBlink() {
  FBlinkOn = true;
  const int period = QApplication::cursorFlashTime() / 2;
  if (hasFocus() && period > 0) FBlink.start(period, this);
}

void TLineListEdit::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& pal = palette();
  const QFontMetrics fm = fontMetrics();
  const int height = LineHeight();
  const int left = kMargin - horizontalScrollBar()->value();
  const size_t top = TopLine();
  const size_t end = std::min(FLines.size(), top + static_cast<size_t>(LinesInView()) + 1);
  const TPos s = SelectionStart(), e = SelectionEnd();
  for (size_t i = top; i < end; ++i) {
    const int y = static_cast<int>(i - top) * height;
    const QString text = LineText(i);
    painter.setPen(pal.color(QPalette::Text));
    painter.drawText(left, y + fm.ascent(), text);
    if (HasSelection() && i >= s.Line && i <= e.Line) {
      const qsizetype from = i == s.Line ? s.Column : 0;
      const qsizetype to = i == e.Line ? e.Column : text.size();
      const int x0 = left + fm.horizontalAdvance(text.left(from));
      // A selected line break shows as a space's width.
      const int x1 =
          left + fm.horizontalAdvance(text.left(to)) + (i < e.Line ? fm.horizontalAdvance(QLatin1Char(' ')) : 0);
      const QRect band(x0, y, x1 - x0, height);
      painter.fillRect(band, pal.brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
      painter.save();
      painter.setClipRect(band);
      painter.setPen(pal.color(QPalette::HighlightedText));
      painter.drawText(left, y + fm.ascent(), text);
      painter.restore();
    }
    if (i == FCursor.Line && hasFocus() && FBlinkOn && !FReadOnly)
      painter.fillRect(left + fm.horizontalAdvance(text.left(FCursor.Column)), y, 1, height, pal.color(QPalette::Text));
  }
}

void TLineListEdit::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TLineListEdit::scrollContentsBy(int, int) { viewport()->update(); }

bool TLineListEdit::HandleStandardKey(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) Copy();
  else if (event->matches(QKeySequence::Cut)) Cut();
  else if (event->matches(QKeySequence::Paste)) Paste();
  else if (event->matches(QKeySequence::Undo)) Undo();
  else if (event->matches(QKeySequence::Redo)) Redo();
  else if (event->matches(QKeySequence::SelectAll)) SelectAll();
  else return false;
  return true;
}

bool TLineListEdit::event(QEvent* event) {
  // The list's own keys win over the window's shortcuts while it has the focus.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool text = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                      !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (text || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
        key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
        key->matches(QKeySequence::SelectAll) || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void TLineListEdit::keyPressEvent(QKeyEvent* event) {
  if (HandleStandardKey(event)) return;
  const Qt::KeyboardModifiers mods = event->modifiers();
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: SetCursor(Moved(FCursor, event->key(), mods), mods & Qt::ShiftModifier); return;
    case Qt::Key_Delete: Delete(); return;
    case Qt::Key_Backspace:
      if (FReadOnly) return;
      if (HasSelection()) ReplaceText(SelectionStart(), SelectionEnd(), {});
      else if (const TPos previous = Moved(FCursor, Qt::Key_Left, {}); previous != FCursor)
        ReplaceText(previous, FCursor, {});
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !FReadOnly) {
        InsertText(QStringLiteral("\n"));
        return;
      }
      break;
    default: break;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
    if (FReadOnly) return;
    // Characters typed one after another in one line are one step of the history.
    ReplaceText(SelectionStart(), SelectionEnd(), text, FTyping && !HasSelection());
    FTyping = true;
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TLineListEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  SetCursor(PosAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void TLineListEdit::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) SetCursor(PosAt(event->position().toPoint()), true);
}

void TLineListEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const TPos at = PosAt(event->position().toPoint());
  const QString text = LineText(at.Line);
  qsizetype from = at.Column, to = at.Column;
  while (from > 0 && IsWordChar(text[from - 1])) --from;
  while (to < text.size() && IsWordChar(text[to])) ++to;
  SetCursor({at.Line, from});
  SetCursor({at.Line, to}, true);
}

void TLineListEdit::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  viewport()->update();
}

void TLineListEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  FBlink.stop();
  viewport()->update();
}

void TLineListEdit::timerEvent(QTimerEvent* event) {
  if (event->timerId() != FBlink.timerId()) return QAbstractScrollArea::timerEvent(event);
  FBlinkOn = !FBlinkOn;
  viewport()->update();
}

void TLineListEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  const bool editable = !FReadOnly;
  menu.addAction(tr("&Undo"), QKeySequence::Undo, this, &TLineListEdit::Undo)->setEnabled(editable && FLines.CanUndo());
  menu.addAction(tr("&Redo"), QKeySequence::Redo, this, &TLineListEdit::Redo)->setEnabled(editable && FLines.CanRedo());
  menu.addSeparator();
  menu.addAction(tr("Cu&t"), QKeySequence::Cut, this, &TLineListEdit::Cut)->setEnabled(editable && HasSelection());
  menu.addAction(tr("&Copy"), QKeySequence::Copy, this, &TLineListEdit::Copy)->setEnabled(HasSelection());
  menu.addAction(tr("&Paste"), QKeySequence::Paste, this, &TLineListEdit::Paste)
      ->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
  menu.addAction(tr("Delete"), QKeySequence::Delete, this, &TLineListEdit::Delete)
      ->setEnabled(editable && HasSelection());
  menu.addSeparator();
  menu.addAction(tr("Select All"), QKeySequence::SelectAll, this, &TLineListEdit::SelectAll);
  menu.exec(event->globalPos());
}

void TLineListEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (!FReadOnly && (event->mimeData()->hasUrls() || event->mimeData()->hasText())) event->acceptProposedAction();
}

void TLineListEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (!FReadOnly) event->acceptProposedAction();
}

void TLineListEdit::dropEvent(QDropEvent* event) {
  if (FReadOnly) return;
  const QMimeData* data = event->mimeData();
  QStringList files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  event->acceptProposedAction();
  if (!files.isEmpty()) {
    // Dropped files become lines of their names at the end, as on the window's other text boxes.
    const size_t last = FLines.size() - 1;
    const TPos end{last, LineLength(last)};
    const QString lead = end.Column > 0 ? QStringLiteral("\n") : QString();
    ReplaceText(end, end, lead + files.join(QLatin1Char('\n')));
  } else if (data->hasText()) {
    SetCursor(PosAt(event->position().toPoint()));
    InsertText(data->text());
  }
}

}  // namespace korrin
