#pragma once
// The editable list of lines that holds the window's generated and resolved lists: it paints only
// the lines in view from one line buffer, so that a list of ten million lines is shown, scrolled,
// edited and read back as fast as one of ten. It offers what a text box offers: navigation by
// mouse and keys, selection of lines and of text within a line, copy, cut, paste, typing,
// deleting, select all, undo and redo, and dropping files (their names become lines). Each line is
// measured by its own text layout, so that clicks, the caret and the horizontal scroll bar follow
// its glyphs, and the caret moves by grapheme, as in any Qt text box.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <deque>
#include <memory>

#include "common/editable_lines.h"
#include "gui/forms/line_offsets.h"

class QMenu;
class QMimeData;
class QTextLayout;

namespace korrin {

class TLineListEdit : public QAbstractScrollArea {
  Q_OBJECT
  friend class TLineListAccessible;

 public:
  // A place in the list: a line and a column in that line's text (UTF-16 units, as Qt counts).
  struct TPos {
    size_t Line = 0;
    qsizetype Column = 0;
    auto operator<=>(const TPos&) const = default;
  };

  explicit TLineListEdit(QWidget* parent = nullptr);
  ~TLineListEdit() override;

  // Lines as the user sees them: an empty list has none, and a final empty line counts as none.
  size_t LineCount() const;
  TTextLines Lines() const;
  // Replaces the lines without copying them; the edit history starts anew.
  void SetLines(TTextLines Lines);
  // Adds lines at the end, as a batch delivers them; the edit history starts anew.
  void AppendLines(const TTextLines& Lines);
  void Clear() { SetLines({}); }
  // A random order of the lines, as one step that can be undone.
  void Shuffle(TRandom& Random);

  // While read-only, an attempt to type shows Reason beside the caret.
  void SetReadOnly(bool ReadOnly, const QString& Reason = {});
  bool IsReadOnly() const { return FReadOnly; }
  // What the undo and redo steps hold, in bytes.
  size_t HistoryBytes() const { return FLines.HistoryBytes(); }

  QString SelectedText() const;
  // The selection as a drag carries it: its text, and a mark that lets the list tell a move of its
  // own lines from a drop of text from elsewhere.
  QMimeData* CreateMimeDataFromSelection() const;
  void SelectAll();
  void Copy() const;
  void Cut();
  void Paste();
  // Removes the selection, or the character after the cursor when nothing is selected.
  void Delete();
  void Undo();
  void Redo();
  // Puts the text in place of the selection; line breaks in it make new lines.
  void InsertText(const QString& Text);
  void SetCursor(TPos Cursor, bool KeepAnchor = false);
  TPos Cursor() const { return FCursor; }
  TPos Anchor() const { return FAnchor; }
  // The first line in view.
  size_t TopLine() const;
  void ScrollToLine(size_t Line);

 signals:
  void LineCountChanged(qint64 Count);
  void LinesChanged();

 protected:
  // The text shown for line i: painting reads the list only through it, and only for lines in view.
  virtual QString LineText(size_t i) const;

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool HasSelection() const { return FAnchor != FCursor; }
  TPos SelectionStart() const { return std::min(FAnchor, FCursor); }
  TPos SelectionEnd() const { return std::max(FAnchor, FCursor); }
  QString TextBetween(TPos From, TPos To) const;
  TPos EndPos() const { return {FLines.size() - 1, LineLength(FLines.size() - 1)}; }
  // A place as assistive technology counts it: UTF-16 units over the lines joined by breaks.
  int TextOffset(TPos Pos) const;
  TPos PosAtOffset(int Offset) const;
  // Tells assistive technology that the lines were replaced as a whole.
  void AnnounceLines();
  // False, after showing why, while the list is read-only.
  bool Editable();
  // Replaces the text from From to To by Text as one step of the history.
  void ReplaceText(TPos From, TPos To, const QString& Text, bool Merge = false);
  void AfterChange(size_t CountBefore);
  void ShowChange(const TEditableLines::TChange& Change, size_t CountBefore);
  TPos Clamp(TPos Pos) const;
  TPos PosAt(const QPoint& Point) const;
  TPos Moved(TPos Pos, int Key, Qt::KeyboardModifiers Modifiers) const;
  // Up, Down, PageUp and PageDown keep to the column where the vertical moves began.
  void MoveVertically(int Key, bool KeepAnchor);
  qsizetype LineLength(size_t Line) const { return LineText(Line).size(); }
  int LineHeight() const;
  int LinesInView() const;
  // The laid-out text: a line is laid out once while it stays in view, not once per measure.
  const QTextLayout& Layout(const QString& Text) const;
  // X of a column in the line's own layout, before scrolling.
  int ColumnX(size_t Line, qsizetype Column) const;
  qsizetype ColumnAt(size_t Line, int X) const;
  int TextX(size_t Line, qsizetype Column) const;
  QRect CaretRect() const;
  void UpdateScrollBars();
  void UpdateHorizontalRange();
  void EnsureCursorVisible();
  void RestartBlink();
  bool HandleStandardKey(QKeyEvent* event);
  // The X11 primary selection follows the selection where the platform has one.
  void SetPrimarySelection() const;
  void SelectLine(size_t Line);
  void StartDrag();
  void DropMoved(TPos At);
  void AutoScroll();

  struct TLaidOut {
    QString Text;
    std::unique_ptr<QTextLayout> Layout;
  };

  TEditableLines FLines;
  // Where lines begin for assistive technology; it reads FLines, so it follows it.
  TLineOffsets FOffsets{FLines};
  TPos FCursor;
  TPos FAnchor;
  bool FReadOnly = false;
  bool FTyping = false;
  bool FBlinkOn = true;
  QBasicTimer FBlink;
  QString FReadOnlyReason;
  // The pixel column that vertical moves keep to, or -1.
  int FWantedX = -1;
  mutable std::deque<TLaidOut> FLayouts;
  // Text that an input method is composing at the caret, and its own caret.
  QString FPreedit;
  int FPreeditCursor = 0;
  // A press in the selection may begin a drag; a release without one places the caret.
  bool FMaybeDrag = false;
  QPoint FPressPoint;
  bool FDroppedHere = false;
  TPos FDropCaret;
  bool FShowDropCaret = false;
  // A press soon after a double-click on the same spot selects the line.
  QElapsedTimer FDoubleClicked;
  QPoint FDoubleClickPoint;
  QBasicTimer FAutoScroll;
  QPoint FDragPoint;
};

}  // namespace korrin
