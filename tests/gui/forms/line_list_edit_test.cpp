// The editable line list: what a user sees after typing, pasting, deleting, undoing and dropping,
// the count it reports, and that painting a million lines reads only the lines in view.
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

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
};

QTEST_MAIN(LineListEditTest)
#include "line_list_edit_test.moc"
