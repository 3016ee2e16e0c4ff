#include "forms/widgets/FindingsTableModel.h"

#include <algorithm>

void FindingsTableModel::setRows(std::vector<FindingRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    applyFilter();
    endResetModel();
}

void FindingsTableModel::setFilter(FindingsFilter filter) {
    beginResetModel();
    filter_ = std::move(filter);
    applyFilter();
    endResetModel();
}

void FindingsTableModel::applyFilter() {
    shown_.clear();
    shown_.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (filter_.matches(rows_[i])) shown_.push_back(i);
}

std::vector<FindingRow> FindingsTableModel::shownRows() const {
    std::vector<FindingRow> rows;
    rows.reserve(shown_.size());
    for (const std::size_t i : shown_) rows.push_back(rows_[i]);
    return rows;
}

std::vector<const RegisterFinding*> FindingsTableModel::shownFindings() const {
    std::vector<const RegisterFinding*> findings;
    findings.reserve(shown_.size());
    for (const std::size_t i : shown_) findings.push_back(&rows_[i].finding);
    return findings;
}

int FindingsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int FindingsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kFindingColumns; }

QVariant FindingsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FindingRow& shown = row(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return shown.column(index.column());
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
    applyFilter();
    emit layoutChanged();
}
