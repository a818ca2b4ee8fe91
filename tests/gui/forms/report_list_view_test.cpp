// The extended list view: bulk columns, rows asked for only while shown, select-all by Ctrl+A, the
// companions' enabled rules and keys, sorting by header and the progress cells.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "gui/forms/report_list_view.h"

using namespace korrin;

namespace {

// A virtual list of Count items of one column, counting the rows it was asked for.
struct TVirtualList {
  TListViewEx View;
  int Asked = 0;
  explicit TVirtualList(int32_t Count) {
    View.SetOnData([this](int32_t Index, QStringList& Cells) {
      ++Asked;
      Cells << QString::number(Index);
    });
    View.AddColumns({"Item"});
    View.SetItemCount(Count);
  }
};

using TRanges = std::vector<std::pair<int32_t, int32_t>>;

size_t SelectedCount(const TListViewEx& View) {
  size_t count = 0;
  for (const auto& [first, last] : View.SelectedRanges()) count += static_cast<size_t>(last - first + 1);
  return count;
}

}  // namespace

class ListViewExTest : public QObject {
  Q_OBJECT

 private slots:
  void theModelKeepsTheItemModelRulesThroughItsChanges() {
    TVirtualList list(50);
    QAbstractItemModelTester checks(list.View.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.View.AddColumns({"Second", "Third"});
    list.View.SetItemCount(1000);
    list.View.SetItemCount(0);
    list.View.ClearColumns();
    list.View.AddColumns({"Again"});
    list.View.SetItemCount(3);
  }

  void fiveHundredColumnsComeAndGo() {
    TListViewEx view;
    QStringList names;
    std::vector<int32_t> widths;
    for (int i = 0; i < 500; ++i) {
      names << QString("C%1").arg(i);
      widths.push_back(20 + i % 50);
    }
    view.AddColumns(names, &widths);
    QCOMPARE(view.ColumnCount(), 500);
    QCOMPARE(view.header()->count(), 500);
    for (int i = 0; i < 500; ++i) QCOMPARE(view.header()->sectionSize(i), widths[static_cast<size_t>(i)]);
    QCOMPARE(view.model()->headerData(499, Qt::Horizontal).toString(), QString("C499"));
    view.ClearColumns();
    QCOMPARE(view.ColumnCount(), 0);
    QCOMPARE(view.header()->count(), 0);
  }

  void rowsAreAskedForOnlyWhileShown() {
    TVirtualList list(1000000);
    list.View.resize(300, 200);
    list.View.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list.View));
    QCOMPARE(list.View.ItemCount(), 1000000);
    QVERIFY(list.Asked > 0);
    QVERIFY(list.Asked < 200);
    QCOMPARE(list.View.ItemCells(123456), QStringList{"123456"});
  }

  // Longer than the window the view holds: every item is reached by the items' scroll bar, by
  // Ctrl+Home and Ctrl+End, by the view's own scrolling past the window's edge and by ItemIndex,
  // and a selection outlives a move of the window away and back.
  void aListLongerThanTheWindowReachesEveryItem() {
    constexpr int32_t kCount = 800000;  // three windows and more
    TVirtualList list(kCount);
    QAbstractItemModelTester checks(list.View.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.View.resize(300, 200);
    list.View.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list.View));
    QCOMPARE(list.View.ItemCount(), kCount);
    const auto shown = [&](const QModelIndex& index) { return list.View.model()->data(index).toString(); };
    const auto top = [&] { return shown(list.View.indexAt(QPoint(1, 1))); };

    auto* bar = list.View.findChild<QScrollBar*>("ItemsScrollBar");
    QVERIFY(bar && bar->isVisible());
    QCOMPARE(bar->maximum(), kCount - bar->pageStep());
    bar->setValue(bar->maximum());
    QCOMPARE(list.View.TopIndex(), bar->maximum());
    QCOMPARE(top(), QString::number(bar->maximum()));

    QTest::keyClick(&list.View, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(list.View.ItemOf(list.View.currentIndex()), 0);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(&list.View, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(shown(list.View.currentIndex()), QString::number(kCount - 1));
    QCOMPARE(bar->value(), bar->maximum());

    QScrollBar* own = list.View.verticalScrollBar();
    own->setValue(0);
    QTRY_VERIFY(own->value() > 0);  // the window moved back, to have rows above the top again
    const int32_t before = list.View.TopIndex();
    own->setValue(own->maximum());  // to the window's edge: the window moves on under the same top
    QTRY_VERIFY(own->value() < own->maximum());
    const int32_t moved = list.View.TopIndex();
    QCOMPARE(top(), QString::number(moved));
    QCOMPARE(bar->value(), moved);
    QVERIFY(moved > before);

    const QModelIndex first = list.View.ItemIndex(kCount / 2);
    list.View.selectionModel()->select(QItemSelection(first, list.View.model()->index(first.row() + 2, 0)),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list.View.scrollTo(first);
    QCOMPARE(shown(first), QString::number(kCount / 2));
    bar->setValue(0);
    bar->setValue(kCount / 2);
    QCOMPARE(list.View.SelectedRanges(), (TRanges{{kCount / 2, kCount / 2 + 2}}));

    // Shift+Down from the last item before the window's far margin: the window moves on between
    // the keys, and the selection grows as in any list.
    const int32_t edge = kCount / 2 + TListViewEx::kWindowRows / 4 - 1;
    list.View.selectionModel()->setCurrentIndex(list.View.ItemIndex(edge),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    for (int i = 0; i < 3; ++i) {
      QTest::keyClick(&list.View, Qt::Key_Down, Qt::ShiftModifier);
      QCoreApplication::processEvents();
    }
    QCOMPARE(list.View.SelectedRanges(), (TRanges{{edge, edge + 3}}));
    QCOMPARE(list.View.ItemOf(list.View.currentIndex()), edge + 3);

    // Every item, as one range: nothing is kept per item.
    QTest::keyClick(&list.View, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(list.View.SelectedRanges(), (TRanges{{0, kCount - 1}}));
  }

  void ctrlA_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<size_t>("selected");
    QTest::newRow("Ctrl alone") << int(Qt::ControlModifier) << size_t{1000};
    QTest::newRow("Ctrl+Shift") << int(Qt::ControlModifier | Qt::ShiftModifier) << size_t{0};
    QTest::newRow("Ctrl+Alt") << int(Qt::ControlModifier | Qt::AltModifier) << size_t{0};
  }
  void ctrlA() {
    QFETCH(int, modifiers);
    QFETCH(size_t, selected);
    TVirtualList list(1000);
    QTest::keyClick(&list.View, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(SelectedCount(list.View), selected);
    list.View.UnSelectAll();
    QVERIFY(list.View.SelectedRanges().empty());
  }

  void withoutCompanionsKeysDoNothing() {
    TVirtualList list(3);
    QVERIFY(list.View.EditEnabled());
    QVERIFY(!list.View.MoveEnabled());
    list.View.setCurrentIndex(list.View.model()->index(1, 0));
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Delete), int(Qt::Key_Plus)})
      QTest::keyClick(&list.View, Qt::Key(key));
    QCOMPARE(list.View.ItemCount(), 3);
  }

  void companionsFollowTheSelection() {
    TVirtualList list(5);
    QPushButton add("Add"), edit("Edit");
    QAction remove("Delete"), view("View");
    int added = 0, edited = 0, removed = 0, viewed = 0;
    connect(&add, &QPushButton::clicked, [&] { ++added; });
    connect(&edit, &QPushButton::clicked, [&] { ++edited; });
    connect(&remove, &QAction::triggered, [&] { ++removed; });
    connect(&view, &QAction::triggered, [&] { ++viewed; });
    list.View.SetCompanionButton(TListCompanion::lcAdd, &add);
    list.View.SetCompanionButton(TListCompanion::lcEdit, &edit);
    list.View.SetCompanionAction(TListCompanion::lcDelete, &remove);
    list.View.SetCompanionAction(TListCompanion::lcView, &view);
    QVERIFY(!edit.isEnabled());
    QVERIFY(!remove.isEnabled());
    QTest::keyClick(&list.View, Qt::Key_Return);
    QCOMPARE(edited + viewed, 0);

    list.View.SelectAll();
    QVERIFY(edit.isEnabled());
    QVERIFY(remove.isEnabled());
    QTest::keyClick(&list.View, Qt::Key_Return);
    QTest::keyClick(&list.View, Qt::Key_Delete);
    QTest::keyClicks(&list.View, "+");
    QCOMPARE(edited, 1);
    QCOMPARE(viewed, 0);
    QCOMPARE(removed, 1);
    QCOMPARE(added, 1);
    edit.setEnabled(false);
    QTest::keyClick(&list.View, Qt::Key_Return);
    QCOMPARE(viewed, 1);

    // A disabled Add button means the list is read-only now.
    add.setEnabled(false);
    list.View.UnSelectAll();
    list.View.SelectAll();
    QVERIFY(!list.View.EditEnabled());
    QVERIFY(!remove.isEnabled());
  }

  void headerClickSortsAndTurns() {
    TListViewEx view;
    view.AddColumns({"A", "B"});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QList<QPair<int, bool>> sorted;
    view.SetOnSortByColumn([&](TListViewEx*, int32_t column, bool desc) { sorted << qMakePair(column, desc); });
    int invalidated = 0;
    view.SetOnInvalidated([&](TListViewEx*) { ++invalidated; });
    const auto click = [&](int column) {
      const QPoint at(view.header()->sectionViewportPosition(column) + 5, view.header()->height() / 2);
      QTest::mouseClick(view.header()->viewport(), Qt::LeftButton, {}, at);
    };
    click(1);
    QCOMPARE(view.SortedByColumn(), 1);
    click(1);
    QCOMPARE(view.SortedByColumn(), -1);
    QCOMPARE(sorted, (QList<QPair<int, bool>>{{1, false}, {1, true}}));
    QCOMPARE(invalidated, 2);
  }

  void countLabels() {
    TVirtualList list(2);
    QLabel count, checked;
    list.View.SetCountLabel(&count);
    list.View.SetCountFormat("%d items");
    list.View.SetCheckedCountLabel(&checked);
    list.View.InvalidateListView(7, 3);
    QCOMPARE(list.View.ItemCount(), 7);
    QCOMPARE(count.text(), QString("7 items"));
    QCOMPARE(checked.text(), QString("3 checked."));
  }

  void progressCells_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("bare") << "45%" << 45.0;
    QTest::newRow("after a word") << "Done 12.5 %" << 12.5;
    QTest::newRow("full") << "100%" << 100.0;
    QTest::newRow("over") << "101%" << -1.0;
    QTest::newRow("no number") << "x%" << -1.0;
    QTest::newRow("no percent") << "45" << -1.0;
  }
  void progressCells() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(TListViewEx::ProgressValue(text), value);
  }

  void progressColumnPaints() {
    TListViewEx view;
    view.AddColumns({"Name", "Done"});
    view.AddItem({"a", "50%"});
    view.SetProgressColumn(1);
    view.resize(300, 100);
    const QImage image = view.grab().toImage();
    QVERIFY(!image.isNull());
  }
};

QTEST_MAIN(ListViewExTest)
#include "report_list_view_test.moc"
