#pragma once

#include <vector>

enum class ViewMode { vmNone, vmTabela };

// What the main window offers the dialogs besides the data itself: rebuilding the table and
// reading its selection. The table shows the register in its order, all of it or, while the user
// searches, the records the search finds; the selection is given in register positions.
class MainView {
public:
    virtual ~MainView() = default;
    // Rebuilds the table from the register as it is now, the search in force applied again.
    virtual void RefreshView(ViewMode mode) = 0;
    virtual ViewMode viewMode() const = 0;
    // Register positions of the records the user sees selected, ascending.
    virtual std::vector<int> selectedRows() const = 0;
};
