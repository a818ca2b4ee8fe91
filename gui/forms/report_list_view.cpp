#include "gui/forms/report_list_view.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "gui/forms/report_list_accessible.h"

namespace korrin {

namespace {

constexpr char kDragFormat[] = "application/x-korrin-list-item";

size_t RoleIndex(TListCompanion Role) { return static_cast<size_t>(Role); }

}  // namespace

// Rows come from the callback one at a time; the last one asked for is kept, because the view
// asks for every cell of a row in turn while it paints. A virtual list's rows are the items from
// Base on, at most a window of them.
class TListViewExModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ShownRows(); }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(Captions.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Cells(Base + index.row()).value(index.column());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return Captions.value(section);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
  }

  int32_t Count() const { return OnData ? VirtualCount : static_cast<int32_t>(Rows.size()); }
  int32_t ShownRows() const { return OnData ? std::min(VirtualCount, TListViewEx::kWindowRows) : Count(); }
  const QStringList& Cells(int32_t Item) const {
    if (!OnData) return Rows.at(static_cast<size_t>(Item));
    if (Item != CachedItem) {
      Cached.clear();
      CachedItem = Item;
      OnData(Item, Cached);
    }
    return Cached;
  }
  // Items beyond the window arrive without a reset, so that the view keeps its selection.
  void Grow(int32_t Count) {
    const int32_t shown = ShownRows();
    const int32_t next = std::min(Count, TListViewEx::kWindowRows);
    if (next > shown) beginInsertRows({}, shown, next - 1);
    VirtualCount = Count;
    CachedItem = -1;
    if (next > shown) endInsertRows();
  }
  // One reset for any change of shape, so the view updates once.
  template <class F>
  void Change(F&& f) {
    beginResetModel();
    f();
    CachedItem = -1;
    endResetModel();
  }
  void Forget() { CachedItem = -1; }
  // The window starts at another item, as a layout change: the view's persistent indexes (its
  // current item, its selection anchor and the selection) follow their items, or become invalid
  // where the new window does not hold them.
  void MoveBase(int32_t NewBase) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
      const int32_t row = Base + index.row() - NewBase;
      to.append(row >= 0 && row < ShownRows() ? createIndex(row, index.column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    Base = NewBase;
    CachedItem = -1;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }
  void CaptionChanged(int32_t Column) { emit headerDataChanged(Qt::Horizontal, Column, Column); }

  QStringList Captions;
  std::vector<QStringList> Rows;
  int32_t VirtualCount = 0;
  int32_t Base = 0;
  TListViewEx::TOwnerDataEvent OnData;

 private:
  mutable int32_t CachedItem = -1;
  mutable QStringList Cached;
};

namespace {

class TProgressDelegate : public QStyledItemDelegate {
 public:
  TProgressDelegate(TListViewEx* view) : QStyledItemDelegate(view), FView(view) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QString text = index.data().toString();
    const double value = index.column() == FView->ProgressColumn() ? TListViewEx::ProgressValue(text) : -1;
    if (value < 0) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(1, 1, -1, -1);
    bar.minimum = 0;
    bar.maximum = 1000;
    bar.progress = static_cast<int>(value * 10);
    bar.state = option.state | QStyle::State_Horizontal;
    FView->style()->drawControl(QStyle::CE_ProgressBarGroove, &bar, painter, FView);
    FView->style()->drawControl(QStyle::CE_ProgressBarContents, &bar, painter, FView);
    painter->save();
    painter->setPen(Qt::darkGray);
    painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, option.rect.width() - 4));
    painter->restore();
  }

 private:
  TListViewEx* FView;
};

}  // namespace

TListViewEx::TListViewEx(QWidget* parent) : QTreeView(parent), FModel(new TListViewExModel(this)) {
  setModel(FModel);
  setItemDelegate(new TProgressDelegate(this));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  // The window's arithmetic counts rows: the top row is the scroll bar's value.
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::DragDrop);
  TListViewExAccessible::Install();
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  // Widths are the caller's, down to a hidden column of 0.
  header()->setMinimumSectionSize(0);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { HeaderClicked(column); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionChanged(); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    if (!Windowed() || FMovingWindow) return;
    KeepInWindowLater(false);
    SyncItemsBar();
  });
  connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { SyncItemsBar(); });
  // The items' bar follows the view's bar and its container wherever the layout puts them.
  verticalScrollBar()->installEventFilter(this);
  if (QWidget* container = verticalScrollBar()->parentWidget(); container && container != this)
    container->installEventFilter(this);
}

TListViewEx::~TListViewEx() = default;

void TListViewEx::AddColumns(const QStringList& ColumnNames, const std::vector<int32_t>* ColumnWidths) {
  const int32_t first = ColumnCount();
  FModel->Change([&] { FModel->Captions.append(ColumnNames); });
  for (int32_t i = 0; i < ColumnNames.size(); ++i)
    if (ColumnWidths && static_cast<size_t>(i) < ColumnWidths->size())
      header()->resizeSection(first + i, (*ColumnWidths)[static_cast<size_t>(i)]);
}

void TListViewEx::ClearColumns() {
  FModel->Change([&] { FModel->Captions.clear(); });
}

int32_t TListViewEx::ColumnCount() const { return static_cast<int32_t>(FModel->Captions.size()); }

QString TListViewEx::ColumnCaption(int32_t Column) const { return FModel->Captions.value(Column); }

void TListViewEx::SetColumnCaption(int32_t Column, const QString& Caption) {
  if (Column < 0 || Column >= ColumnCount()) return;
  FModel->Captions[Column] = Caption;
  FModel->CaptionChanged(Column);
}

void TListViewEx::SetOnData(TOwnerDataEvent Value) {
  FOutsideSelection.clear();
  FModel->Change([&] {
    FModel->OnData = std::move(Value);
    FModel->Rows.clear();
    FModel->Base = 0;
  });
  SyncItemsBar();
}

int32_t TListViewEx::ItemCount() const { return FModel->Count(); }

void TListViewEx::SetItemCount(int32_t Value) {
  Value = std::max(Value, 0);
  if (FModel->OnData && Value >= FModel->VirtualCount) {
    FModel->Grow(Value);
    viewport()->update();
  } else {
    FOutsideSelection.clear();
    FModel->Change([&] {
      FModel->VirtualCount = Value;
      FModel->Base = 0;
      if (!FModel->OnData) FModel->Rows.resize(static_cast<size_t>(Value));
    });
  }
  SyncItemsBar();
}

void TListViewEx::AddItem(const QStringList& Cells) {
  FModel->Change([&] { FModel->Rows.push_back(Cells); });
}

QStringList TListViewEx::ItemCells(int32_t Index) const { return FModel->Cells(Index); }

void TListViewEx::SelectAll() {
  FSelectionSuspended = true;
  FOutsideSelection.clear();
  if (Windowed()) {
    const int32_t base = FModel->Base;
    if (base > 0) FOutsideSelection.emplace_back(0, base - 1);
    if (base + kWindowRows < ItemCount()) FOutsideSelection.emplace_back(base + kWindowRows, ItemCount() - 1);
  }
  const int32_t count = FModel->ShownRows();
  if (count > 0 && ColumnCount() > 0)
    selectionModel()->select(QItemSelection(FModel->index(0, 0), FModel->index(count - 1, ColumnCount() - 1)),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  FSelectionSuspended = false;
  viewport()->update();
  RefreshCompanions();
}

void TListViewEx::UnSelectAll() {
  FSelectionSuspended = true;
  FOutsideSelection.clear();
  selectionModel()->clearSelection();
  FSelectionSuspended = false;
  viewport()->update();
  RefreshCompanions();
}

std::vector<std::pair<int32_t, int32_t>> TListViewEx::SelectedRanges() const {
  std::vector<std::pair<int32_t, int32_t>> ranges = FOutsideSelection;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    ranges.emplace_back(FModel->Base + range.top(), FModel->Base + range.bottom());
  std::sort(ranges.begin(), ranges.end());
  std::vector<std::pair<int32_t, int32_t>> merged;
  for (const auto& range : ranges) {
    if (!merged.empty() && range.first <= merged.back().second + 1)
      merged.back().second = std::max(merged.back().second, range.second);
    else merged.push_back(range);
  }
  return merged;
}

bool TListViewEx::HasSelection() const { return selectionModel()->hasSelection() || !FOutsideSelection.empty(); }

int32_t TListViewEx::TopIndex() const { return ItemOf(indexAt(QPoint(1, 1))); }

QModelIndex TListViewEx::ItemIndex(int32_t Item) {
  if (Item < 0 || Item >= ItemCount()) return {};
  KeepInWindow(Item);
  return FModel->index(Item - FModel->Base, 0);
}

int32_t TListViewEx::ItemOf(const QModelIndex& Index) const {
  return Index.isValid() ? FModel->Base + Index.row() : -1;
}

bool TListViewEx::Windowed() const { return FModel->OnData && FModel->VirtualCount > kWindowRows; }

void TListViewEx::KeepInWindow(int32_t Item) {
  if (!Windowed()) return;
  // A quarter of the window on either side: room for any page or wheel step before the next move.
  constexpr int32_t kMargin = kWindowRows / 4;
  const int32_t base = FModel->Base;
  const bool nearStart = Item < base + kMargin && base > 0;
  const bool nearEnd = Item >= base + kWindowRows - kMargin && base + kWindowRows < FModel->VirtualCount;
  if (nearStart || nearEnd) MoveWindow(std::clamp(Item - kWindowRows / 2, 0, FModel->VirtualCount - kWindowRows));
}

void TListViewEx::MoveWindow(int32_t Base) {
  if (Base == FModel->Base) return;
  const int32_t top = TopIndex();
  const int32_t end = Base + kWindowRows;
  std::vector<std::pair<int32_t, int32_t>> outside;
  // Keeps the parts of a selected range that the new window does not hold; true when it holds some.
  const auto split = [&](int32_t first, int32_t last) {
    if (first < Base) outside.emplace_back(first, std::min(last, Base - 1));
    if (last >= end) outside.emplace_back(std::max(first, end), last);
    return last >= Base && first < end;
  };
  // The window's own selection moves with the layout change; only what leaves it is kept here.
  for (const QItemSelectionRange& range : selectionModel()->selection())
    split(FModel->Base + range.top(), FModel->Base + range.bottom());
  std::vector<std::pair<int32_t, int32_t>> entering;
  for (const auto& range : FOutsideSelection)
    if (split(range.first, range.second)) entering.push_back(range);
  FOutsideSelection = std::move(outside);
  FMovingWindow = true;
  FSelectionSuspended = true;
  FModel->MoveBase(Base);
  executeDelayedItemsLayout();  // the view's bar has its range again
  const auto row = [&](int32_t Item) { return std::clamp(Item - Base, 0, kWindowRows - 1); };
  QItemSelection selection;
  for (const auto& [first, last] : entering)
    selection.select(FModel->index(row(first), 0), FModel->index(row(last), std::max(ColumnCount() - 1, 0)));
  if (!selection.isEmpty())
    selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (top >= 0) verticalScrollBar()->setValue(row(top));
  FSelectionSuspended = false;
  FMovingWindow = false;
  SyncItemsBar();
}

void TListViewEx::SyncItemsBar() {
  if (!Windowed()) {
    if (FItemsBar && !FItemsBar->isHidden()) {
      FItemsBar->hide();
      setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    return;
  }
  if (!FItemsBar) {
    FItemsBar = new QScrollBar(Qt::Vertical, this);
    FItemsBar->setObjectName(QStringLiteral("ItemsScrollBar"));
    FItemsBar->setFocusPolicy(Qt::NoFocus);
    connect(FItemsBar, &QScrollBar::valueChanged, this, [this](int Value) { ItemsBarMoved(Value); });
  }
  // The view's own bar keeps its place in the layout; the items' bar covers it.
  if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOn) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  const QScrollBar* own = verticalScrollBar();
  const QSignalBlocker blocker(FItemsBar);
  FItemsBar->setRange(0, std::max(FModel->VirtualCount - own->pageStep(), 0));
  FItemsBar->setPageStep(own->pageStep());
  FItemsBar->setSingleStep(own->singleStep());
  FItemsBar->setValue(FModel->Base + own->value());
  PlaceItemsBar();
  FItemsBar->show();
  FItemsBar->raise();
}

void TListViewEx::ItemsBarMoved(int Value) {
  KeepInWindow(Value);
  FMovingWindow = true;
  verticalScrollBar()->setValue(Value - FModel->Base);
  FMovingWindow = false;
}

bool TListViewEx::eventFilter(QObject* watched, QEvent* event) {
  if (FItemsBar && Windowed() &&
      (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show))
    PlaceItemsBar();
  return QTreeView::eventFilter(watched, event);
}

void TListViewEx::PlaceItemsBar() {
  const QScrollBar* own = verticalScrollBar();
  FItemsBar->setGeometry(QRect(own->mapTo(this, QPoint(0, 0)), own->size()));
}

void TListViewEx::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (!FMovingWindow && current.isValid()) KeepInWindowLater(true);
}

void TListViewEx::KeepInWindowLater(bool ByCurrent) {
  FMoveByCurrent = ByCurrent;
  if (FMovePending || !Windowed()) return;
  FMovePending = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FMovePending = false;
        const int32_t item = FMoveByCurrent ? ItemOf(currentIndex()) : TopIndex();
        if (item >= 0) KeepInWindow(item);
      },
      Qt::QueuedConnection);
}

void TListViewEx::InvalidateListView(int32_t AItemsCount, int32_t ACheckedCount) {
  if (AItemsCount != -1 && AItemsCount != ItemCount()) SetItemCount(AItemsCount);
  FModel->Forget();
  viewport()->update();
  RefreshCompanions();
  if (FCountLabel)
    FCountLabel->setText(
        QString::asprintf(FCountFormat.toUtf8().constData(), AItemsCount == -1 ? ItemCount() : AItemsCount));
  if (FCheckedCountLabel && ACheckedCount >= 0)
    FCheckedCountLabel->setText(QString::asprintf(FCheckedCountFormat.toUtf8().constData(), ACheckedCount));
  Invalidated();
}

std::optional<bool> TListViewEx::EnabledOf(TListCompanion Role) const {
  if (const QAbstractButton* button = FButtons[RoleIndex(Role)]) return button->isEnabled();
  if (const QAction* action = FActions[RoleIndex(Role)]) return action->isEnabled();
  return std::nullopt;
}

bool TListViewEx::EditEnabled() const {
  if (auto enabled = EnabledOf(TListCompanion::lcAdd)) return *enabled;
  if (!FAddActionList.empty() && FAddActionList.front()) return FAddActionList.front()->isEnabled();
  return EnabledOf(TListCompanion::lcDeleteAll).value_or(true);
}

bool TListViewEx::CheckEnabled() const {
  for (TListCompanion role : {TListCompanion::lcCheckAll, TListCompanion::lcUnCheckAll})
    if (auto enabled = EnabledOf(role)) return *enabled;
  return EditEnabled();
}

bool TListViewEx::MoveEnabled() const {
  const bool movable = EnabledOf(TListCompanion::lcMoveUp) || EnabledOf(TListCompanion::lcMoveDown) ||
                       static_cast<bool>(FOnMoveSelected);
  return movable && EditEnabled();
}

void TListViewEx::SetCompanionButton(TListCompanion Role, QAbstractButton* Button) {
  FButtons[RoleIndex(Role)] = Button;
  RefreshCompanions();
}

void TListViewEx::SetCompanionAction(TListCompanion Role, QAction* Action) {
  FActions[RoleIndex(Role)] = Action;
  RefreshCompanions();
}

QAbstractButton* TListViewEx::CompanionButton(TListCompanion Role) const { return FButtons[RoleIndex(Role)]; }

QAction* TListViewEx::CompanionAction(TListCompanion Role) const { return FActions[RoleIndex(Role)]; }

void TListViewEx::AddAddAction(QAction* Action) { FAddActionList.emplace_back(Action); }

void TListViewEx::SetCountLabel(QLabel* Value) { FCountLabel = Value; }

void TListViewEx::SetCheckedCountLabel(QLabel* Value) { FCheckedCountLabel = Value; }

void TListViewEx::SetProgressColumn(int32_t Value) {
  FProgressColumn = Value;
  viewport()->update();
}

double TListViewEx::ProgressValue(const QString& Text) {
  if (!Text.endsWith(u'%')) return -1;
  const QString number = Text.chopped(1).trimmed();
  bool ok = false;
  const double value = QLocale().toDouble(number.mid(number.lastIndexOf(u' ') + 1), &ok);
  return ok && value >= 0 && value <= 100 ? value : -1;
}

void TListViewEx::SetCompanionsEnabled(std::initializer_list<TListCompanion> Roles, bool Enabled) {
  for (TListCompanion role : Roles) {
    if (QAbstractButton* button = FButtons[RoleIndex(role)]) button->setEnabled(Enabled);
    if (QAction* action = FActions[RoleIndex(role)]) action->setEnabled(Enabled);
  }
}

void TListViewEx::RefreshCompanions() {
  using enum TListCompanion;
  SetCompanionsEnabled({lcEdit, lcRename, lcDelete, lcCopy, lcFindReplace, lcView}, EditItemEnabled());
  SetCompanionsEnabled({lcClearCheck, lcCheckSelected, lcUnCheckSelected}, CheckItemEnabled());
  SetCompanionsEnabled({lcMoveUp, lcMoveDown}, MoveItemEnabled());
  if (FOnSelected) FOnSelected(this);
}

void TListViewEx::Invalidated() {
  if (FOnInvalidated) FOnInvalidated(this);
}

void TListViewEx::SortByColumn(int32_t Column, bool Desc) {
  if (FOnSortByColumn) FOnSortByColumn(this, Column, Desc);
}

void TListViewEx::MoveSelected(int32_t ToIndex) {
  if (FOnMoveSelected) FOnMoveSelected(this, ToIndex);
}

void TListViewEx::SelectionChanged() {
  if (!FSelectionSuspended) RefreshCompanions();
}

QItemSelectionModel::SelectionFlags TListViewEx::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  const QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
  if (flags & QItemSelectionModel::Clear) FOutsideSelection.clear();
  return flags;
}

void TListViewEx::HeaderClicked(int Column) {
  if (!SortEnabled() || !FOnSortByColumn) return;
  SortByColumn(Column, Column == FSortedByColumn);
  FSortedByColumn = Column == FSortedByColumn ? -1 : Column;
  FModel->Forget();
  viewport()->update();
  RefreshCompanions();
  Invalidated();
}

bool TListViewEx::TriggerFirst(std::initializer_list<TListCompanion> Roles, bool WithAddList) {
  for (TListCompanion role : Roles) {
    if (QAbstractButton* button = FButtons[RoleIndex(role)]; button && button->isEnabled()) {
      button->click();
      return true;
    }
    if (QAction* action = FActions[RoleIndex(role)]; action && action->isEnabled()) {
      action->trigger();
      return true;
    }
  }
  if (WithAddList && !FAddActionList.empty() && FAddActionList.front() && FAddActionList.front()->isEnabled()) {
    FAddActionList.front()->trigger();
    return true;
  }
  return false;
}

void TListViewEx::keyPressEvent(QKeyEvent* event) {
  using enum TListCompanion;
  if (state() != QAbstractItemView::EditingState) {
    const int key = event->key();
    if (key == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
      // Ctrl alone; with Shift or Alt as well the key means nothing here.
      if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) SelectAll();
      event->accept();
      return;
    }
    // Home and End of the whole list: the window goes there first, then the view moves in it.
    if (Windowed() && (key == Qt::Key_Home || key == Qt::Key_End)) {
      MoveWindow(key == Qt::Key_Home ? 0 : FModel->VirtualCount - kWindowRows);
      // The view moves from its current row, and from none it goes to the first; a current row
      // left outside the window starts at the end it goes to.
      if (!currentIndex().isValid())
        selectionModel()->setCurrentIndex(FModel->index(key == Qt::Key_Home ? 0 : kWindowRows - 1, 0),
                                          QItemSelectionModel::NoUpdate);
    }
    if (((key == Qt::Key_Return || key == Qt::Key_Enter) && TriggerFirst({lcEdit, lcView, lcRename}, false)) ||
        (key == Qt::Key_Delete && TriggerFirst({lcDelete}, false)) ||
        (event->text() == QStringLiteral("+") && TriggerFirst({lcAdd}, true))) {
      event->accept();
      return;
    }
  }
  QTreeView::keyPressEvent(event);
}

void TListViewEx::mouseDoubleClickEvent(QMouseEvent* event) {
  using enum TListCompanion;
  if (!TriggerFirst({lcEdit, lcView, lcRename}, false)) QTreeView::mouseDoubleClickEvent(event);
}

void TListViewEx::startDrag(Qt::DropActions) {
  const QModelIndex current = currentIndex();
  if (!MoveEnabled() || !current.isValid() || !HasSelection()) return;
  auto* mime = new QMimeData;
  mime->setData(kDragFormat, QByteArray::number(current.row()));
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->exec(Qt::MoveAction);
}

bool TListViewEx::AcceptsDrop(const QDropEvent* event) const {
  return event->source() == this && event->mimeData()->hasFormat(kDragFormat) &&
         indexAt(event->position().toPoint()).isValid();
}

void TListViewEx::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this && event->mimeData()->hasFormat(kDragFormat)) event->acceptProposedAction();
  else event->ignore();
}

void TListViewEx::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrop(event)) event->acceptProposedAction();
  else event->ignore();
}

void TListViewEx::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  MoveSelected(indexAt(event->position().toPoint()).row());
}

}  // namespace korrin
