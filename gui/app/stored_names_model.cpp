#include "gui/app/stored_names_model.h"

#include "settings/stored_settings_list.h"

namespace korrin {

TStoredNamesModel::TStoredNamesModel(const TStoredSettingsList& List, QObject* parent)
    : QAbstractListModel(parent), FList(List) {}

int TStoredNamesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FList.Count(); }

QVariant TStoredNamesModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= FList.Count()) return {};
  return QString::fromStdString(FList.GetSettings(index.row()).Name());
}

void TStoredNamesModel::CountChanged() {
  beginResetModel();
  endResetModel();
}

}  // namespace korrin
