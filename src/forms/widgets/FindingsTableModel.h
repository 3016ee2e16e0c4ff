#pragma once

#include "forms/FindingsList.h"

#include <QAbstractTableModel>

#include <vector>

// The findings of the register check for a table view; a click on a column head sorts by it.
class FindingsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<FindingRow> rows);
    const std::vector<FindingRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    std::vector<FindingRow> rows_;
};
