#pragma once
// The application's report-style list: rows produced on demand by a callback (virtual mode) or
// stored, columns added and removed in bulk, select-all, the keyboard and mouse conventions of its
// lists, and companion buttons and actions whose enabled state follows the selection.
//
// The toolkit's tree view keeps some 40 bytes for every row it holds and looks rows up one by one
// on a far jump, so a virtual list of more than kWindowRows items gives it a window of them that
// moves with the user, under a scroll bar of the list's own that spans every item. Rows of the
// model are then not items: ItemIndex and ItemOf translate.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QScrollBar;

namespace korrin {

class TListViewExModel;

// The roles of the companion buttons and actions.
enum class TListCompanion {
  lcAdd,
  lcEdit,
  lcRename,
  lcDelete,
  lcCopy,
  lcFindReplace,
  lcView,
  lcClearCheck,
  lcDeleteAll,
  lcCheckAll,
  lcUnCheckAll,
  lcCheckSelected,
  lcUnCheckSelected,
  lcMoveUp,
  lcMoveDown
};
constexpr size_t kListCompanionCount = 15;

class TListViewEx : public QTreeView {
 public:
  // Fills Cells with the item's caption followed by its sub-items.
  using TOwnerDataEvent = std::function<void(int32_t Index, QStringList& Cells)>;
  using TNotifyEvent = std::function<void(TListViewEx* Sender)>;
  using TSortByColumnEvent = std::function<void(TListViewEx* Sender, int32_t Column, bool Desc)>;
  using TMoveSelectedEvent = std::function<void(TListViewEx* Sender, int32_t ToIndex)>;

  static constexpr int32_t kWindowRows = 1 << 16;

  explicit TListViewEx(QWidget* parent = nullptr);
  ~TListViewEx() override;

  // The model index that shows Item, the window moved to it where needed; invalid for no item.
  QModelIndex ItemIndex(int32_t Item);
  // The item a model index shows; -1 for an invalid index.
  int32_t ItemOf(const QModelIndex& Index) const;

  // One view update for the whole operation; ColumnWidths, when given, by the same index.
  void AddColumns(const QStringList& ColumnNames, const std::vector<int32_t>* ColumnWidths = nullptr);
  void ClearColumns();
  int32_t ColumnCount() const;
  QString ColumnCaption(int32_t Column) const;
  void SetColumnCaption(int32_t Column, const QString& Caption);

  // Setting a callback switches to virtual mode: the list asks for each row it shows.
  void SetOnData(TOwnerDataEvent Value);
  int32_t ItemCount() const;
  void SetItemCount(int32_t Value);
  // Stored mode only.
  void AddItem(const QStringList& Cells);
  // In virtual mode, asked of the callback: any item, in the window or not.
  QStringList ItemCells(int32_t Index) const;

  void SelectAll();
  void UnSelectAll();
  // The selected items as ranges (first, last), in order, neither touching nor overlapping: a
  // selection of every item is one range, whatever the count.
  std::vector<std::pair<int32_t, int32_t>> SelectedRanges() const;
  int32_t TopIndex() const;
  // AItemsCount -1 keeps the count; ACheckedCount below 0 leaves the checked-count label alone.
  void InvalidateListView(int32_t AItemsCount, int32_t ACheckedCount = -1);

  bool EditEnabled() const;
  bool CheckEnabled() const;
  bool MoveEnabled() const;
  bool SortEnabled() const { return EditEnabled(); }
  bool EditItemEnabled() const { return EditEnabled() && HasSelection(); }
  bool CheckItemEnabled() const { return CheckEnabled() && HasSelection(); }
  bool MoveItemEnabled() const { return MoveEnabled() && HasSelection(); }

  // Companions are not owned; either may be freed before the list.
  void SetCompanionButton(TListCompanion Role, QAbstractButton* Button);
  void SetCompanionAction(TListCompanion Role, QAction* Action);
  QAbstractButton* CompanionButton(TListCompanion Role) const;
  QAction* CompanionAction(TListCompanion Role) const;
  void AddAddAction(QAction* Action);

  void SetCountLabel(QLabel* Value);
  void SetCountFormat(const QString& Value) { FCountFormat = Value; }
  void SetCheckedCountLabel(QLabel* Value);
  void SetCheckedCountFormat(const QString& Value) { FCheckedCountFormat = Value; }
  int32_t SortedByColumn() const { return FSortedByColumn; }
  // A cell of this column whose text ends in "N %" is drawn as a progress bar.
  int32_t ProgressColumn() const { return FProgressColumn; }
  void SetProgressColumn(int32_t Value);

  void SetOnSelected(TNotifyEvent Value) { FOnSelected = std::move(Value); }
  void SetOnInvalidated(TNotifyEvent Value) { FOnInvalidated = std::move(Value); }
  void SetOnSortByColumn(TSortByColumnEvent Value) { FOnSortByColumn = std::move(Value); }
  void SetOnMoveSelected(TMoveSelectedEvent Value) { FOnMoveSelected = std::move(Value); }

  // The share of a progress cell, 0..100, or -1 when the text is no progress value.
  static double ProgressValue(const QString& Text);

 protected:
  virtual void RefreshCompanions();
  virtual void Invalidated();
  virtual void SortByColumn(int32_t Column, bool Desc);
  virtual void MoveSelected(int32_t ToIndex);

  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool HasSelection() const;
  // The enabled state of the role's button, else of its action; absent when it has neither.
  std::optional<bool> EnabledOf(TListCompanion Role) const;
  // Triggers the first enabled button or action of the roles, in order; false when none was.
  bool TriggerFirst(std::initializer_list<TListCompanion> Roles, bool WithAddList);
  void SetCompanionsEnabled(std::initializer_list<TListCompanion> Roles, bool Enabled);
  void HeaderClicked(int Column);
  void SelectionChanged();
  bool AcceptsDrop(const QDropEvent* event) const;
  bool Windowed() const;
  // Moves the window where Item lies near its edge or outside it. The top item stays; the current
  // item and the selection anchor stay where the new window holds them; the selection stays whole,
  // its part outside the window kept as item ranges.
  void KeepInWindow(int32_t Item);
  // The same once the event at hand is over: the view's own moves (keys, wheel, scrolling) must
  // not see their model reset under them. ByCurrent: around the current item, else the top one.
  void KeepInWindowLater(bool ByCurrent);
  void MoveWindow(int32_t Base);
  // The items' scroll bar follows the view's, and the view's follows it.
  void SyncItemsBar();
  void PlaceItemsBar();
  void ItemsBarMoved(int Value);

  TListViewExModel* FModel;
  QScrollBar* FItemsBar = nullptr;  // made when the list first exceeds the window
  bool FMovingWindow = false;
  bool FMovePending = false;
  bool FMoveByCurrent = false;
  // Selected item ranges outside the window, first to last; a selection that clears drops them.
  mutable std::vector<std::pair<int32_t, int32_t>> FOutsideSelection;
  bool FSelectionSuspended = false;
  TNotifyEvent FOnSelected;
  TNotifyEvent FOnInvalidated;
  TSortByColumnEvent FOnSortByColumn;
  TMoveSelectedEvent FOnMoveSelected;
  std::array<QPointer<QAbstractButton>, kListCompanionCount> FButtons;
  std::array<QPointer<QAction>, kListCompanionCount> FActions;
  std::vector<QPointer<QAction>> FAddActionList;
  QPointer<QLabel> FCountLabel;
  QString FCountFormat = QStringLiteral("%d");
  QPointer<QLabel> FCheckedCountLabel;
  QString FCheckedCountFormat = QStringLiteral("%d checked.");
  int32_t FSortedByColumn = -1;
  int32_t FProgressColumn = -1;
};

}  // namespace korrin
