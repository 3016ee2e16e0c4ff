#include "forms/widgets/FindingsTableModel.h"

#include <algorithm>

void FindingsTableModel::setRows(std::vector<FindingRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int FindingsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FindingsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kFindingColumns; }

QVariant FindingsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FindingRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return row.column(index.column());
    if (role == Qt::TextAlignmentRole && (index.column() == 0 || index.column() == 3))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FindingsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return FindingColumnTitle(section);
    return {};
}

void FindingsTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kFindingColumns) return;
    emit layoutAboutToBeChanged();
    std::stable_sort(rows_.begin(), rows_.end(), [column, order](const FindingRow& a, const FindingRow& b) {
        return order == Qt::AscendingOrder ? FindingRow::less(a, b, column) : FindingRow::less(b, a, column);
    });
    emit layoutChanged();
}
