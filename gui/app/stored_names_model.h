#pragma once
// The names of the stored sets of settings as a virtual list: rows are produced on demand from
// the list itself, and the view is told when their number changes.
#include <QAbstractListModel>

namespace korrin {

class TStoredSettingsList;

class TStoredNamesModel : public QAbstractListModel {
 public:
  TStoredNamesModel(const TStoredSettingsList& List, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // After sets were added, deleted or loaded.
  void CountChanged();

 private:
  const TStoredSettingsList& FList;
};

}  // namespace korrin
