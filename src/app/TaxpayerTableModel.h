#pragma once

#include "store/TaxpayerFilter.h"
#include "store/TaxpayerRegister.h"

#include <QAbstractTableModel>

#include <vector>

// The main window's table over the register: columns "Nazwisko", "Imię", "NIP", "Data urodzenia",
// "Urząd Skarbowy", a row for each record the search filter lets through, in the register's order
// (row i is record i while nothing is searched for). It reads the records as they are when
// painted; the rows are taken at rebuild(), so the table never reaches past the register's end
// even when a dialog shrank it before asking for the rebuild.
class TaxpayerTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColNazwisko, ColImie, ColNip, ColDataUr, ColUs, ColumnCount };

    explicit TaxpayerTableModel(const TaxpayerRegister& taxpayers, QObject* parent = nullptr);

    // Takes the register as it is now, through the filter in force (one model reset).
    void rebuild();
    // Shows no rows and no columns.
    void clear();
    // Shows the records the text finds (TaxpayerFilter). A reset only when the rows shown change.
    void setFilterText(QStringView text);
    bool filtered() const { return !filter_.empty(); }

    // The register position shown in a row; the row showing a position, -1 when it is not shown.
    int positionAt(int row) const;
    int rowOf(int position) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The rows the filter lets through now, into `found`.
    void filterInto(std::vector<int>& found);

    const TaxpayerRegister& taxpayers_;
    TaxpayerFilter filter_;
    // Made at the first search after a rebuild or a change of the register.
    TaxpayerSearchText searchText_;
    bool searchTextStale_ = true;
    // While filtered: the positions shown, ascending. Unfiltered: row i is position i.
    std::vector<int> positions_;
    // The next result is built here and swapped in, so that typing reuses both vectors' storage.
    std::vector<int> found_;
    int rows_ = 0;
    int columns_ = 0;
};
