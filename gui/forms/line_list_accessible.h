#pragma once
// What assistive technology reads of the line list: a screen reader sees an editable text of lines,
// with the caret, the selection and the characters around the caret, and can edit it, as it can a
// Qt text box. Offsets count UTF-16 units over the lines joined by line breaks.
#include <QAccessibleWidget>

namespace korrin {

class TLineListEdit;

class TLineListAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
 public:
  explicit TLineListAccessible(TLineListEdit* List);

  // Makes Qt ask this class for every line list; once per application.
  static void Install();

  QAccessible::State state() const override;
  QString text(QAccessible::Text t) const override;
  void* interface_cast(QAccessible::InterfaceType t) override;

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int startOffset, int endOffset) override;
  void removeSelection(int selectionIndex) override;
  void setSelection(int selectionIndex, int startOffset, int endOffset) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(int startOffset, int endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                           int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                          int* endOffset) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                       int* endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int startIndex, int endIndex) override;
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

  void deleteText(int startOffset, int endOffset) override;
  void insertText(int offset, const QString& text) override;
  void replaceText(int startOffset, int endOffset, const QString& text) override;

 private:
  TLineListEdit* List() const;
};

}  // namespace korrin
