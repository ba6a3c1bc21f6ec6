#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

namespace tarnwick {

// The run's work list as a model: entries are kept as the engine gives them and turned into
// text only for the rows on screen, so a list of 100,000 entries stays quick.
class WorkListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void Clear();
  // Adds a batch in one insertion.
  void Append(std::vector<std::string>& entries);
  const std::string& Entry(int row) const { return entries_[static_cast<std::size_t>(row)]; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace tarnwick
