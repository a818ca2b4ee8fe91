#include "gui/forms/report_list_accessible.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <algorithm>
#include <climits>

#include "gui/forms/report_list_view.h"

namespace korrin {
namespace {

constexpr size_t kMaxCells = 1024;
// A selection of every item of a long list is listed only this far.
constexpr int kMaxListedRows = 1024;

QAccessibleInterface* Factory(const QString&, QObject* object) {
  // The list has no meta-object of its own: the tree view's class name comes first.
  if (auto* list = dynamic_cast<TListViewEx*>(object)) return new TListViewExAccessible(list);
  return nullptr;
}

int Clamped(int64_t Value) { return static_cast<int>(std::min<int64_t>(Value, INT_MAX)); }

// One cell, by item and column; its text is read from the list whenever it is asked for, so a cell
// of an item that no longer exists is simply invalid.
class TCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TCellAccessible(TListViewExAccessible* Table, int32_t Row, int32_t Column)
      : FTable(Table), FList(Table->List()), FRow(Row), FColumn(Column) {}

  bool isValid() const override { return FList && FRow < FList->ItemCount() && FColumn < FList->ColumnCount(); }
  QObject* object() const override { return nullptr; }
  QAccessibleInterface* parent() const override { return FTable; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    return FList->ItemCells(FRow).value(FColumn);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QModelIndex index = Shown();
    if (!index.isValid()) return {};
    const QRect local = FList->visualRect(index);
    return QRect(FList->viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.selected = isSelected();
    s.invisible = !Shown().isValid();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }

  bool isSelected() const override { return isValid() && FTable->isRowSelected(FRow); }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return FColumn; }
  int rowIndex() const override { return FRow; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return FTable; }

 private:
  // The cell's index in the list's window, or invalid when the window does not hold it; the
  // window is not moved for a reader's question.
  QModelIndex Shown() const {
    const QModelIndex first = FList->model()->index(0, FColumn);
    const int32_t row = FRow - FList->ItemOf(first);
    if (!first.isValid() || row < 0 || row >= FList->model()->rowCount()) return {};
    return FList->model()->index(row, FColumn);
  }

  TListViewExAccessible* FTable;
  QPointer<TListViewEx> FList;
  int32_t FRow, FColumn;
};

}  // namespace

TListViewExAccessible::TListViewExAccessible(TListViewEx* List) : QAccessibleWidget(List, QAccessible::Table) {}

TListViewExAccessible::~TListViewExAccessible() { ForgetCells(); }

void TListViewExAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  Q_UNUSED(installed);
}

TListViewEx* TListViewExAccessible::List() const { return static_cast<TListViewEx*>(widget()); }

void* TListViewExAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

// The children are numbered as the view numbers them in its events: a row of headers, then the
// rows of its window. The table interface reaches every item.
int TListViewExAccessible::childCount() const {
  return Clamped((int64_t(List()->model()->rowCount()) + 1) * columnCount());
}

QAccessibleInterface* TListViewExAccessible::child(int index) const {
  const int columns = columnCount();
  if (columns == 0 || index < columns) return nullptr;
  const QModelIndex shown = List()->model()->index(index / columns - 1, index % columns);
  return shown.isValid() ? cellAt(List()->ItemOf(shown), shown.column()) : nullptr;
}

int TListViewExAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (!child || child->parent() != this) return -1;
  QAccessibleTableCellInterface* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
  const QModelIndex first = List()->model()->index(0, 0);
  if (!cell || !first.isValid()) return -1;
  const int64_t row = int64_t(cell->rowIndex()) - List()->ItemOf(first);
  if (row < 0 || row >= List()->model()->rowCount()) return -1;
  return Clamped((row + 1) * columnCount() + cell->columnIndex());
}

QAccessibleInterface* TListViewExAccessible::childAt(int x, int y) const {
  TListViewEx* list = List();
  const QModelIndex index = list->indexAt(list->viewport()->mapFromGlobal(QPoint(x, y)));
  return index.isValid() ? cellAt(list->ItemOf(index), index.column()) : nullptr;
}

QAccessibleInterface* TListViewExAccessible::cellAt(int row, int column) const {
  if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
  const std::pair<int32_t, int32_t> key(row, column);
  if (auto found = FCells.find(key); found != FCells.end()) {
    if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found->second)) return cell;
    FCells.erase(found);
    FCellOrder.erase(std::find(FCellOrder.begin(), FCellOrder.end(), key));
  }
  if (FCellOrder.size() >= kMaxCells) {
    QAccessible::deleteAccessibleInterface(FCells.at(FCellOrder.front()));
    FCells.erase(FCellOrder.front());
    FCellOrder.pop_front();
  }
  auto* cell = new TCellAccessible(const_cast<TListViewExAccessible*>(this), row, column);
  FCells.emplace(key, QAccessible::registerAccessibleInterface(cell));
  FCellOrder.push_back(key);
  return cell;
}

int TListViewExAccessible::selectedCellCount() const { return Clamped(int64_t(selectedRowCount()) * columnCount()); }

QList<QAccessibleInterface*> TListViewExAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  const int columns = columnCount();
  for (int row : selectedRows())
    for (int column = 0; column < columns; ++column) cells.append(cellAt(row, column));
  return cells;
}

QString TListViewExAccessible::columnDescription(int column) const { return List()->ColumnCaption(column); }

int TListViewExAccessible::selectedRowCount() const {
  int64_t count = 0;
  for (const auto& [first, last] : List()->SelectedRanges()) count += int64_t(last) - first + 1;
  return Clamped(count);
}

int TListViewExAccessible::columnCount() const { return List()->ColumnCount(); }

int TListViewExAccessible::rowCount() const { return List()->ItemCount(); }

QList<int> TListViewExAccessible::selectedRows() const {
  QList<int> rows;
  for (const auto& [first, last] : List()->SelectedRanges())
    for (int32_t row = first; row <= last && rows.size() < kMaxListedRows; ++row) rows.append(row);
  return rows;
}

bool TListViewExAccessible::isRowSelected(int row) const {
  for (const auto& [first, last] : List()->SelectedRanges())
    if (row >= first && row <= last) return true;
  return false;
}

bool TListViewExAccessible::selectRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  TListViewEx* list = List();
  list->selectionModel()->select(list->ItemIndex(row), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  return true;
}

bool TListViewExAccessible::unselectRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  TListViewEx* list = List();
  list->selectionModel()->select(list->ItemIndex(row), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  return !isRowSelected(row);
}

// The view reports rows of its window: the cells, kept by item, are simply asked for again.
void TListViewExAccessible::modelChange(QAccessibleTableModelChangeEvent*) { ForgetCells(); }

void TListViewExAccessible::ForgetCells() const {
  for (const auto& [key, id] : FCells) QAccessible::deleteAccessibleInterface(id);
  FCells.clear();
  FCellOrder.clear();
}

}  // namespace korrin
