#pragma once
// What assistive technology reads of the report list: a table of every item the list holds, not
// of the window of rows its tree view keeps, with the columns' captions and the text of any cell,
// read from the list's rows when asked.
#include <QAccessibleWidget>
#include <cstdint>
#include <deque>
#include <map>
#include <utility>

namespace korrin {

class TListViewEx;

class TListViewExAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TListViewExAccessible(TListViewEx* List);
  ~TListViewExAccessible() override;

  // Makes Qt ask this class for every report list; once per application.
  static void Install();

  TListViewEx* List() const;

  void* interface_cast(QAccessible::InterfaceType t) override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override;
  int columnCount() const override;
  int rowCount() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int row) override;
  bool selectColumn(int) override { return false; }
  bool unselectRow(int row) override;
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

 private:
  void ForgetCells() const;

  // The cells handed out, oldest first, at most a bounded number of them: a reader walking a
  // long list leaves no interface behind for every row it passed.
  mutable std::map<std::pair<int32_t, int32_t>, QAccessible::Id> FCells;
  mutable std::deque<std::pair<int32_t, int32_t>> FCellOrder;
};

}  // namespace korrin
