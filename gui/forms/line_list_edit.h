#pragma once
// The editable list of lines that holds the window's generated and resolved lists: it paints only
// the lines in view from one line buffer, so that a list of ten million lines is shown, scrolled,
// edited and read back as fast as one of ten. It offers what a text box offers: navigation by
// mouse and keys, selection of lines and of text within a line, copy, cut, paste, typing,
// deleting, select all, undo and redo, and dropping files (their names become lines).
#include <QAbstractScrollArea>
#include <QBasicTimer>

#include "common/editable_lines.h"

class QMenu;

namespace korrin {

class TLineListEdit : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // A place in the list: a line and a column in that line's text (UTF-16 units, as Qt counts).
  struct TPos {
    size_t Line = 0;
    qsizetype Column = 0;
    auto operator<=>(const TPos&) const = default;
  };

  explicit TLineListEdit(QWidget* parent = nullptr);

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

  void SetReadOnly(bool ReadOnly);

  QString SelectedText() const;
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
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool HasSelection() const { return FAnchor != FCursor; }
  TPos SelectionStart() const { return std::min(FAnchor, FCursor); }
  TPos SelectionEnd() const { return std::max(FAnchor, FCursor); }
  // Replaces the text from From to To by Text as one step of the history.
  void ReplaceText(TPos From, TPos To, const QString& Text, bool Merge = false);
  void AfterChange(size_t CountBefore);
  void ShowChange(const TEditableLines::TChange& Change, size_t CountBefore);
  TPos Clamp(TPos Pos) const;
  TPos PosAt(const QPoint& Point) const;
  TPos Moved(TPos Pos, int Key, Qt::KeyboardModifiers Modifiers) const;
  qsizetype LineLength(size_t Line) const { return LineText(Line).size(); }
  int LineHeight() const;
  int LinesInView() const;
  int TextX(size_t Line, qsizetype Column) const;
  void UpdateScrollBars();
  void EnsureCursorVisible();
  void RestartBlink();
  bool HandleStandardKey(QKeyEvent* event);

  TEditableLines FLines;
  TPos FCursor;
  TPos FAnchor;
  bool FReadOnly = false;
  bool FTyping = false;
  bool FBlinkOn = true;
  QBasicTimer FBlink;
};

}  // namespace korrin
