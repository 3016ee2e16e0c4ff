#pragma once

#include "forms/FindingsFilter.h"
#include "forms/FindingsList.h"

#include <QAbstractTableModel>

#include <vector>

// The findings of the register check for a table view: those the filter takes, in the list's
// order; a click on a column head sorts by it.
class FindingsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Every finding of the check; the filter stays.
    void setRows(std::vector<FindingRow> rows);
    const std::vector<FindingRow>& rows() const { return rows_; }
    void setFilter(FindingsFilter filter);
    const FindingsFilter& filter() const { return filter_; }

    // The finding shown in `row` of the table.
    const FindingRow& row(int row) const { return rows_[shown_[static_cast<std::size_t>(row)]]; }
    // The findings shown, in the table's order.
    std::vector<FindingRow> shownRows() const;
    std::vector<const RegisterFinding*> shownFindings() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void applyFilter();

    std::vector<FindingRow> rows_;
    FindingsFilter filter_;
    std::vector<std::size_t> shown_;  // positions in rows_ of the findings the filter takes
};
