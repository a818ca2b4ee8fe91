#include "forms/report_list_view.h"

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
#include <QStyledItemDelegate>
#include <algorithm>

namespace korrin {

namespace {

constexpr char kDragFormat[] = "application/x-korrin-list-item";

size_t RoleIndex(TListCompanion Role) { return static_cast<size_t>(Role); }

}  // namespace

// Rows come from the callback one at a time; the last one asked for is kept, because the view
// asks for every cell of a row in turn while it paints.
class TListViewExModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : Count(); }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(Captions.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Cells(index.row()).value(index.column());
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
  const QStringList& Cells(int32_t Row) const {
    if (!OnData) return Rows.at(static_cast<size_t>(Row));
    if (Row != CachedRow) {
      Cached.clear();
      CachedRow = Row;
      OnData(Row, Cached);
    }
    return Cached;
  }
  // One reset for any change of shape, so the view updates once.
  template <class F>
  void Change(F&& f) {
    beginResetModel();
    f();
    CachedRow = -1;
    endResetModel();
  }
  void Forget() { CachedRow = -1; }
  void CaptionChanged(int32_t Column) { emit headerDataChanged(Qt::Horizontal, Column, Column); }

  QStringList Captions;
  std::vector<QStringList> Rows;
  int32_t VirtualCount = 0;
  TListViewEx::TOwnerDataEvent OnData;

 private:
  mutable int32_t CachedRow = -1;
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
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::DragDrop);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  // Widths are the caller's, down to a hidden column of 0.
  header()->setMinimumSectionSize(0);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { HeaderClicked(column); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionChanged(); });
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
  FModel->Change([&] {
    FModel->OnData = std::move(Value);
    FModel->Rows.clear();
  });
}

int32_t TListViewEx::ItemCount() const { return FModel->Count(); }

void TListViewEx::SetItemCount(int32_t Value) {
  FModel->Change([&] {
    FModel->VirtualCount = std::max(Value, 0);
    if (!FModel->OnData) FModel->Rows.resize(static_cast<size_t>(FModel->VirtualCount));
  });
}

void TListViewEx::AddItem(const QStringList& Cells) {
  FModel->Change([&] { FModel->Rows.push_back(Cells); });
}

QStringList TListViewEx::ItemCells(int32_t Index) const { return FModel->Cells(Index); }

void TListViewEx::SelectAll() {
  FSelectionSuspended = true;
  const int32_t count = ItemCount();
  if (count > 0 && ColumnCount() > 0)
    selectionModel()->select(QItemSelection(FModel->index(0, 0), FModel->index(count - 1, ColumnCount() - 1)),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  FSelectionSuspended = false;
  viewport()->update();
  RefreshCompanions();
}

void TListViewEx::UnSelectAll() {
  FSelectionSuspended = true;
  selectionModel()->clearSelection();
  FSelectionSuspended = false;
  viewport()->update();
  RefreshCompanions();
}

std::vector<int32_t> TListViewEx::SelectedItems() const {
  std::vector<int32_t> rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

bool TListViewEx::HasSelection() const { return selectionModel()->hasSelection(); }

int32_t TListViewEx::TopIndex() const { return indexAt(QPoint(1, 1)).row(); }

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
