#include "app/TaxpayerTableModel.h"

#include "store/Cp1250.h"

TaxpayerTableModel::TaxpayerTableModel(const TaxpayerRegister& taxpayers, QObject* parent)
    : QAbstractTableModel(parent), taxpayers_(taxpayers) {}

void TaxpayerTableModel::rebuild() {
    beginResetModel();
    rows_ = taxpayers_.count();
    columns_ = ColumnCount;
    endResetModel();
}

void TaxpayerTableModel::clear() {
    beginResetModel();
    rows_ = 0;
    columns_ = 0;
    endResetModel();
}

int TaxpayerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TaxpayerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TaxpayerTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    if (index.row() >= taxpayers_.count()) return {};
    const TaxpayerRecord& record = taxpayers_.at(index.row());
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
