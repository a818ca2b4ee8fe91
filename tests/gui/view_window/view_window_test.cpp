// The file view window on real files: captions, rows and the "..." item, the two tabs, status mode,
// cell line breaks, copying raw lines, counting rows with its abort and its error, the options and
// the row limit, and the database through the main window's road.
#include <functional>

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "common/exception.h"
#include "gui/forms/dialog_hooks.h"
#include "gui/forms/link_label.h"
#include "gui/forms/report_list_view.h"
#include "gui/forms/wait_dialog_box.h"
#include "gui/view_window/view_csv_file_form.h"
#include "gui/view_window/view_files.h"
#include "tests/support/dialog_recorders.h"
#include "tests/support/mnemonics.h"
#include "tests/support/when_modal.h"
#include "tests/textio/test_streams.h"
#include "textio/cached_file_line_reader.h"
#include "viewer/mmdb_meta_reader.h"

using namespace korrin;
using korrin::test::WhenModal;

namespace {

const QString kCity = QStringLiteral(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-City-Test.mmdb");
const QString kFiveLines = QStringLiteral("a,b,c\n1,2,3\n4,5,6\n7,8,9\n10,11,12\n");

using TMessageRecorder = korrin::test::TMessageBoxRecorder;

// Reads text files, but its second reader (the row count's) waits for the wait dialog's abort or
// fails, so that a test can abort a count or see its error however fast the machine is.
class TCountGateClass final : public TLineReaderClass {
 public:
  enum class TMode { Abort, Fail };
  explicit TCountGateClass(TMode Mode) : FMode(Mode) {}
  std::unique_ptr<TLineReader> Create(std::unique_ptr<TStream> Stream, int32_t BufferSize) const override {
    return TCachedFileLineReader::Class().Create(std::move(Stream), BufferSize);
  }
  std::unique_ptr<TLineReader> Create(const std::string& Filename, int32_t BufferSize) const override {
    if (++FCreated > 1) {
      if (FMode == TMode::Fail) throw Exception("Disk gone");
      for (int i = 0; i < 2000 && !TWaitDialogBox::Aborted(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return TCachedFileLineReader::Class().Create(Filename, BufferSize);
  }
  std::unique_ptr<TLineReader> Create(TStringList Lines) const override {
    return TCachedFileLineReader::Class().Create(std::move(Lines));
  }

 private:
  TMode FMode;
  mutable std::atomic<int> FCreated{0};
};

// A viewer shown without its modal loop, so that the test can look at it between steps.
struct TViewer {
  TViewCSVFileForm Form;
  explicit TViewer(const QString& FileName, bool NoHeader = false, const TLineReaderClass* Class = nullptr,
                   bool CellLineBreaks = false) {
    Form.SetCellLineBreaks(CellLineBreaks);
    TViewFileOptions options;
    options.NoHeader = NoHeader;
    options.LineReaderClass = Class;
    Form.Prepare("Test", FileName, options);
    Form.show();
  }
  TListViewEx* Table() { return Form.findChild<TListViewEx*>("SourceView"); }
  TListViewEx* Lines() { return Form.findChild<TListViewEx*>("SourceView2"); }
  QString Label(const char* Name) { return Form.findChild<QLabel*>(Name)->text(); }
  QLabel* FindLabel() { return Form.findChild<QLabel*>("FindLabel"); }
  QPushButton* Button(const char* Name) { return Form.findChild<QPushButton*>(Name); }
  QStringList Captions(TListViewEx* View) {
    QStringList captions;
    for (int i = 0; i < View->ColumnCount(); ++i) captions << View->ColumnCaption(i);
    return captions;
  }
  int Tab() { return Form.findChild<QTabBar*>("SourceTabSet")->currentIndex(); }
  // What Copy would put on the clipboard.
  QString Copied(TListViewEx* View) {
    bool tooLarge = false;
    return Form.SelectedText(View, tooLarge);
  }
  // Ctrl+G, and Row typed into the box it opens.
  void GoToRow(int Row) {
    WhenModal([Row](QWidget* box) {
      box->findChild<QSpinBox*>("InputSpin")->setValue(Row);
      box->findChild<QPushButton*>("OKButton")->click();
    });
    PressOnTheWindow(Qt::Key_G, Qt::ControlModifier);
  }
  // Ctrl+F, and Text typed into the box it opens.
  void Find(const QString& Text) {
    WhenModal([Text](QWidget* box) {
      box->findChild<QLineEdit*>("OptionEdit0")->setText(Text);
      box->findChild<QPushButton*>("OKButton")->click();
    });
    PressOnTheWindow(Qt::Key_F, Qt::ControlModifier);
  }
  // Shortcuts go to the active window, which a closed dialog leaves unset.
  void PressOnTheWindow(Qt::Key Key, Qt::KeyboardModifiers Modifiers) {
    Form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form));
    QTest::keyClick(&Form, Key, Modifiers);
  }
};

}  // namespace

class ViewWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir FDir;

  QString Write(const QString& Name, const QByteArray& Text) {
    const QString path = FDir.filePath(Name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(Text);
    return path;
  }

  // More rows than the list's window holds, written as an export writes them (CR LF, values
  // quoted only where they must be), so that an export compares byte for byte with the source.
  static constexpr int kLongRows = TListViewEx::kWindowRows + 40000;
  QByteArray LongRow(int Row) {
    if (Row % 1000 == 0) return QByteArray::number(Row) + ",\"a,b \"\"q\"\"\"\r\n";
    return QByteArray::number(Row) + (Row % 30011 == 0 ? ",needle" : ",row") + "\r\n";
  }
  QString LongFile() {
    QByteArray text = "n,text\r\n";
    for (int i = 1; i <= kLongRows; ++i) text += LongRow(i);
    return Write("long.csv", text);
  }
  // The long file shown whole, once its index has counted every row.
  void ShowWhole(TViewer& v) {
    QTRY_COMPARE(v.Label("RowsLabel"), QLocale(QLocale::English).toString(kLongRows));
    emit v.Table()->activated(v.Table()->model()->index(1000, 0));
    QCOMPARE(v.Table()->ItemCount(), kLongRows);
  }
  static QByteArray ReadFile(const QString& Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  }
  static void Select(TListViewEx* View, int First, int Last) {
    const QModelIndex first = View->ItemIndex(First);
    View->selectionModel()->select(QItemSelection(first, View->model()->index(first.row() + Last - First, 0)),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  QString ManyLines(int DataLines) {
    QByteArray text = "n,square\n";
    for (int i = 1; i <= DataLines; ++i) text += QByteArray::number(i) + "," + QByteArray::number(i * i) + "\n";
    return Write(QString("lines%1.csv").arg(DataLines), text);
  }

 private slots:
  void header_data() {
    QTest::addColumn<bool>("noHeader");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<QStringList>("lastRow");
    QTest::addColumn<QString>("lineCaption");
    QTest::addColumn<QStringList>("firstLine");
    QTest::newRow("first line is the header")
        << false << QStringList{"#", "a", "b", "c"} << "4" << QStringList{"1", "1", "2", "3"}
        << QStringList{"4", "10", "11", "12"} << "a,b,c" << QStringList{"1", "1,2,3"};
    QTest::newRow("No Header") << true << QStringList{"#", "Column 1", "Column 2", "Column 3"} << "5"
                               << QStringList{"1", "a", "b", "c"} << QStringList{"5", "10", "11", "12"} << "Line"
                               << QStringList{"1", "a,b,c"};
  }
  void header() {
    QFETCH(bool, noHeader);
    QFETCH(QStringList, captions);
    QFETCH(QString, rows);
    QFETCH(QStringList, firstRow);
    QFETCH(QStringList, lastRow);
    QFETCH(QString, lineCaption);
    QFETCH(QStringList, firstLine);
    TViewer v(Write("five.csv", kFiveLines.toUtf8()), noHeader);
    QCOMPARE(v.Captions(v.Table()), captions);
    QCOMPARE(v.Table()->header()->sectionSize(0), 60);
    QCOMPARE(v.Label("RowsLabel"), rows);
    QCOMPARE(v.Table()->ItemCount(), rows.toInt());
    QCOMPARE(v.Table()->ItemCells(0), firstRow);
    QCOMPARE(v.Table()->ItemCells(rows.toInt() - 1), lastRow);
    QCOMPARE(v.Lines()->ItemCount(), rows.toInt());
    QCOMPARE(v.Lines()->ColumnCaption(1), lineCaption);
    QCOMPARE(v.Lines()->ItemCells(0), firstLine);
    QVERIFY(!v.Button("CountRowsButton")->isVisible());
    QCOMPARE(v.Tab(), 0);
    QVERIFY(v.Table()->isVisible());

    // Toggling the check box reloads the other way round.
    v.Form.findChild<QCheckBox*>("NoHeaderCheckBox")->click();
    QCOMPARE(v.Table()->ItemCount(), noHeader ? 4 : 5);
  }

  void columnWidthsFollowTheValues() {
    TViewer v(Write("wide.csv", "x,y,z\n1," + QByteArray(400, 'w') + ",2\n"));
    QCOMPARE(v.Form.PreviewColumnWidths().size(), size_t{3});
    QVERIFY(v.Form.PreviewColumnWidths()[0] >= 50 && v.Form.PreviewColumnWidths()[0] < 100);
    QCOMPARE(v.Form.PreviewColumnWidths()[1], 300);
    QCOMPARE(v.Table()->header()->sectionSize(2), 300);
    // The last column takes the free space up to the view's edge.
    QHeaderView* header = v.Table()->header();
    QTRY_COMPARE(header->sectionViewportPosition(3) + header->sectionSize(3), v.Table()->viewport()->width());
  }

  void moreLinesThanTheLimitThenCounted() {
    TViewer v(ManyLines(1500));
    QCOMPARE(v.Label("RowsLabel"), QString("1,000+"));
    QCOMPARE(v.Label("MaxRowsLabel"), QString("1,000"));
    QCOMPARE(v.Table()->ItemCount(), 1001);
    QCOMPARE(v.Table()->ItemCells(999), (QStringList{"1000", "1000", "1000000"}));
    QCOMPARE(v.Table()->ItemCells(1000), QStringList{"..."});
    QCOMPARE(v.Lines()->ItemCells(1000), QStringList{"..."});
    QVERIFY(v.Button("CountRowsButton")->isVisible());
    v.Button("CountRowsButton")->click();
    QCOMPARE(v.Form.Rows(), 1500);
    QCOMPARE(v.Label("RowsLabel"), QString("1,500"));
    QVERIFY(!v.Button("CountRowsButton")->isVisible());
  }

  void dataRowsFillingTheLimitAreNotTheEnd() {
    TViewer v(ManyLines(1000));
    QCOMPARE(v.Label("RowsLabel"), QString("1,000+"));
    QCOMPARE(v.Table()->ItemCells(1000), QStringList{"..."});
  }

  void abortedCountLeavesTheLabel() {
    TMessageRecorder boxes;
    const TCountGateClass gate(TCountGateClass::TMode::Abort);
    TViewer v(ManyLines(1500), false, &gate);
    WhenModal([](QWidget* dialog) { dialog->findChild<QPushButton*>("AbortButton")->click(); }, &v.Form);
    v.Button("CountRowsButton")->click();
    QCOMPARE(v.Form.Rows(), -1);
    QCOMPARE(v.Label("RowsLabel"), QString("1,000+"));
    QVERIFY(v.Button("CountRowsButton")->isVisible());
    QVERIFY(boxes.Shown.empty());
  }

  void countErrorNamesTheExceptionAndTheModule() {
    TMessageRecorder boxes;
    const TCountGateClass gate(TCountGateClass::TMode::Fail);
    TViewer v(ManyLines(1500), false, &gate);
    v.Button("CountRowsButton")->click();
    QCOMPARE(boxes.Shown.size(), size_t{1});
    QCOMPARE(boxes.Shown[0].Kind, TMessageKind::mkError);
    QCOMPARE(boxes.Shown[0].Title, QString("Count Rows"));
    QCOMPARE(boxes.Shown[0].Text, QString("Exception korrin::Exception in module view_window_tests.\nDisk gone."));
    QCOMPARE(v.Label("RowsLabel"), QString("1,000+"));
  }

  void reportTextIsBounded() {
    const Exception e(std::string(5000, 'x'));
    const QString text = ExceptionReportText(e, "korrin");
    QCOMPARE(text.size(), 1023);
    QVERIFY(text.startsWith("Exception korrin::Exception in module korrin.\nxxx"));
    QCOMPARE(ExceptionReportText(Exception("Done."), "m"), QString("Exception korrin::Exception in module m.\nDone."));
  }

  // Each button and check box of the window has its own Alt key.
  void everyButtonHasAnAltKeyOfItsOwn() {
    TViewer v(FDir.filePath("missing.csv"));
    const QStringList repeated = test::RepeatedMnemonics(&v.Form);
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join("; ")));
    for (QAbstractButton* b : v.Form.findChildren<QAbstractButton*>())
      if (!b->text().isEmpty() && !qobject_cast<QTabBar*>(b->parentWidget()))
        QVERIFY2(!test::MnemonicOf(b->text()).isNull(), qPrintable(b->text()));
  }

  void missingFileShowsItsStatusInBothTabs() {
    const QString missing = FDir.filePath("missing.csv");
    TViewer v(missing);
    const QString status = QString("File \"%1\" does not exist.").arg(missing);
    QCOMPARE(v.Captions(v.Table()), QStringList{"Status"});
    QCOMPARE(v.Table()->ItemCount(), 1);
    QCOMPARE(v.Table()->ItemCells(0), QStringList{status});
    QCOMPARE(v.Lines()->ItemCount(), 1);
    QCOMPARE(v.Lines()->ItemCells(0), (QStringList{"", status}));
    QCOMPARE(v.Lines()->ColumnCaption(1), QString("Status"));
    QCOMPARE(v.Lines()->header()->sectionSize(0), 0);
    QCOMPARE(v.Label("RowsLabel"), QString("0"));
    v.Table()->SelectAll();
    QCOMPARE(v.Copied(v.Table()), QString());
  }

  void unreadableDatabaseShowsTheReadersMessage() {
    TViewer v(QStringLiteral(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-City-Test-Invalid-Node-Count.mmdb"), true,
              &TLineReaderClassOf<TMMDBMetaReader>::Instance());
    QCOMPARE(v.Captions(v.Table()), QStringList{"Status"});
    QVERIFY(!v.Table()->ItemCells(0).value(0).isEmpty());
    QCOMPARE(v.Lines()->ItemCells(0).value(1), v.Table()->ItemCells(0).value(0));
  }

  void emptyFileShowsNoRows() {
    TViewer v(Write("empty.csv", ""));
    QCOMPARE(v.Table()->ItemCount(), 0);
    QCOMPARE(v.Lines()->ItemCount(), 0);
    QCOMPARE(v.Label("RowsLabel"), QString("0"));
    QCOMPARE(v.Captions(v.Table()), QStringList{"#"});
  }

  void textNamesOpenOnTheTextTab_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::newRow(".txt") << "notes.txt" << 1;
    QTest::newRow(".TXT") << "NOTES.TXT" << 1;
    QTest::newRow(".csv") << "notes.csv" << 0;
  }
  void textNamesOpenOnTheTextTab() {
    QFETCH(QString, name);
    QFETCH(int, tab);
    TViewer v(Write(name, kFiveLines.toUtf8()));
    QCOMPARE(v.Tab(), tab);
    QCOMPARE(v.Lines()->isVisible(), tab == 1);
    QCOMPARE(v.Table()->isVisible(), tab == 0);
  }

  void cellLineBreaksJoinAQuotedField_data() {
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("cell");
    QTest::newRow("as in the file") << false << "first\nsecond";
    QTest::newRow("replaced") << true << "first | second";
  }
  void cellLineBreaksJoinAQuotedField() {
    QFETCH(bool, replace);
    QFETCH(QString, cell);
    TViewer v(Write("breaks.csv", "id,note\n1,\"first\nsecond\"\n2,x\n"), false, nullptr, !replace);
    if (replace) {
      // Through the options box, as the user sets them.
      WhenModal([](QWidget* box) {
        box->findChild<QCheckBox*>("Option0")->setChecked(true);
        box->findChild<QCheckBox*>("Option1")->setChecked(true);
        box->findChild<QLineEdit*>("OptionEdit1")->setText(" | ");
        box->findChild<QPushButton*>("OKButton")->click();
      });
      v.Form.findChild<QToolButton*>("OptionsButton")->click();
      QVERIFY(v.Form.CellLineBreaks());
      QVERIFY(v.Form.ReplaceLineBreaks());
    }
    QCOMPARE(v.Table()->ItemCount(), 2);
    QCOMPARE(v.Table()->ItemCells(0), (QStringList{"1", "1", cell}));
    QCOMPARE(v.Table()->ItemCells(1), (QStringList{"2", "2", "x"}));
    QCOMPARE(v.Lines()->ItemCount(), 3);
    QCOMPARE(v.Lines()->ItemCells(1), (QStringList{"2", "second\""}));
    // Records, not lines.
    QCOMPARE(v.Label("RowsLabel"), QString("2"));
    // The table's Copy takes the values of the selected rows, tab-separated, a value with a line
    // break quoted; the text's Copy takes the raw lines.
    v.Table()->setCurrentIndex(v.Table()->model()->index(1, 0));
    QCOMPARE(v.Copied(v.Table()), QString("2\tx"));
    v.Table()->SelectAll();
    QCOMPARE(v.Copied(v.Table()),
             replace ? QString("1\tfirst | second\r\n2\tx") : QString("1\t\"first\nsecond\"\r\n2\tx"));
    v.Lines()->SelectAll();
    QCOMPARE(v.Copied(v.Lines()), QString("1,\"first\r\nsecond\"\r\n2,x"));
  }

  void extraColumnsBeyondTheHeader() {
    TViewer v(Write("extra.csv", "a,b\n1,2\n3,4,5,6\n"));
    QCOMPARE(v.Captions(v.Table()), (QStringList{"#", "a", "b", "Column 3", "Column 4"}));
    // Asked for after a shorter row, as the view asks while it paints.
    QCOMPARE(v.Table()->ItemCells(0), (QStringList{"1", "1", "2"}));
    QCOMPARE(v.Table()->ItemCells(1), (QStringList{"2", "3", "4", "5", "6"}));
  }

  void copyPutsTheSelectedRawLinesOnTheClipboard() {
    TViewer v(Write("copy.csv", "a;b\n1;\"x\"\n2;y\n3;z\n"));
    QItemSelectionModel* selection = v.Lines()->selectionModel();
    for (int row : {2, 0})
      selection->select(v.Lines()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    auto* copy = v.Lines()->findChild<QAction*>("Copy2");
    QCOMPARE(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("1;\"x\"\r\n3;z"));
    v.Table()->selectionModel()->select(v.Table()->model()->index(1, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    v.Table()->findChild<QAction*>("Copy1")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("2\ty"));
  }

  void rowLimitLinkReloads() {
    TViewer v(Write("limit.csv", kFiveLines.toUtf8()));
    WhenModal([](QWidget* box) {
      box->findChild<QSpinBox*>("InputSpin")->setValue(2);
      box->findChild<QPushButton*>("OKButton")->click();
    });
    QTest::mouseClick(v.Form.findChild<TLabelEx*>("MaxRowsLabel"), Qt::LeftButton);
    QCOMPARE(v.Form.PreviewMaxLines(), 2);
    QCOMPARE(v.Label("MaxRowsLabel"), QString("2"));
    QCOMPARE(v.Label("RowsLabel"), QString("2+"));
    QCOMPARE(v.Table()->ItemCells(2), QStringList{"..."});
  }

  // Past the row limit: the "..." item shows every row through the index, Go to Row and Find
  // reach the last rows, and the status bar tells the encoding.
  void everyRowIsReachable() {
    TViewer v(ManyLines(5000));
    QCOMPARE(v.Label("EncodingLabel"), QString("UTF-8"));
    QTRY_COMPARE(v.Label("RowsLabel"), QString("5,000"));
    QCOMPARE(v.Table()->ItemCells(1000), QStringList{"..."});
    v.Table()->scrollToBottom();
    QTest::mouseClick(v.Table()->viewport(), Qt::LeftButton, {},
                      v.Table()->visualRect(v.Table()->model()->index(1000, 0)).center());
    QCOMPARE(v.Table()->ItemCount(), 5000);
    QCOMPARE(v.Table()->ItemCells(4999), (QStringList{"5000", "5000", "25000000"}));
    QCOMPARE(v.Lines()->ItemCount(), 5000);
    QCOMPARE(v.Lines()->ItemCells(3999), (QStringList{"4000", "4000,16000000"}));

    v.GoToRow(4321);
    QCOMPARE(v.Table()->currentIndex().row(), 4320);

    // 4999 squared is the last row's own; 999 squared ends with "001" as 4999's square does not.
    v.Find("24990001");
    QTRY_COMPARE(v.Label("FindLabel"), QString("1 match"));
    QCOMPARE(v.Table()->currentIndex().row(), 4998);
    // The only match is the current row: going back passes the start and finds it again.
    v.PressOnTheWindow(Qt::Key_F3, Qt::ShiftModifier);
    QTRY_COMPARE(v.Label("FindLabel"), QString("Passed the start: went on from the end"));
    QCOMPARE(v.Table()->currentIndex().row(), 4998);
  }

  // More rows than the list's window: the last ones are reached by the keys, Go to Row and Find.
  void rowsBeyondTheListsWindowAreReachable() {
    const int rows = TListViewEx::kWindowRows + 40000;
    QByteArray text = "n,text\n";
    for (int i = 1; i < rows; ++i) text += QByteArray::number(i) + ",row\n";
    text += QByteArray::number(rows) + ",needle\n";
    TViewer v(Write("window.csv", text));
    QTRY_COMPARE(v.Label("RowsLabel"), QLocale(QLocale::English).toString(rows));
    emit v.Table()->activated(v.Table()->model()->index(1000, 0));
    QCOMPARE(v.Table()->ItemCount(), rows);
    v.Table()->setFocus();
    QTest::keyClick(v.Table(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(v.Table()->model()->data(v.Table()->currentIndex()).toString(), QString::number(rows));
    QCOMPARE(v.Table()->ItemOf(v.Table()->currentIndex()), rows - 1);
    QTest::keyClick(v.Table(), Qt::Key_Home, Qt::ControlModifier);

    v.GoToRow(rows - 5);
    QCOMPARE(v.Table()->ItemOf(v.Table()->currentIndex()), rows - 6);
    QCOMPARE(v.Table()->ItemCells(rows - 6),
             (QStringList{QString::number(rows - 5), QString::number(rows - 5), "row"}));

    QTest::keyClick(v.Table(), Qt::Key_Home, Qt::ControlModifier);
    v.Find("needle");
    QTRY_COMPARE(v.Label("FindLabel"), QString("1 match"));
    QCOMPARE(v.Table()->ItemOf(v.Table()->currentIndex()), rows - 1);
  }

  // A reader is told of every row of a long file, not of the list's window, and reads any cell.
  void theAccessibleTableHoldsEveryRow() {
    TViewer v(LongFile());
    ShowWhole(v);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(v.Table());
    QVERIFY(table);
    QCOMPARE(table->role(), QAccessible::Table);
    QAccessibleTableInterface* rows = table->tableInterface();
    QVERIFY(rows);
    QCOMPARE(rows->rowCount(), kLongRows);
    QCOMPARE(rows->columnCount(), 3);
    QCOMPARE(rows->columnDescription(1), QString("n"));
    const struct {
      int Row, Column;
      QString Text;
    } cells[] = {
        {0, 2, "row"},
        {kLongRows - 1, 1, QString::number(kLongRows)},
        {TListViewEx::kWindowRows + 5, 1, QString::number(TListViewEx::kWindowRows + 6)},
        {98999, 2, "a,b \"q\""},  // row 99000, past the window
    };
    for (const auto& cell : cells) {
      QAccessibleInterface* at = rows->cellAt(cell.Row, cell.Column);
      QVERIFY(at);
      QCOMPARE(at->text(QAccessible::Name), cell.Text);
      QCOMPARE(at->tableCellInterface()->rowIndex(), cell.Row);
    }
    QVERIFY(!rows->cellAt(kLongRows, 0));
    // A reader walking the whole list leaves no cell behind for every row it passed.
    const QAccessible::Id first = QAccessible::uniqueId(rows->cellAt(1, 1));
    for (int row = 2; row < 5000; ++row) rows->cellAt(row, 1);
    QVERIFY(!QAccessible::accessibleInterface(first));

    // The view's events number a cell as the tree view's own table does: a row of headers, then
    // the rows of its window. A reader told of the focused cell hears the row the user moved to.
    v.Table()->setFocus();
    QTest::keyClick(v.Table(), Qt::Key_End, Qt::ControlModifier);
    const QModelIndex current = v.Table()->currentIndex();
    QVERIFY(current.row() > 0);
    QAccessibleInterface* focused = table->child((current.row() + 1) * rows->columnCount() + current.column());
    QVERIFY(focused);
    QCOMPARE(focused->text(QAccessible::Name), QString::number(kLongRows));
    QCOMPARE(table->indexOfChild(focused), (current.row() + 1) * rows->columnCount() + current.column());
  }

  // A new export renamed over the file shown: Find searches the file whose rows are shown, not the
  // new one, and the window says that the file changed and offers to read it again.
  void aFileRenamedOverTheShownOneIsNoticed() {
    const QString shown = Write("shown.csv", kFiveLines.toUtf8());
    TViewer v(shown);
    QTRY_COMPARE(v.Label("RowsLabel"), QString("4"));
    TMessageRecorder boxes;
    boxes.Answer = false;
    const QString next = Write("next.csv", "a,b,c\n7,8,9\n");
    QCOMPARE(std::rename(next.toLocal8Bit().constData(), shown.toLocal8Bit().constData()), 0);
    v.Find("7,8,9");
    QTRY_COMPARE(v.Label("FindLabel"), QString("1 match"));
    QCOMPARE(v.Table()->currentIndex().row(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown.size(), size_t{1}, 5000);
    QVERIFY(boxes.Shown[0].Text.contains("has changed since it was opened"));
    QCOMPARE(v.Label("RowsLabel"), QString("4"));  // declined: the rows shown stay

    boxes.Answer = true;
    QVERIFY(QFile::resize(shown, 6));  // "a,b,c\n": a file cut short is noticed too
    v.Button("RefreshSourceViewButton")->click();
    QTRY_COMPARE(v.Label("RowsLabel"), QString("0"));
    QFile grown(shown);
    QVERIFY(grown.open(QIODevice::Append));
    grown.write("1,2,3\n4,5,6\n");
    grown.close();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown.size(), size_t{2}, 5000);
    QTRY_COMPARE(v.Label("RowsLabel"), QString("2"));  // read again as the user agreed
  }

  // Copy takes the selected rows wherever they lie: past the preview, on both sides of the list's
  // window, as values in the table and as raw lines in the text.
  void copyTakesTheSelectedRowsWhereverTheyAre() {
    TViewer v(LongFile());
    ShowWhole(v);
    const QString tail = QString::number(kLongRows - 1) + "\trow\r\n" + QString::number(kLongRows) + "\trow";
    Select(v.Table(), kLongRows - 2, kLongRows - 1);
    QCOMPARE(v.Copied(v.Table()), tail);
    // Back at the start the rows at the end lie outside the list's window; they still count.
    Select(v.Table(), 999, 1000);
    QCOMPARE(v.Copied(v.Table()), "1000\t\"a,b \"\"q\"\"\"\r\n1001\trow\r\n" + tail);
    v.Table()->findChild<QAction*>("Copy1")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), v.Copied(v.Table()));
    Select(v.Lines(), 69999, 70000);
    QCOMPARE(v.Copied(v.Lines()), QString("70000,\"a,b \"\"q\"\"\"\r\n70001,row"));
  }

  // Ctrl+A over more text than the clipboard's bound offers an export, which writes every row.
  void ctrlAPastTheClipboardsBoundOffersTheExport() {
    const QString source = LongFile();
    const QString target = FDir.filePath("all.csv");
    TViewer v(source);
    ShowWhole(v);
    v.Form.SetMaxCopyBytes(1000);
    const QString before = QGuiApplication::clipboard()->text();
    TMessageRecorder messages;
    korrin::test::TFileDialogRecorder dialogs({target});
    v.Table()->setFocus();
    QTest::keyClick(v.Table(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(v.Table()->SelectedRanges().size(), size_t{1});
    QTest::keyClick(v.Table(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(messages.Texts(), QStringList{"The selection holds more than 0 MB of text, too much for the clipboard. "
                                           "Export it to a file instead?"});
    QCOMPARE(QGuiApplication::clipboard()->text(), before);
    QCOMPARE(dialogs.Last().Kind, TFileDialogKind::fdSaveFile);
    QCOMPARE(ReadFile(target), ReadFile(source));
  }

  void exportWritesTheSelectionOrTheWholeFile_data() {
    QTest::addColumn<bool>("selection");
    QTest::addColumn<QString>("name");
    QTest::newRow("whole file, CSV") << false << "whole.csv";
    QTest::newRow("selection, CSV") << true << "part.csv";
    QTest::newRow("whole file, tab-separated") << false << "whole.tsv";
  }
  void exportWritesTheSelectionOrTheWholeFile() {
    QFETCH(bool, selection);
    QFETCH(QString, name);
    const QString source = LongFile();
    const QString target = FDir.filePath(name);
    TViewer v(source);
    ShowWhole(v);
    korrin::test::TFileDialogRecorder dialogs({target});
    QByteArray expected;
    if (selection) {
      Select(v.Table(), 4, 5);
      Select(v.Table(), 69999, 70000);
      expected = "n,text\r\n" + LongRow(5) + LongRow(6) + LongRow(70000) + LongRow(70001);
      v.Table()->findChild<QAction*>("ExportSelection1")->trigger();
    } else {
      // From either tab: the table's values.
      v.Form.findChild<QTabBar*>("SourceTabSet")->setCurrentIndex(1);
      expected = ReadFile(source);
      v.Button("ExportButton")->click();
    }
    if (name.endsWith(".tsv"))
      expected.replace(",\"a,b \"\"q\"\"\"", "\t\"a,b \"\"q\"\"\"")
          .replace(",row", "\trow")
          .replace(",needle", "\tneedle")
          .replace("n,text", "n\ttext");
    QCOMPARE(ReadFile(target), expected);
  }

  // The text tab's items are lines, which are not the table's records where a value spans lines:
  // its selection exports the lines selected, as values.
  void exportOfTheTextTabsSelectionWritesTheSelectedLines() {
    TViewer v(Write("breaks.csv", "id,note\n1,\"first\nsecond\"\n2,x\n"), false, nullptr, true);
    const QString target = FDir.filePath("lines.csv");
    korrin::test::TFileDialogRecorder dialogs({target});
    QCOMPARE(v.Lines()->ItemCount(), 3);
    Select(v.Lines(), 2, 2);
    v.Lines()->findChild<QAction*>("ExportSelection2")->trigger();
    QCOMPARE(ReadFile(target), QByteArray("id,note\r\n2,x\r\n"));
  }

  // A file cut short after its rows were counted: the whole-file export says so instead of writing
  // fewer rows, and the file exported to stays as it was.
  void aWholeFileExportOfAFileCutShortSaysSoAndKeepsTheOldFile() {
    const QString source = LongFile();
    const QString target = Write("kept.csv", "old");
    TViewer v(source);
    ShowWhole(v);
    TMessageRecorder boxes;
    boxes.Answer = false;  // should the window offer to read the file again meanwhile, the rows stay
    korrin::test::TFileDialogRecorder dialogs({target});
    QVERIFY(QFile::resize(source, QByteArray("n,text\r\n" + LongRow(1) + LongRow(2)).size()));
    v.Button("ExportButton")->click();
    QVERIFY2(boxes.Texts().contains(QString("\"%1\" ended after 2 of its %2 rows: the file changed while it was "
                                            "being exported. Nothing was exported; reload the file and export again.")
                                        .arg(source, QLocale(QLocale::English).toString(kLongRows))),
             qPrintable(boxes.Texts().join('\n')));
    QCOMPARE(ReadFile(target), QByteArray("old"));
  }

  // A file changed after its rows were counted: Copy says so instead of copying fewer rows or rows
  // of another version, and the clipboard keeps what it held.
  void copyOfAFileChangedSinceShownSaysSo_data() {
    QTest::addColumn<bool>("cut");
    QTest::newRow("cut short") << true;
    QTest::newRow("written over in place") << false;
  }
  void copyOfAFileChangedSinceShownSaysSo() {
    QFETCH(bool, cut);
    const QString source = LongFile();
    TViewer v(source);
    ShowWhole(v);
    TMessageRecorder boxes;
    boxes.Answer = false;  // should the window offer to read the file again meanwhile, the rows stay
    const QString before = QGuiApplication::clipboard()->text();
    QString expected;
    if (cut) {
      QVERIFY(QFile::resize(source, QByteArray("n,text\r\n" + LongRow(1) + LongRow(2)).size()));
      Select(v.Table(), kLongRows - 2, kLongRows - 1);
      expected = QString("Row %1 could not be read: the file has changed since it was shown.").arg(kLongRows - 1);
    } else {
      QFile file(source);
      QVERIFY(file.open(QIODevice::ReadWrite));
      const QDateTime time = file.fileTime(QFileDevice::FileModificationTime);
      QVERIFY(file.seek(40) && file.write("X") == 1);
      QVERIFY(file.setFileTime(time.addSecs(1), QFileDevice::FileModificationTime));
      file.close();
      Select(v.Table(), 4, 5);
      expected = "\"" + source + "\" was written over in place since it was shown.";
    }
    v.Table()->findChild<QAction*>("Copy1")->trigger();
    expected += " Nothing was copied; reload the file and copy again.";
    QVERIFY2(boxes.Texts().contains(expected), qPrintable(boxes.Texts().join('\n')));
    QCOMPARE(QGuiApplication::clipboard()->text(), before);
  }

  // A file the system stops reading: the window gives the reason instead of a shorter file.
  void aReadErrorShowsItsReason() {
    {
      // Unmapped memory, which fails at its first read.
      TViewer v("/proc/self/mem");
      QCOMPARE(v.Table()->ItemCells(0), QStringList{"Cannot read /proc/self/mem. Input/output error"});
    }
    // After the file was shown: the rows not read yet, Copy and Export.
    const QString source = LongFile();
    const QString target = Write("kept.csv", "old");
    TViewer v(source);
    ShowWhole(v);
    QVERIFY(korrin::test::BreakReadsOf(source.toStdString()) >= 1);
    const QString reason = "Cannot read " + source + ". Bad file descriptor";
    const int item = kLongRows / 32 + 500;  // between the rows the window measured
    QCOMPARE(v.Table()->ItemCells(item), (QStringList{QString::number(item + 1), reason}));
    TMessageRecorder boxes;
    Select(v.Table(), item, item + 1);
    v.Table()->findChild<QAction*>("Copy1")->trigger();
    korrin::test::TFileDialogRecorder dialogs({target});
    v.Button("ExportButton")->click();
    QCOMPARE(boxes.Texts(), (QStringList{reason, reason + ". Nothing was exported."}));
    QCOMPARE(ReadFile(target), QByteArray("old"));
  }

  // F3 and Shift+F3 go on from the current row in their direction and wrap at the ends, saying so.
  void findNextAndPreviousGoOnFromTheCurrentRow() {
    TViewer v(LongFile());
    ShowWhole(v);
    const int first = 30011, second = 60022, third = 90033;  // the rows holding "needle"
    v.Find("NEEDLE");
    QTRY_COMPARE(v.Label("FindLabel"), QString("3 matches"));
    const auto at = [&] { return v.Table()->ItemOf(v.Table()->currentIndex()) + 1; };
    QCOMPARE(at(), first);
    v.GoToRow(70000);
    const struct {
      bool Backward;
      int Row;
      const char* Label;
    } steps[] = {{false, third, "3 matches"},
                 {false, first, "Passed the end: went on from the start"},
                 {true, third, "Passed the start: went on from the end"},
                 {true, second, "3 matches"},
                 {true, first, "3 matches"}};
    for (const auto& step : steps) {
      v.FindLabel()->clear();
      v.PressOnTheWindow(Qt::Key_F3, step.Backward ? Qt::ShiftModifier : Qt::NoModifier);
      QTRY_COMPARE(v.Label("FindLabel"), QString(step.Label));
      QCOMPARE(at(), step.Row);
    }
  }

  // Ctrl+F puts the focus in the search text: typing and Return search.
  void findStartsInItsText() {
    TViewer v(ManyLines(5000));
    QString focused;
    WhenModal([&focused](QWidget* box) {
      QWidget* focus = box->focusWidget();
      focused = focus ? focus->objectName() : QString();
      if (auto* edit = qobject_cast<QLineEdit*>(focus)) {
        QTest::keyClicks(edit, "24990001");
        QTest::keyClick(edit, Qt::Key_Return);
      } else {
        box->findChild<QPushButton*>("CancelButton")->click();
      }
    });
    v.PressOnTheWindow(Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(focused, QString("OptionEdit0"));
    QTRY_COMPARE(v.Label("FindLabel"), QString("1 match"));
    QCOMPARE(v.Table()->ItemOf(v.Table()->currentIndex()), 4998);
  }

  void ctrlTabAndCtrlPageDownSwitchTheTabs_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("back");
    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::Key_Backtab);
    QTest::newRow("Ctrl+PgDn") << int(Qt::Key_PageDown) << int(Qt::Key_PageUp);
  }
  void ctrlTabAndCtrlPageDownSwitchTheTabs() {
    QFETCH(int, key);
    QFETCH(int, back);
    TViewer v(ManyLines(3));
    QCOMPARE(v.Tab(), 0);
    v.PressOnTheWindow(Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(v.Tab(), 1);
    QVERIFY(v.Lines()->isVisible());
    v.PressOnTheWindow(Qt::Key(back),
                       back == Qt::Key_Backtab ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
    QCOMPARE(v.Tab(), 0);
  }

  // The whole file's columns are as wide as its rows far down need, not only its first rows.
  void wholeFileColumnsFitTheRowsFarDown() {
    QByteArray text = "n,value,end\n";
    for (int i = 1; i <= 3000; ++i) text += QByteArray::number(i) + "," + QByteArray(i > 2000 ? 40 : 2, 'x') + ",e\n";
    TViewer v(Write("grows.csv", text));
    QTRY_COMPARE(v.Label("RowsLabel"), QString("3,000"));
    const int wide = QFontMetrics(v.Form.font()).horizontalAdvance(QString(40, 'x'));
    QVERIFY(v.Table()->header()->sectionSize(2) < wide);
    emit v.Table()->activated(v.Table()->model()->index(1000, 0));
    QVERIFY(v.Table()->header()->sectionSize(2) >= wide);
  }

  // "View..." opens viewers beside the main window, which stays usable.
  void viewersFromTheMainWindowAreModeless() {
    QWidget owner;
    owner.show();
    ViewMMDBFile(kCity, &owner);
    ViewMMDBFile(kCity, &owner);
    // The viewer has no meta-object of its own: its windows are told apart by their type.
    const auto viewersOf = [](QWidget& Owner) {
      QList<TViewCSVFileForm*> viewers;
      for (QWidget* child : Owner.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (auto* viewer = dynamic_cast<TViewCSVFileForm*>(child)) viewers << viewer;
      return viewers;
    };
    const QList<TViewCSVFileForm*> viewers = viewersOf(owner);
    QCOMPARE(viewers.size(), 2);
    for (TViewCSVFileForm* viewer : viewers) {
      QVERIFY(viewer->isVisible());
      QVERIFY(viewer->isWindow());
      QCOMPARE(viewer->windowModality(), Qt::NonModal);
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    for (TViewCSVFileForm* viewer : viewers) viewer->close();
    QTRY_COMPARE(viewersOf(owner).size(), qsizetype{0});
  }

  void tabSeparatedFilesSplit() {
    TViewer v(Write("tabs.tsv", "a\tb\n1\t2\n"));
    QCOMPARE(v.Captions(v.Table()), (QStringList{"#", "a", "b"}));
    QCOMPARE(v.Table()->ItemCells(0), (QStringList{"1", "1", "2"}));
  }

  void openFileReadsTheChosenFile() {
    const QString other = Write("other.csv", "x\n1\n");
    TViewer v(Write("first.csv", kFiveLines.toUtf8()));
    korrin::test::TFileDialogRecorder dialogs({other});
    v.Button("OpenFileButton")->click();
    QCOMPARE(dialogs.Last().Filter, QString("CSV files (*.csv);;Text files (*.txt);;All files (*)"));
    QCOMPARE(v.Form.windowTitle(), other + " - Test");
    QCOMPARE(v.Captions(v.Table()), (QStringList{"#", "x"}));
  }

  void labelsShowTheirWholeText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pointSize");  // 0: the default font
    for (const char* text : {"Read Time (sec.):", "Max. View Rows:", "Rows:"})
      for (int pointSize : {0, 12}) QTest::addRow("%s %d pt", text, pointSize) << QString::fromUtf8(text) << pointSize;
  }
  void labelsShowTheirWholeText() {
    QFETCH(QString, text);
    QFETCH(int, pointSize);
    TViewCSVFileForm form;
    if (pointSize) {
      QFont font = form.font();
      font.setPointSize(pointSize);
      form.setFont(font);
    }
    // A database is read in the background: the labels keep the texts set before the window showed.
    form.Prepare("GeoIP2 MMDB", kCity,
                 {.NoHeader = true, .LineReaderClass = &TLineReaderClassOf<TMMDBMetaReader>::Instance()});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLabel* label = nullptr;
    for (QLabel* each : form.findChildren<QLabel*>())
      if (each->text() == text) label = each;
    QVERIFY(label);
    QVERIFY2(label->width() >= label->sizeHint().width(),
             qPrintable(QStringLiteral("%1 < %2").arg(label->width()).arg(label->sizeHint().width())));
  }
  void opensInTheMiddleOfTheScreen() {
    TViewer v(ManyLines(3));
    QVERIFY(QTest::qWaitForWindowExposed(&v.Form));
    const QPoint offset = v.Form.frameGeometry().center() - v.Form.screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
  }

  void tabsKeepTheSameTopItem() {
    TViewer v(ManyLines(1500));
    v.Form.resize(922, 566);
    QVERIFY(QTest::qWaitForWindowExposed(&v.Form));
    v.Table()->scrollTo(v.Table()->model()->index(500, 0), QAbstractItemView::PositionAtTop);
    QCOMPARE(v.Table()->TopIndex(), 500);
    v.Form.findChild<QTabBar*>("SourceTabSet")->setCurrentIndex(1);
    QCOMPARE(v.Lines()->TopIndex(), 500);
  }

  void databaseThroughTheMainWindowsRoad() {
    QStringList caption, metadata, typeRow, headerRow, cityRow;
    bool countOffered = true, limitLink = true;
    int tab = -1;
    // The database is read behind a wait dialog first; the viewer's window comes after it.
    std::function<void(QWidget*)> inspect = [&](QWidget* window) {
      auto* table = window->findChild<TListViewEx*>("SourceView");
      if (!table) {
        WhenModal(inspect, window);
        return;
      }
      caption << window->windowTitle();
      metadata = table->ItemCells(0);
      typeRow = table->ItemCells(3);
      for (int i = 0; i < table->ItemCount() && cityRow.isEmpty(); ++i) {
        const QStringList cells = table->ItemCells(i);
        if (cells.value(1) == "network") headerRow = cells;
        else if (!headerRow.isEmpty() && !cells.value(9).isEmpty()) cityRow = cells;
      }
      countOffered = window->findChild<QPushButton*>("CountRowsButton")->isVisible();
      limitLink = !window->findChild<TLabelEx*>("MaxRowsLabel")->Link().isEmpty() ||
                  window->findChild<TLabelEx*>("MaxRowsLabel")->cursor().shape() == Qt::PointingHandCursor;
      tab = window->findChild<QTabBar*>("SourceTabSet")->currentIndex();
      window->close();
    };
    WhenModal(inspect);
    ViewMMDBFile(kCity);
    QCOMPARE(caption, QStringList{kCity + " - GeoIP2 MMDB"});
    QCOMPARE(metadata, (QStringList{"1", "binary_format_major_version", "2"}));
    QCOMPARE(typeRow, (QStringList{"4", "database_type", "GeoIP2-City"}));
    QCOMPARE(headerRow.size(), 12);
    QCOMPARE(headerRow.last(), QString("postal_code"));
    QCOMPARE(cityRow.size(), 12);
    QVERIFY(cityRow.value(1).contains('/'));
    QVERIFY(!countOffered);
    QVERIFY(!limitLink);
    QCOMPARE(tab, 0);
  }

  // KORRIN_VIEWER_DATABASE names another database than the City one.
  void screenshot() {
    const QByteArray target = qgetenv("KORRIN_VIEWER_SCREENSHOT");
    if (target.isEmpty()) QSKIP("set KORRIN_VIEWER_SCREENSHOT to a .png path to write the screenshot");
    const QString database = qEnvironmentVariable("KORRIN_VIEWER_DATABASE", kCity);
    TViewCSVFileForm form;
    form.Prepare("GeoIP2 MMDB", QFileInfo(database).fileName(),
                 {.NoHeader = true,
                  .LineReaderClass = &TLineReaderClassOf<TMMDBMetaReader>::Instance(),
                  .OpenDialogFilter = "MMDB files (*.mmdb)|*.mmdb",
                  .CountRowsEnabled = false,
                  .SetMaxRowsEnabled = false});
    // Opened by its name alone, so the caption in the picture carries no local path.
    QDir::setCurrent(QFileInfo(database).absolutePath());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.grab().save(QString::fromLocal8Bit(target)));
  }

  // The viewer scrolled near the end of a large file (KORRIN_VIEWER_LARGE_FILE), for the README.
  void screenshotNearTheEnd() {
    const QByteArray target = qgetenv("KORRIN_VIEWER_SCREENSHOT");
    const QString file = QString::fromLocal8Bit(qgetenv("KORRIN_VIEWER_LARGE_FILE"));
    if (target.isEmpty() || file.isEmpty())
      QSKIP("set KORRIN_VIEWER_SCREENSHOT and KORRIN_VIEWER_LARGE_FILE to write the screenshot");
    QDir::setCurrent(QFileInfo(file).absolutePath());
    TViewer v(QFileInfo(file).fileName());
    QTRY_VERIFY_WITH_TIMEOUT(!v.Label("RowsLabel").endsWith('+'), 600000);
    v.Table()->scrollToBottom();
    QTest::mouseClick(v.Table()->viewport(), Qt::LeftButton, {},
                      v.Table()->visualRect(v.Table()->model()->index(v.Table()->ItemCount() - 1, 0)).center());
    v.Table()->scrollTo(v.Table()->ItemIndex(v.Table()->ItemCount() - 1));
    v.Table()->setCurrentIndex(v.Table()->ItemIndex(v.Table()->ItemCount() - 8));
    QVERIFY(QTest::qWaitForWindowExposed(&v.Form));
    QTest::qWait(200);
    QVERIFY(v.Form.grab().save(QString::fromLocal8Bit(target)));
  }
};

QTEST_MAIN(ViewWindowTest)
#include "view_window_test.moc"
