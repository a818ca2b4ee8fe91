#include "gui/forms/line_list_edit.h"

#include "gui/forms/line_list_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <climits>

namespace korrin {
namespace {

constexpr int kMargin = 3;
// Laid-out lines kept: more than a screen holds, so that painting a page lays out nothing twice.
constexpr size_t kLayoutsKept = 256;
// The format that marks a drag of the list's own selection, holding the list's address.
const QString kOwnDragFormat = QStringLiteral("application/x-korrin-line-list");

// Line breaks of every platform become "\n".
QString NormalizeBreaks(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

bool IsWordChar(QChar c) { return !c.isSpace() && c != QLatin1Char(',') && c != QLatin1Char(';'); }

int ToScroll(size_t value) { return static_cast<int>(std::min<size_t>(value, INT_MAX)); }

// The next or previous grapheme boundary: a caret never stands inside an emoji or before an accent.
qsizetype GraphemeStep(const QString& text, qsizetype pos, bool forward) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  const qsizetype next = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
  return next < 0 ? pos : next;
}

QByteArray OwnDragMark(const void* list) { return QByteArray::number(reinterpret_cast<quintptr>(list), 16); }

}  // namespace

TLineListEdit::TLineListEdit(QWidget* parent) : QAbstractScrollArea(parent) {
  FLines.Assign(TTextLines{""});
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_InputMethodEnabled, true);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  TLineListAccessible::Install();
  UpdateScrollBars();
}

TLineListEdit::~TLineListEdit() = default;

size_t TLineListEdit::LineCount() const {
  const size_t n = FLines.size();
  return n > 0 && FLines[n - 1].empty() ? n - 1 : n;
}

TTextLines TLineListEdit::Lines() const { return FLines.Lines(0, LineCount()); }

void TLineListEdit::SetLines(TTextLines Lines) {
  const size_t before = LineCount();
  if (Lines.empty()) Lines.push_back("");
  FLines.Assign(std::move(Lines));
  FOffsets.Invalidate(0);
  FCursor = FAnchor = {};
  FTyping = false;
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  AfterChange(before);
  AnnounceLines();
}

void TLineListEdit::AppendLines(const TTextLines& Lines) {
  if (Lines.empty()) return;
  const size_t before = LineCount();
  if (FLines.size() == 1 && FLines[0].empty()) {
    FLines.Assign(TTextLines(Lines));
    FOffsets.Invalidate(0);
  } else {
    // The lines before keep where they begin.
    FLines.Append(Lines);
  }
  FCursor = Clamp(FCursor);
  FAnchor = Clamp(FAnchor);
  FTyping = false;
  UpdateScrollBars();
  viewport()->update();
  emit LinesChanged();
  if (LineCount() != before) emit LineCountChanged(static_cast<qint64>(LineCount()));
  AnnounceLines();
}

void TLineListEdit::Shuffle(TRandom& Random) {
  const size_t before = LineCount();
  // The final empty line is no line of the list and stays last.
  FLines.Shuffle(Random, before);
  FOffsets.Invalidate(0);
  FCursor = FAnchor = {};
  FTyping = false;
  AfterChange(before);
  AnnounceLines();
}

void TLineListEdit::SetReadOnly(bool ReadOnly, const QString& Reason) {
  FReadOnly = ReadOnly;
  FReadOnlyReason = Reason;
  setAttribute(Qt::WA_InputMethodEnabled, !ReadOnly);
  if (ReadOnly) FPreedit.clear();
  else QToolTip::hideText();
  viewport()->update();
}

bool TLineListEdit::Editable() {
  if (!FReadOnly) return true;
  // A silent refusal would look like a lost key.
  if (!FReadOnlyReason.isEmpty())
    QToolTip::showText(viewport()->mapToGlobal(CaretRect().bottomLeft()), FReadOnlyReason, this);
  return false;
}

QString TLineListEdit::TextBetween(TPos From, TPos To) const {
  if (From.Line == To.Line) return LineText(From.Line).mid(From.Column, To.Column - From.Column);
  // The lines in between go through one conversion: a million of them in a fraction of a second.
  const TTextLines middle = FLines.Lines(From.Line + 1, To.Line - From.Line - 1);
  return LineText(From.Line).mid(From.Column) + QLatin1Char('\n') +
         QString::fromUtf8(middle.Text().data(), static_cast<qsizetype>(middle.Text().size())) +
         LineText(To.Line).left(To.Column);
}

QString TLineListEdit::SelectedText() const { return TextBetween(SelectionStart(), SelectionEnd()); }

QMimeData* TLineListEdit::CreateMimeDataFromSelection() const {
  auto* data = new QMimeData;
  data->setText(SelectedText());
  data->setData(kOwnDragFormat, OwnDragMark(this));
  return data;
}

void TLineListEdit::SetPrimarySelection() const {
  QClipboard* clipboard = QApplication::clipboard();
  if (clipboard->supportsSelection() && HasSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

void TLineListEdit::SelectAll() {
  FAnchor = {};
  FCursor = EndPos();
  FTyping = false;
  SetPrimarySelection();
  viewport()->update();
}

void TLineListEdit::SelectLine(size_t Line) {
  // The line with its break, as a block of a text box is selected: a cut takes the whole line.
  SetCursor({Line, 0});
  SetCursor(Line + 1 < FLines.size() ? TPos{Line + 1, 0} : TPos{Line, LineLength(Line)}, true);
  SetPrimarySelection();
}

void TLineListEdit::Copy() const {
  if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}

void TLineListEdit::Cut() {
  if (!HasSelection() || !Editable()) return;
  Copy();
  ReplaceText(SelectionStart(), SelectionEnd(), {});
}

void TLineListEdit::Paste() {
  if (!Editable()) return;
  const QString text = QApplication::clipboard()->text();
  if (!text.isEmpty()) InsertText(text);
}

void TLineListEdit::Delete() {
  if (!Editable()) return;
  if (HasSelection()) {
    ReplaceText(SelectionStart(), SelectionEnd(), {});
  } else {
    const TPos next = Moved(FCursor, Qt::Key_Right, {});
    if (next != FCursor) ReplaceText(FCursor, next, {});
  }
}

void TLineListEdit::Undo() {
  if (!FLines.CanUndo() || !Editable()) return;
  const size_t before = LineCount();
  ShowChange(FLines.Undo(), before);
}

void TLineListEdit::Redo() {
  if (!FLines.CanRedo() || !Editable()) return;
  const size_t before = LineCount();
  ShowChange(FLines.Redo(), before);
}

void TLineListEdit::ShowChange(const TEditableLines::TChange& Change, size_t CountBefore) {
  FOffsets.Invalidate(Change.First);
  const size_t line = Change.First + std::max<size_t>(Change.Inserted, 1) - 1;
  FCursor = FAnchor = Clamp({line, LineLength(std::min(line, FLines.size() - 1))});
  FTyping = false;
  AfterChange(CountBefore);
  AnnounceLines();
}

void TLineListEdit::AnnounceLines() {
  if (!QAccessible::isActive()) return;
  QAccessibleValueChangeEvent event(this, static_cast<qint64>(LineCount()));
  QAccessible::updateAccessibility(&event);
}

int TLineListEdit::TextOffset(TPos Pos) const {
  const qint64 offset = FOffsets.LineStart(std::min(Pos.Line, FLines.size() - 1));
  return static_cast<int>(std::min<qint64>(offset + Pos.Column, INT_MAX));
}

TLineListEdit::TPos TLineListEdit::PosAtOffset(int Offset) const {
  const TLineOffsets::TLineAt at = FOffsets.LineAt(Offset);
  return Clamp({at.Line, static_cast<qsizetype>(std::max<qint64>(Offset, 0) - at.Start)});
}

void TLineListEdit::InsertText(const QString& Text) {
  if (!Editable()) return;
  ReplaceText(SelectionStart(), SelectionEnd(), NormalizeBreaks(Text));
}

void TLineListEdit::ReplaceText(TPos From, TPos To, const QString& Text, bool Merge) {
  From = Clamp(From);
  To = Clamp(To);
  const size_t before = LineCount();
  const bool announce = QAccessible::isActive();
  const QString removed = announce ? TextBetween(From, To) : QString();
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
  FOffsets.Invalidate(From.Line);
  const qsizetype lastBreak = composed.lastIndexOf(QLatin1Char('\n'));
  FCursor = FAnchor = {From.Line + lines.size() - 1, composed.size() - (lastBreak + 1) - suffix.size()};
  FTyping = false;
  FWantedX = -1;
  AfterChange(before);
  if (announce) {
    QAccessibleTextUpdateEvent event(this, TextOffset(From), removed, Text);
    QAccessible::updateAccessibility(&event);
  }
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
  FWantedX = -1;
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
  if (!QAccessible::isActive()) return;
  if (HasSelection()) {
    QAccessibleTextSelectionEvent event(this, TextOffset(SelectionStart()), TextOffset(SelectionEnd()));
    QAccessible::updateAccessibility(&event);
  } else {
    QAccessibleTextCursorEvent event(this, TextOffset(FCursor));
    QAccessible::updateAccessibility(&event);
  }
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

const QTextLayout& TLineListEdit::Layout(const QString& Text) const {
  for (const TLaidOut& laidOut : FLayouts)
    if (laidOut.Text.size() == Text.size() && laidOut.Text == Text) return *laidOut.Layout;
  if (FLayouts.size() >= kLayoutsKept) FLayouts.pop_front();
  auto layout = std::make_unique<QTextLayout>(Text, font(), viewport());
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout->setTextOption(option);
  layout->setCacheEnabled(true);
  layout->beginLayout();
  layout->createLine();
  layout->endLayout();
  FLayouts.push_back({Text, std::move(layout)});
  return *FLayouts.back().Layout;
}

int TLineListEdit::ColumnX(size_t Line, qsizetype Column) const {
  return qRound(Layout(LineText(Line)).lineAt(0).cursorToX(static_cast<int>(Column)));
}

qsizetype TLineListEdit::ColumnAt(size_t Line, int X) const {
  return Layout(LineText(Line)).lineAt(0).xToCursor(X, QTextLine::CursorBetweenCharacters);
}

int TLineListEdit::TextX(size_t Line, qsizetype Column) const {
  return kMargin + ColumnX(Line, Column) - horizontalScrollBar()->value();
}

QRect TLineListEdit::CaretRect() const {
  const int row = static_cast<int>(std::clamp<qint64>(qint64(FCursor.Line) - qint64(TopLine()), -1, LinesInView()));
  int x = TextX(FCursor.Line, FCursor.Column);
  if (!FPreedit.isEmpty()) x += fontMetrics().horizontalAdvance(FPreedit.left(FPreeditCursor));
  return QRect(x, row * LineHeight(), 1, LineHeight());
}

TLineListEdit::TPos TLineListEdit::PosAt(const QPoint& Point) const {
  const size_t row = static_cast<size_t>(std::max(0, Point.y()) / LineHeight());
  const size_t line = std::min(TopLine() + row, FLines.size() - 1);
  return {line, ColumnAt(line, Point.x() + horizontalScrollBar()->value() - kMargin)};
}

TLineListEdit::TPos TLineListEdit::Moved(TPos Pos, int Key, Qt::KeyboardModifiers Modifiers) const {
  const bool ctrl = Modifiers & Qt::ControlModifier;
  const size_t last = FLines.size() - 1;
  switch (Key) {
    case Qt::Key_Left:
      if (Pos.Column > 0) {
        const QString text = LineText(Pos.Line);
        if (!ctrl) return {Pos.Line, GraphemeStep(text, Pos.Column, false)};
        --Pos.Column;
        while (Pos.Column > 0 && (!IsWordChar(text[Pos.Column]) || IsWordChar(text[Pos.Column - 1]))) --Pos.Column;
        return Pos;
      }
      return Pos.Line > 0 ? TPos{Pos.Line - 1, LineLength(Pos.Line - 1)} : Pos;
    case Qt::Key_Right: {
      const QString text = LineText(Pos.Line);
      if (Pos.Column < text.size()) {
        if (!ctrl) return {Pos.Line, GraphemeStep(text, Pos.Column, true)};
        ++Pos.Column;
        while (Pos.Column < text.size() && (IsWordChar(text[Pos.Column]) || !IsWordChar(text[Pos.Column - 1])))
          ++Pos.Column;
        return Pos;
      }
      return Pos.Line < last ? TPos{Pos.Line + 1, 0} : Pos;
    }
    case Qt::Key_Home: return ctrl ? TPos{} : TPos{Pos.Line, 0};
    case Qt::Key_End: return ctrl ? TPos{last, LineLength(last)} : TPos{Pos.Line, LineLength(Pos.Line)};
    default: return Pos;
  }
}

void TLineListEdit::MoveVertically(int Key, bool KeepAnchor) {
  const int wantedX = FWantedX >= 0 ? FWantedX : ColumnX(FCursor.Line, FCursor.Column);
  const size_t last = FLines.size() - 1;
  const size_t step = Key == Qt::Key_PageUp || Key == Qt::Key_PageDown ? size_t(LinesInView()) : 1;
  const bool up = Key == Qt::Key_Up || Key == Qt::Key_PageUp;
  const size_t line = up ? FCursor.Line - std::min(FCursor.Line, step) : std::min(FCursor.Line + step, last);
  // A page key turns the view by a page, so that the caret keeps its place on the screen.
  if (step > 1) {
    const size_t top = TopLine();
    ScrollToLine(up ? top - std::min(top, step) : top + step);
  }
  SetCursor({line, ColumnAt(line, wantedX)}, KeepAnchor);
  FWantedX = wantedX;
}

void TLineListEdit::UpdateScrollBars() {
  const int inView = LinesInView();
  verticalScrollBar()->setRange(0, ToScroll(FLines.size() > size_t(inView) ? FLines.size() - size_t(inView) : 0));
  verticalScrollBar()->setPageStep(inView);
  verticalScrollBar()->setSingleStep(1);
  UpdateHorizontalRange();
}

void TLineListEdit::UpdateHorizontalRange() {
  // The widest line in view sets the width, as measuring millions of lines would cost seconds; the
  // view ends with that line's end, never past it.
  const size_t top = TopLine();
  const size_t end = std::min(FLines.size(), top + static_cast<size_t>(LinesInView()) + 1);
  qreal widest = 0;
  for (size_t i = top; i < end; ++i) widest = std::max(widest, Layout(LineText(i)).lineAt(0).naturalTextWidth());
  const int width = 2 * kMargin + qCeil(widest) + 1;
  const int viewWidth = viewport()->width();
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, width - viewWidth));
  h->setPageStep(viewWidth);
  h->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
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
  const int height = LineHeight();
  const int left = kMargin - horizontalScrollBar()->value();
  const size_t top = TopLine();
  const size_t end = std::min(FLines.size(), top + static_cast<size_t>(LinesInView()) + 1);
  const TPos s = SelectionStart(), e = SelectionEnd();
  QTextCharFormat selected;
  selected.setBackground(pal.brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
  selected.setForeground(pal.brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText));
  painter.setPen(pal.color(QPalette::Text));
  for (size_t i = top; i < end; ++i) {
    const QPointF at(left, static_cast<int>(i - top) * height);
    const QString text = LineText(i);
    QList<QTextLayout::FormatRange> selections;
    if (HasSelection() && i >= s.Line && i <= e.Line) {
      const qsizetype from = i == s.Line ? s.Column : 0;
      const qsizetype to = i == e.Line ? e.Column : text.size();
      selections.append({static_cast<int>(from), static_cast<int>(to - from), selected});
    }
    const bool composing = i == FCursor.Line && !FPreedit.isEmpty();
    std::unique_ptr<QTextLayout> preedit;
    if (composing) {
      // The composed text shows underlined at the caret, in a layout of its own while it lasts.
      preedit = std::make_unique<QTextLayout>(text, font(), viewport());
      preedit->setPreeditArea(static_cast<int>(FCursor.Column), FPreedit);
      QTextCharFormat underlined;
      underlined.setFontUnderline(true);
      preedit->setFormats({{static_cast<int>(FCursor.Column), static_cast<int>(FPreedit.size()), underlined}});
      preedit->beginLayout();
      preedit->createLine();
      preedit->endLayout();
    }
    const QTextLayout& layout = composing ? *preedit : Layout(text);
    layout.draw(&painter, at, selections);
    // A selected line break shows as a space's width.
    if (HasSelection() && i >= s.Line && i < e.Line)
      painter.fillRect(QRectF(at.x() + layout.lineAt(0).naturalTextWidth(), at.y(),
                              fontMetrics().horizontalAdvance(QLatin1Char(' ')), height),
                       selected.background());
    if (i == FCursor.Line && hasFocus() && FBlinkOn && !FReadOnly)
      layout.drawCursor(&painter, at, static_cast<int>(FCursor.Column) + (composing ? FPreeditCursor : 0));
    if (FShowDropCaret && i == FDropCaret.Line) layout.drawCursor(&painter, at, static_cast<int>(FDropCaret.Column));
  }
}

void TLineListEdit::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TLineListEdit::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    FLayouts.clear();
    UpdateScrollBars();
  }
  QAbstractScrollArea::changeEvent(event);
}

void TLineListEdit::scrollContentsBy(int, int dy) {
  if (dy != 0) UpdateHorizontalRange();
  viewport()->update();
}

bool TLineListEdit::HandleStandardKey(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) Copy();
  else if (event->matches(QKeySequence::Cut)) Cut();
  else if (event->matches(QKeySequence::Paste)) Paste();
  else if (event->matches(QKeySequence::Undo)) Undo();
  else if (event->matches(QKeySequence::Redo)) Redo();
  else if (event->matches(QKeySequence::SelectAll)) SelectAll();
  else if (event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord)) {
    if (!Editable()) return true;
    const bool back = event->matches(QKeySequence::DeleteStartOfWord);
    const TPos other = Moved(FCursor, back ? Qt::Key_Left : Qt::Key_Right, Qt::ControlModifier);
    if (HasSelection()) ReplaceText(SelectionStart(), SelectionEnd(), {});
    else ReplaceText(std::min(other, FCursor), std::max(other, FCursor), {});
  } else return false;
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
        key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::DeleteStartOfWord) ||
        key->matches(QKeySequence::DeleteEndOfWord) || key->key() == Qt::Key_Delete ||
        key->key() == Qt::Key_Backspace) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void TLineListEdit::keyPressEvent(QKeyEvent* event) {
  if (HandleStandardKey(event)) return;
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool shift = mods & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      MoveVertically(event->key(), shift);
      if (shift) SetPrimarySelection();
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
      SetCursor(Moved(FCursor, event->key(), mods), shift);
      if (shift) SetPrimarySelection();
      return;
    case Qt::Key_Delete: Delete(); return;
    case Qt::Key_Backspace:
      if (!Editable()) return;
      if (HasSelection()) ReplaceText(SelectionStart(), SelectionEnd(), {});
      else if (const TPos previous = Moved(FCursor, Qt::Key_Left, {}); previous != FCursor)
        ReplaceText(previous, FCursor, {});
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        InsertText(QStringLiteral("\n"));
        return;
      }
      break;
    default: break;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
    if (!Editable()) return;
    // Characters typed one after another in one line are one step of the history.
    ReplaceText(SelectionStart(), SelectionEnd(), text, FTyping && !HasSelection());
    FTyping = true;
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TLineListEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (FReadOnly) {
    if (!event->commitString().isEmpty()) Editable();
    event->ignore();
    return;
  }
  if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
    TPos from = SelectionStart(), to = SelectionEnd();
    if (!HasSelection() && event->replacementLength() > 0) {
      from.Column += event->replacementStart();
      to = {from.Line, from.Column + event->replacementLength()};
    }
    const bool merge = FTyping && !HasSelection();
    ReplaceText(from, to, NormalizeBreaks(event->commitString()), merge);
    FTyping = true;
  } else if (!event->preeditString().isEmpty() && HasSelection()) {
    // Composing replaces the selection, as typing does.
    ReplaceText(SelectionStart(), SelectionEnd(), {});
  }
  FPreedit = event->preeditString();
  FPreeditCursor = static_cast<int>(FPreedit.size());
  for (const QInputMethodEvent::Attribute& a : event->attributes())
    if (a.type == QInputMethodEvent::Cursor) FPreeditCursor = std::clamp(a.start, 0, static_cast<int>(FPreedit.size()));
  event->accept();
  viewport()->update();
}

QVariant TLineListEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  // The input method sees the caret's line as the text around it.
  switch (query) {
    case Qt::ImEnabled: return !FReadOnly;
    case Qt::ImCursorRectangle: return QRect(CaretRect().translated(viewport()->geometry().topLeft()));
    case Qt::ImFont: return font();
    case Qt::ImCursorPosition: return static_cast<int>(FCursor.Column);
    case Qt::ImAnchorPosition: return static_cast<int>(FAnchor.Line == FCursor.Line ? FAnchor.Column : FCursor.Column);
    case Qt::ImSurroundingText: return LineText(FCursor.Line);
    case Qt::ImCurrentSelection: return FAnchor.Line == FCursor.Line ? SelectedText() : QString();
    case Qt::ImTextBeforeCursor: return LineText(FCursor.Line).left(FCursor.Column);
    case Qt::ImTextAfterCursor: return LineText(FCursor.Line).mid(FCursor.Column);
    case Qt::ImReadOnly: return FReadOnly;
    default: return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void TLineListEdit::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::MiddleButton) {
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && Editable()) {
      SetCursor(PosAt(point));
      InsertText(clipboard->text(QClipboard::Selection));
    }
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const TPos at = PosAt(point);
  if (FDoubleClicked.isValid() && FDoubleClicked.elapsed() < QApplication::doubleClickInterval() &&
      (point - FDoubleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
    FDoubleClicked.invalidate();
    SelectLine(at.Line);
    return;
  }
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (!shift && HasSelection() && at >= SelectionStart() && at <= SelectionEnd()) {
    FMaybeDrag = true;
    FPressPoint = point;
    return;
  }
  SetCursor(at, shift);
}

void TLineListEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPoint point = event->position().toPoint();
  if (FMaybeDrag) {
    if ((point - FPressPoint).manhattanLength() >= QApplication::startDragDistance()) {
      FMaybeDrag = false;
      StartDrag();
    }
    return;
  }
  FDragPoint = point;
  // Past an edge the view scrolls on its own while the button is held.
  if (viewport()->rect().contains(point)) FAutoScroll.stop();
  else if (!FAutoScroll.isActive()) FAutoScroll.start(50, this);
  SetCursor(PosAt(point), true);
}

void TLineListEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  FAutoScroll.stop();
  if (FMaybeDrag) {
    FMaybeDrag = false;
    SetCursor(PosAt(event->position().toPoint()));
  }
  SetPrimarySelection();
}

void TLineListEdit::AutoScroll() {
  const QRect view = viewport()->rect();
  const int height = LineHeight();
  const int below = FDragPoint.y() - view.bottom(), above = view.top() - FDragPoint.y();
  // The farther past the edge, the faster: a line a tick, and one more for each line's height.
  if (below > 0) ScrollToLine(TopLine() + size_t(1 + below / height));
  else if (above > 0) ScrollToLine(TopLine() - std::min(TopLine(), size_t(1 + above / height)));
  QScrollBar* h = horizontalScrollBar();
  if (FDragPoint.x() > view.right()) h->setValue(h->value() + FDragPoint.x() - view.right());
  else if (FDragPoint.x() < view.left()) h->setValue(h->value() - (view.left() - FDragPoint.x()));
  const QPoint inside(std::clamp(FDragPoint.x(), view.left(), view.right()),
                      std::clamp(FDragPoint.y(), view.top(), view.bottom()));
  const int wantedX = FWantedX;
  SetCursor(PosAt(inside), true);
  FWantedX = wantedX;
}

void TLineListEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  FMaybeDrag = false;
  const TPos at = PosAt(event->position().toPoint());
  const QString text = LineText(at.Line);
  qsizetype from = at.Column, to = at.Column;
  while (from > 0 && IsWordChar(text[from - 1])) --from;
  while (to < text.size() && IsWordChar(text[to])) ++to;
  SetCursor({at.Line, from});
  SetCursor({at.Line, to}, true);
  SetPrimarySelection();
  FDoubleClicked.start();
  FDoubleClickPoint = event->position().toPoint();
}

void TLineListEdit::StartDrag() {
  const TPos from = SelectionStart(), to = SelectionEnd();
  auto* drag = new QDrag(this);
  drag->setMimeData(CreateMimeDataFromSelection());
  FDroppedHere = false;
  const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  // A move into another list or program takes the lines away here; a move within this list was
  // made whole by its drop.
  if (action == Qt::MoveAction && !FDroppedHere && !FReadOnly) ReplaceText(from, to, {});
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
  if (event->timerId() == FAutoScroll.timerId()) return AutoScroll();
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
  // From the keyboard the menu opens below the caret, where the user looks.
  const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(CaretRect().bottomLeft())
                                                                   : event->globalPos();
  menu.exec(at);
}

void TLineListEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (!FReadOnly && (event->mimeData()->hasUrls() || event->mimeData()->hasText())) event->acceptProposedAction();
}

void TLineListEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (FReadOnly) return;
  event->acceptProposedAction();
  // Where the text would land shows as a caret.
  FDropCaret = PosAt(event->position().toPoint());
  FShowDropCaret = true;
  viewport()->update();
}

void TLineListEdit::dragLeaveEvent(QDragLeaveEvent*) {
  FShowDropCaret = false;
  viewport()->update();
}

void TLineListEdit::dropEvent(QDropEvent* event) {
  FShowDropCaret = false;
  if (FReadOnly) return;
  const QMimeData* data = event->mimeData();
  QStringList files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  const TPos at = PosAt(event->position().toPoint());
  if (data->data(kOwnDragFormat) == OwnDragMark(this) && event->dropAction() == Qt::MoveAction) {
    event->acceptProposedAction();
    FDroppedHere = true;
    DropMoved(at);
    return;
  }
  event->acceptProposedAction();
  if (!files.isEmpty()) {
    // Dropped files become lines of their names at the end, as on the window's other text boxes.
    const TPos end = EndPos();
    const QString lead = end.Column > 0 ? QStringLiteral("\n") : QString();
    ReplaceText(end, end, lead + files.join(QLatin1Char('\n')));
  } else if (data->hasText()) {
    SetCursor(at);
    InsertText(data->text());
  }
}

void TLineListEdit::DropMoved(TPos At) {
  const TPos s = SelectionStart(), e = SelectionEnd();
  if (At >= s && At <= e) return;
  // One step of the history: the text from the earlier place to the later one is written anew.
  const QString moved = SelectedText();
  const auto endOf = [](TPos From, const QString& Text) {
    const qsizetype lastBreak = Text.lastIndexOf(QLatin1Char('\n'));
    return lastBreak < 0 ? TPos{From.Line, From.Column + Text.size()}
                         : TPos{From.Line + size_t(Text.count(QLatin1Char('\n'))), Text.size() - lastBreak - 1};
  };
  if (At < s) {
    ReplaceText(At, e, moved + TextBetween(At, s));
    SetCursor(At);
    SetCursor(endOf(At, moved), true);
  } else {
    const QString between = TextBetween(e, At);
    ReplaceText(s, At, between + moved);
    const TPos start = endOf(s, between);
    SetCursor(start);
    SetCursor(endOf(start, moved), true);
  }
}

}  // namespace korrin
