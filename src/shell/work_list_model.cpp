#include "shell/work_list_model.h"

namespace tarnwick {

int WorkListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant WorkListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return QString::fromStdString(entries_[static_cast<std::size_t>(index.row())]);
  return {};
}

void WorkListModel::Clear() {
  if (entries_.empty()) return;
  beginResetModel();
  entries_.clear();
  entries_.shrink_to_fit();
  endResetModel();
}

void WorkListModel::Append(std::vector<std::string>& entries) {
  if (entries.empty()) return;
  const int first = rowCount();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
  for (auto& entry : entries) entries_.push_back(std::move(entry));
  endInsertRows();
  entries.clear();
}

}  // namespace tarnwick
