#pragma once

#include "store/TaxpayerRegister.h"
#include "ui/MainView.h"

#include <vector>

// The main window's part in the import tests: remembers every RefreshView and how many rows the
// register held at that moment.
class RecordingMainView : public MainView {
public:
    explicit RecordingMainView(const TaxpayerRegister& taxpayers) : taxpayers_(taxpayers) {}

    void RefreshView(ViewMode mode) override {
        modes.push_back(mode);
        rowsShown = taxpayers_.count();
        mode_ = mode;
    }
    ViewMode viewMode() const override { return mode_; }
    std::vector<int> selectedRows() const override { return {}; }

    std::vector<ViewMode> modes;
    int rowsShown = -1;

private:
    const TaxpayerRegister& taxpayers_;
    ViewMode mode_ = ViewMode::vmNone;
};
