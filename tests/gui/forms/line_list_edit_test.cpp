// The editable line list: what a user sees after typing, pasting, deleting, undoing and dropping,
// the count it reports, and that painting a million lines reads only the lines in view.
#include <QAccessible>
#include <QClipboard>
#include <QFontDatabase>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "gui/forms/line_list_edit.h"

using namespace korrin;

namespace {

TTextLines Numbered(size_t Count) {
  TTextLines lines;
  for (size_t i = 0; i < Count; ++i)
    lines.push_back("10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256));
  return lines;
}

QStringList Shown(const TLineListEdit& List) {
  QStringList lines;
  for (std::string_view line : List.Lines()) lines << QString::fromUtf8(line.data(), qsizetype(line.size()));
  return lines;
}

// The caret's line with a bar where the caret stands.
QString WithCaret(const TLineListEdit& List) {
  const TLineListEdit::TPos at = List.Cursor();
  std::string_view line = List.Lines().empty() ? std::string_view() : List.Lines()[at.Line];
  return QString::fromUtf8(line.data(), qsizetype(line.size())).insert(at.Column, QLatin1Char('|'));
}

// A list shown on the screen at a size that holds about ten lines.
void ShowList(TLineListEdit& List, const TTextLines& Lines) {
  List.resize(300, 200);
  List.SetLines(Lines);
  List.show();
  QVERIFY(QTest::qWaitForWindowExposed(&List));
}

QPoint PointOf(const TLineListEdit& List, size_t Row, int X = 1) {
  const int height = List.fontMetrics().lineSpacing();
  return QPoint(X, height * int(Row) + height / 2);
}

// What an input method asks of the list.
QVariant Query(const QWidget& Widget, Qt::InputMethodQuery Query) { return Widget.inputMethodQuery(Query); }

// A drag that enters the list and drops there.
void Drop(TLineListEdit& List, QPoint Point, Qt::DropAction Action, const QMimeData* Data) {
  QDragEnterEvent enter(Point, Action, Data, Qt::LeftButton, {});
  QApplication::sendEvent(List.viewport(), &enter);
  QDropEvent drop(Point, Action, Data, Qt::LeftButton, {});
  QApplication::sendEvent(List.viewport(), &drop);
}

void MoveWithButton(QWidget* Widget, QPoint Point) {
  QMouseEvent move(QEvent::MouseMove, Point, Widget->mapToGlobal(Point), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(Widget, &move);
}

// Counts the lines that painting asked for.
class TCountingList : public TLineListEdit {
 public:
  mutable size_t Asked = 0;

 protected:
  QString LineText(size_t i) const override {
    ++Asked;
    return TLineListEdit::LineText(i);
  }
};

}  // namespace

class LineListEditTest : public QObject {
  Q_OBJECT

 private slots:
  void aMillionLinesPaintOnlyTheLinesInView() {
    TCountingList list;
    list.resize(300, 200);
    list.SetLines(Numbered(1000000));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.ScrollToLine(500000);
    list.Asked = 0;
    list.viewport()->repaint();
    const size_t inView = size_t(list.viewport()->height() / list.fontMetrics().lineSpacing()) + 1;
    QVERIFY(list.Asked > 0);
    QVERIFY2(list.Asked <= inView, qPrintable(QString::number(list.Asked)));
    QCOMPARE(list.LineCount(), size_t(1000000));
    QCOMPARE(list.TopLine(), size_t(500000));
  }

  void typingIntoALineIsOneStepToUndoAndRedo() {
    TLineListEdit list;
    list.SetLines({"a", "b", "c"});
    list.SetCursor({1, 1});
    QTest::keyClicks(&list, "xy");
    QCOMPARE(Shown(list), QStringList({"a", "bxy", "c"}));
    QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Shown(list), QStringList({"a", "b", "c"}));
    QTest::keyClick(&list, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Shown(list), QStringList({"a", "bxy", "c"}));
    // Return splits the line and Backspace joins it again.
    list.SetCursor({1, 2});
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(Shown(list), QStringList({"a", "bx", "y", "c"}));
    QTest::keyClick(&list, Qt::Key_Backspace);
    QCOMPARE(Shown(list), QStringList({"a", "bxy", "c"}));
  }

  void pasteOfManyLinesAndTheCountSignal() {
    TLineListEdit list;
    QSignalSpy counts(&list, &TLineListEdit::LineCountChanged);
    list.SetLines({"first", "last"});
    QCOMPARE(counts.takeLast().at(0).toLongLong(), 2);
    list.SetCursor({0, 5});
    QApplication::clipboard()->setText("\r\n1\r\n2\n3");
    QTest::keyClick(&list, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Shown(list), QStringList({"first", "1", "2", "3", "last"}));
    QCOMPARE(counts.takeLast().at(0).toLongLong(), 5);
    // The cursor stands after the pasted text: typing goes on there.
    QTest::keyClicks(&list, "4");
    QCOMPARE(Shown(list)[3], QString("34"));

    TTextLines many = Numbered(100000);
    std::string text(many.Text());
    QApplication::clipboard()->setText(QString::fromStdString(text));
    list.SetLines({});
    QCOMPARE(list.LineCount(), size_t(0));
    list.Paste();
    QCOMPARE(list.LineCount(), size_t(100000));
    QCOMPARE(std::string(list.Lines().Text()), text);
  }

  void selectionByKeysCopiesCutsAndDeletes() {
    TLineListEdit list;
    // Up and Down keep to the caret's x: in a fixed-pitch font that is its column.
    list.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list.SetLines({"alpha", "beta", "gamma", "delta"});
    list.SetCursor({0, 2});
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(list.SelectedText(), QString("pha\nbeta\nga"));
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("pha\nbeta\nga"));
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(Shown(list), QStringList({"almma", "delta"}));
    QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Shown(list), QStringList({"alpha", "beta", "gamma", "delta"}));

    // Whole lines: from the start of one to the start of the next.
    list.SetCursor({1, 0});
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&list, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(Shown(list), QStringList({"alpha", "gamma", "delta"}));
    QCOMPARE(QApplication::clipboard()->text(), QString("beta\n"));
  }

  void selectAllAndDeleteEmptiesAMillionLines() {
    TLineListEdit list;
    list.SetLines(Numbered(1000000));
    QSignalSpy counts(&list, &TLineListEdit::LineCountChanged);
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(list.LineCount(), size_t(0));
    QCOMPARE(counts.takeLast().at(0).toLongLong(), 0);
    list.Undo();
    QCOMPARE(list.LineCount(), size_t(1000000));
    QCOMPARE(std::string(list.Lines()[999999]), std::string("10.0.66.63"));
  }

  void clickPlacesTheCursorAndReadOnlyRefusesEdits() {
    TLineListEdit list;
    list.resize(300, 200);
    list.SetLines({"one", "two", "three"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int height = list.fontMetrics().lineSpacing();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(1, height * 2 + height / 2));
    QTest::keyClicks(&list, ">");
    QCOMPARE(Shown(list), QStringList({"one", "two", ">three"}));
    list.SetReadOnly(true);
    QTest::keyClicks(&list, "x");
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(Shown(list), QStringList({"one", "two", ">three"}));
  }

  void droppedFilesBecomeLines() {
    TLineListEdit list;
    list.resize(300, 200);
    list.SetLines({"10.0.0.1"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a.txt"), QUrl::fromLocalFile("/tmp/b.txt")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(list.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(list.viewport(), &drop);
    QCOMPARE(Shown(list), QStringList({"10.0.0.1", "/tmp/a.txt", "/tmp/b.txt"}));
  }

  void shuffleKeepsTheSetOfLines() {
    TLineListEdit list;
    list.SetLines(Numbered(1000));
    TRandom random(7);
    list.Shuffle(random);
    QStringList shown = Shown(list);
    QCOMPARE(shown.size(), 1000);
    QStringList expected;
    for (std::string_view line : Numbered(1000)) expected << QString::fromUtf8(line.data(), qsizetype(line.size()));
    QVERIFY(shown != expected);
    shown.sort();
    expected.sort();
    QCOMPARE(shown, expected);
  }

  void tabMovesTheFocus() {
    QWidget window;
    auto* first = new TLineListEdit(&window);
    auto* second = new TLineListEdit(&window);
    second->move(0, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    QVERIFY(second->hasFocus());
    QTest::keyClick(second, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(first->hasFocus());
    QCOMPARE(first->LineCount(), size_t(0));
  }

  void keysMoveAndDeleteByGraphemeAndWord_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");
    const QString emoji = QString::fromUtf8(
        "a\xF0\x9F\x98\x80"
        "b");
    const QString accent = QString::fromUtf8(
        "ae\xCC\x81"
        "b");
    const int none = 0, ctrl = Qt::ControlModifier;
    QTest::newRow("Backspace after an emoji") << emoji << 3 << int(Qt::Key_Backspace) << none << "a|b";
    QTest::newRow("Delete before an emoji") << emoji << 1 << int(Qt::Key_Delete) << none << "a|b";
    QTest::newRow("Right over an emoji") << emoji << 1 << int(Qt::Key_Right) << none << emoji.left(3) + "|b";
    QTest::newRow("Left over an emoji") << emoji << 3 << int(Qt::Key_Left) << none << "a|" + emoji.mid(1);
    QTest::newRow("Backspace after an accent") << accent << 3 << int(Qt::Key_Backspace) << none << "a|b";
    QTest::newRow("Right over an accent") << accent << 1 << int(Qt::Key_Right) << none << accent.left(3) + "|b";
    QTest::newRow("Ctrl+Backspace a word")
        << "10.0.0.1, 10.0.0.2" << 18 << int(Qt::Key_Backspace) << ctrl << "10.0.0.1, |";
    QTest::newRow("Ctrl+Delete a word") << "10.0.0.1, 10.0.0.2" << 0 << int(Qt::Key_Delete) << ctrl << "|, 10.0.0.2";
  }

  void keysMoveAndDeleteByGraphemeAndWord() {
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    TLineListEdit list;
    list.SetLines({text.toStdString()});
    list.SetCursor({0, column});
    QTest::keyClick(&list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(WithCaret(list), expected);
  }

  void upAndDownKeepTheColumnAndPagesTurnTheView() {
    TLineListEdit list;
    TTextLines lines = Numbered(1000);
    lines.push_back("");
    lines.push_back("10.0.3.232");
    ShowList(list, lines);
    list.SetCursor({999, 9});
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(WithCaret(list), QString("|"));
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(WithCaret(list), QString("10.0.3.23|2"));
    QTest::keyClick(&list, Qt::Key_Up);
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(WithCaret(list), QString("10.0.3.23|1"));

    list.SetCursor({0, 0});
    QTest::keyClick(&list, Qt::Key_PageDown);
    const size_t page = list.Cursor().Line;
    QVERIFY2(page > 5, qPrintable(QString::number(page)));
    QCOMPARE(list.TopLine(), page);
    QTest::keyClick(&list, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(list.TopLine(), 2 * page);
    QCOMPARE(list.SelectedText().count('\n'), int(page));
    QTest::keyClick(&list, Qt::Key_PageUp);
    QCOMPARE(list.Cursor().Line, page);
    QCOMPARE(list.TopLine(), page);
  }

  void aClickHitsTheGlyphsOfALongLineAndTheScrollBarEndsWithIt() {
    TLineListEdit list;
    QString text;
    for (int i = 0; i < 500; ++i) text += QStringLiteral("10.0.%1.%2, ").arg(i / 256).arg(i % 256);
    ShowList(list, {"short", text.toStdString(), "short"});
    QScrollBar* h = list.horizontalScrollBar();
    const int width = list.fontMetrics().horizontalAdvance(text);
    const int view = list.viewport()->width();
    QVERIFY2(std::abs(h->maximum() - (width - view)) < 16, qPrintable(QString("%1 %2").arg(h->maximum()).arg(width)));
    h->setValue(h->maximum() / 2);
    const int x = 150;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, PointOf(list, 1, x));
    QCOMPARE(list.Cursor().Line, size_t(1));
    const int caretX = list.fontMetrics().horizontalAdvance(text.left(list.Cursor().Column)) - h->value();
    QVERIFY2(std::abs(caretX - x) <= list.fontMetrics().averageCharWidth() * 2,
             qPrintable(QString("%1 %2").arg(caretX).arg(x)));
    // End shows the line's end at the view's right edge, not a blank view.
    QTest::keyClick(&list, Qt::Key_End);
    QCOMPARE(h->value(), h->maximum());
    // The scroll bar follows the widest line when it goes.
    list.SetCursor({1, 0});
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(h->maximum(), 0);
  }

  void tripleClickSelectsALine() {
    TLineListEdit list;
    ShowList(list, {"one", "10.0.0.1, 10.0.0.2", "three"});
    const QPoint at = PointOf(list, 1, 5);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list.SelectedText(), QString("10.0.0.1"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list.SelectedText(), QString("10.0.0.1, 10.0.0.2\n"));
  }

  void draggingPastAnEdgeScrollsTheView() {
    TLineListEdit list;
    ShowList(list, Numbered(10000));
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, PointOf(list, 0));
    MoveWithButton(list.viewport(), QPoint(5, list.viewport()->height() + 40));
    QTest::qWait(500);
    const size_t below = list.Cursor().Line;
    QVERIFY2(below > 30, qPrintable(QString::number(below)));
    QVERIFY(list.TopLine() > 20);
    QCOMPARE(list.Anchor(), TLineListEdit::TPos{});
    MoveWithButton(list.viewport(), QPoint(5, -40));
    QTest::qWait(300);
    QVERIFY(list.Cursor().Line < below);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, QPoint(5, -40));
    const size_t stopped = list.TopLine();
    QTest::qWait(200);
    QCOMPARE(list.TopLine(), stopped);
  }

  void inputMethodsComposeAtTheCaret() {
    TLineListEdit list;
    ShowList(list, {"ab"});
    list.SetCursor({0, 1});
    QVERIFY(list.testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(Query(list, Qt::ImSurroundingText).toString(), QString("ab"));
    QCOMPARE(Query(list, Qt::ImCursorPosition).toInt(), 1);
    const int before = Query(list, Qt::ImCursorRectangle).toRect().x();
    QInputMethodEvent preedit(QString::fromUtf8("\xC2\xB4"), {});
    QApplication::sendEvent(&list, &preedit);
    QCOMPARE(Shown(list), QStringList({"ab"}));
    QVERIFY(Query(list, Qt::ImCursorRectangle).toRect().x() > before);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xC3\xA9"));
    QApplication::sendEvent(&list, &commit);
    QCOMPARE(Shown(list), QStringList({QString::fromUtf8("a\xC3\xA9"
                                                         "b")}));
    QCOMPARE(Query(list, Qt::ImCursorRectangle).toRect().x(),
             list.viewport()->x() + 3 + list.fontMetrics().horizontalAdvance(QString::fromUtf8("a\xC3\xA9")));
    list.SetReadOnly(true);
    QVERIFY(!Query(list, Qt::ImEnabled).toBool());
    QApplication::sendEvent(&list, &commit);
    QCOMPARE(Shown(list), QStringList({QString::fromUtf8("a\xC3\xA9"
                                                         "b")}));
  }

  void aReadOnlyListSaysWhyOnATypingAttempt() {
    TLineListEdit list;
    ShowList(list, {"10.0.0.1"});
    list.setFocus();
    list.SetReadOnly(true, "Busy generating");
    QTest::keyClicks(&list, "x");
    QCOMPARE(Shown(list), QStringList({"10.0.0.1"}));
    QTRY_COMPARE(QToolTip::text(), QString("Busy generating"));
    list.SetReadOnly(false);
    QTest::keyClicks(&list, "x");
    QCOMPARE(Shown(list), QStringList({"x10.0.0.1"}));
  }

  void theKeyboardsMenuOpensAtTheCaret() {
    TLineListEdit list;
    ShowList(list, {"one", "two", "three"});
    list.setFocus();
    list.SetCursor({2, 3});
    QPoint menuAt;
    QTimer::singleShot(0, [&] {
      QWidget* menu = QApplication::activePopupWidget();
      if (menu) {
        menuAt = menu->pos();
        menu->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, list.rect().center(), list.mapToGlobal(list.rect().center()));
    QApplication::sendEvent(list.viewport(), &event);
    const int height = list.fontMetrics().lineSpacing();
    const QPoint caret =
        list.viewport()->mapToGlobal(QPoint(3 + list.fontMetrics().horizontalAdvance("thr"), 3 * height));
    QVERIFY2((menuAt - caret).manhattanLength() <= 2,
             qPrintable(QString("%1,%2 %3,%4").arg(menuAt.x()).arg(menuAt.y()).arg(caret.x()).arg(caret.y())));
  }

  void theSelectionIsDraggedToMoveOrWithCtrlToCopy_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("move down") << int(Qt::MoveAction) << QStringList({"a", "c", "b", "d"});
    QTest::newRow("copy") << int(Qt::CopyAction) << QStringList({"a", "b", "c", "b", "d"});
  }

  void theSelectionIsDraggedToMoveOrWithCtrlToCopy() {
    QFETCH(int, action);
    QFETCH(QStringList, expected);
    TLineListEdit list;
    ShowList(list, {"a", "b", "c", "d"});
    list.SetCursor({1, 0});
    list.SetCursor({2, 0}, true);
    std::unique_ptr<QMimeData> data(list.CreateMimeDataFromSelection());
    QCOMPARE(data->text(), QString("b\n"));
    Drop(list, PointOf(list, 3), Qt::DropAction(action), data.get());
    QCOMPARE(Shown(list), expected);
    QCOMPARE(list.SelectedText(), action == Qt::MoveAction ? QString("b\n") : QString());
    // A move is one step of the history.
    list.Undo();
    QCOMPARE(Shown(list), QStringList({"a", "b", "c", "d"}));
    // A move up, and a drop into the selection that moves nothing.
    list.SetCursor({2, 0});
    list.SetCursor({3, 1}, true);
    data.reset(list.CreateMimeDataFromSelection());
    Drop(list, PointOf(list, 2, 3), Qt::MoveAction, data.get());
    QCOMPARE(Shown(list), QStringList({"a", "b", "c", "d"}));
    Drop(list, PointOf(list, 0), Qt::MoveAction, data.get());
    QCOMPARE(Shown(list), QStringList({"c", "da", "b"}));
    QCOMPARE(list.SelectedText(), QString("c\nd"));
  }

  void assistiveTechnologyReadsLinesCaretAndSelection() {
    TLineListEdit list;
    ShowList(list, {"10.0.0.1",
                    QString::fromUtf8("a\xF0\x9F\x98\x80"
                                      "b")
                        .toStdString(),
                    "10.0.0.2"});
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::EditableText);
    QVERIFY(a->state().editable && a->state().multiLine);
    QAccessibleTextInterface* text = a->textInterface();
    QVERIFY(text);
    // Lines joined by breaks, in UTF-16 units: the emoji counts two.
    QCOMPARE(text->characterCount(), 8 + 1 + 4 + 1 + 8);
    QCOMPARE(a->text(QAccessible::Value), QString::fromUtf8("10.0.0.1\na\xF0\x9F\x98\x80"
                                                            "b\n10.0.0.2"));
    list.SetCursor({2, 3});
    QCOMPARE(text->cursorPosition(), 17);
    int start = 0, end = 0;
    QCOMPARE(text->textAtOffset(17, QAccessible::LineBoundary, &start, &end), QString("10.0.0.2"));
    QCOMPARE(std::make_pair(start, end), std::make_pair(14, 22));
    QCOMPARE(text->textBeforeOffset(17, QAccessible::LineBoundary, &start, &end), QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                                                                    "b"));
    QCOMPARE(text->textAfterOffset(0, QAccessible::LineBoundary, &start, &end), QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                                                                  "b"));
    QCOMPARE(text->textAtOffset(10, QAccessible::CharBoundary, &start, &end), QString::fromUtf8("\xF0\x9F\x98\x80"));
    QCOMPARE(std::make_pair(start, end), std::make_pair(10, 12));
    QCOMPARE(text->textAtOffset(17, QAccessible::CharBoundary, &start, &end), QString("0"));
    list.SetCursor({0, 3});
    list.SetCursor({2, 2}, true);
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    QCOMPARE(text->text(start, end), QString::fromUtf8("0.0.1\na\xF0\x9F\x98\x80"
                                                       "b\n10"));
    text->setSelection(0, 0, 2);
    QCOMPARE(list.SelectedText(), QString("10"));
    QVERIFY(text->characterRect(0).width() > 0);
    QCOMPARE(text->offsetAtPoint(text->characterRect(20).center()), 20);
    // Editing through the interface. (What the list announces reaches no one offscreen: that
    // platform has no accessibility bridge, so QAccessible stays inactive.)
    a->editableTextInterface()->insertText(22, "\n10.0.0.3");
    QCOMPARE(Shown(list).last(), QString("10.0.0.3"));
    a->editableTextInterface()->deleteText(0, 3);
    QCOMPARE(Shown(list).first(), QString("0.0.1"));
    list.SetReadOnly(true);
    QVERIFY(a->state().readOnly && !a->state().editable);
  }

  // Offsets that assistive technology reads stay those of the text as shown after edits anywhere:
  // before the first line changed, across it, and after the lines it added or removed.
  void offsetsFollowEditsInTheMiddle() {
    TTextLines lines = Numbered(300);
    // Lines whose UTF-16 units differ from their bytes, at and around the edges of 64 lines.
    for (size_t i : {5, 63, 64, 130, 199, 257}) lines[i] = "\xC3\xA9t\xF0\x9F\x98\x80";
    TLineListEdit list;
    ShowList(list, lines);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
    QAccessibleTextInterface* text = a->textInterface();
    TRandom random(3);
    const auto selectFrom = [&list](TLineListEdit::TPos From, TLineListEdit::TPos To) {
      list.SetCursor(From);
      list.SetCursor(To, true);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"no edit", [] {}},
        {"typing in line 150",
         [&] {
           list.SetCursor({150, 3});
           list.InsertText(QString::fromUtf8("x\xF0\x9F\x98\x80"));
         }},
        {"a paste with breaks into line 100",
         [&] {
           list.SetCursor({100, 2});
           list.InsertText("a\nb\nc");
         }},
        {"deleting from line 60 to line 200",
         [&] {
           selectFrom({60, 1}, {200, 2});
           list.Delete();
         }},
        {"undo", [&] { list.Undo(); }},
        {"redo", [&] { list.Redo(); }},
        {"joining line 63 with the next",
         [&] {
           list.SetCursor({63, 1000});
           list.Delete();
         }},
        {"lines appended", [&] { list.AppendLines(Numbered(100)); }},
        {"shuffle", [&] { list.Shuffle(random); }},
        {"fewer lines", [&] { list.SetLines(Numbered(10)); }},
    };
    for (const auto& [name, edit] : edits) {
      edit();
      // The plain sum over the text as shown.
      const QStringList shown = a->text(QAccessible::Value).split(QLatin1Char('\n'));
      QVERIFY2(text->characterCount() == int(shown.join(QLatin1Char('\n')).size()), name);
      int start = 0;
      for (size_t i = 0; i < size_t(shown.size()); ++i) {
        const qsizetype length = shown[qsizetype(i)].size();
        for (const qsizetype column : {qsizetype(0), length}) {
          list.SetCursor({i, column});
          QVERIFY2(text->cursorPosition() == start + int(column), name);
          list.SetCursor({});
          text->setCursorPosition(start + int(column));
          QVERIFY2(list.Cursor() == (TLineListEdit::TPos{i, column}), name);
        }
        start += int(length) + 1;
      }
    }
  }

  void thePrimarySelectionFollowsTheSelection() {
    if (!QApplication::clipboard()->supportsSelection()) QSKIP("This platform has no primary selection.");
    TLineListEdit list;
    ShowList(list, {"one", "two"});
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, PointOf(list, 1, 5));
    QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection), QString("two"));
    QTest::mouseClick(list.viewport(), Qt::MiddleButton, {}, PointOf(list, 0, 1));
    QCOMPARE(Shown(list), QStringList({"twoone", "two"}));
  }
};

QTEST_MAIN(LineListEditTest)
#include "line_list_edit_test.moc"
