#include "app/TaxpayerTableModel.h"

#include "store/Cp1250.h"

#include <algorithm>

TaxpayerTableModel::TaxpayerTableModel(const TaxpayerRegister& taxpayers, QObject* parent)
    : QAbstractTableModel(parent), taxpayers_(taxpayers) {}

void TaxpayerTableModel::filterInto(std::vector<int>& found) {
    found.clear();
    if (filter_.empty()) return;
    if (searchTextStale_ || !searchText_.follows(taxpayers_)) {
        searchText_.build(taxpayers_);
        searchTextStale_ = false;
    }
    filter_.collect(searchText_, found);
}

void TaxpayerTableModel::rebuild() {
    beginResetModel();
    // Records may have been changed in place, which the register's revision does not show.
    searchTextStale_ = true;
    filterInto(positions_);
    rows_ = filter_.empty() ? taxpayers_.count() : static_cast<int>(positions_.size());
    columns_ = ColumnCount;
    endResetModel();
}

void TaxpayerTableModel::clear() {
    beginResetModel();
    positions_.clear();
    rows_ = 0;
    columns_ = 0;
    endResetModel();
}

void TaxpayerTableModel::setFilterText(QStringView text) {
    const bool wasFiltered = filtered();
    filter_ = TaxpayerFilter(text);
    if (columns_ == 0) return;  // nothing shown: the next rebuild applies it
    filterInto(found_);
    const int rows = filter_.empty() ? taxpayers_.count() : static_cast<int>(found_.size());
    if (wasFiltered == filtered() && rows == rows_ && (!filtered() || found_ == positions_)) return;
    beginResetModel();
    positions_.swap(found_);
    rows_ = rows;
    endResetModel();
}

int TaxpayerTableModel::positionAt(int row) const {
    if (row < 0 || row >= rows_) return -1;
    return filtered() ? positions_[static_cast<std::size_t>(row)] : row;
}

int TaxpayerTableModel::rowOf(int position) const {
    if (position < 0) return -1;
    if (!filtered()) return position < rows_ ? position : -1;
    const auto found = std::lower_bound(positions_.begin(), positions_.end(), position);
    return found != positions_.end() && *found == position ? static_cast<int>(found - positions_.begin()) : -1;
}

int TaxpayerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TaxpayerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TaxpayerTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const int position = positionAt(index.row());
    if (position < 0 || position >= taxpayers_.count()) return {};
    const TaxpayerRecord& record = taxpayers_.at(position);
    switch (index.column()) {
    case ColNazwisko: return cp1250::toUnicode(record.nazwisko);
    case ColImie: return cp1250::toUnicode(record.imie1);
    case ColNip: return cp1250::toUnicode(record.nip);
    case ColDataUr: return cp1250::toUnicode(record.dataUr);
    case ColUs: return cp1250::toUnicode(record.us);
    default: return {};
    }
}

QVariant TaxpayerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case ColNazwisko: return QStringLiteral("Nazwisko");
    case ColImie: return QStringLiteral("Imię");
    case ColNip: return QStringLiteral("NIP");
    case ColDataUr: return QStringLiteral("Data urodzenia");
    case ColUs: return QStringLiteral("Urząd Skarbowy");
    default: return {};
    }
}
