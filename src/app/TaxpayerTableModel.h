#pragma once

#include "store/TaxpayerRegister.h"

#include <QAbstractTableModel>

// The main window's table over the register: row i is record i, columns "Nazwisko", "Imię",
// "NIP", "Data urodzenia", "Urząd Skarbowy". It reads the records as they are when painted; the
// number of rows is taken at rebuild(), so the table never reaches past the register's end even
// when a dialog shrank it before asking for the rebuild.
class TaxpayerTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColNazwisko, ColImie, ColNip, ColDataUr, ColUs, ColumnCount };

    explicit TaxpayerTableModel(const TaxpayerRegister& taxpayers, QObject* parent = nullptr);

    // Takes the register as it is now (a model reset: no per-row work).
    void rebuild();
    // Shows no rows and no columns.
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TaxpayerRegister& taxpayers_;
    int rows_ = 0;
    int columns_ = 0;
};
