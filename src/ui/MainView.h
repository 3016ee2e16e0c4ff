#pragma once

#include <vector>

enum class ViewMode { vmNone, vmTabela };

// What the main window offers the dialogs besides the data itself: rebuilding the table and
// reading its selection. Row i of the table is always record i of the register.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void RefreshView(ViewMode mode) = 0;
    virtual ViewMode viewMode() const = 0;
    // Positions of the selected rows, ascending.
    virtual std::vector<int> selectedRows() const = 0;
};
