#pragma once

#include "store/ChangeHistory.h"

#include <QString>

#include <memory>
#include <vector>

struct Workspace;

// Makes the changes recorded while it lives one step of the workspace's history: an import that
// fills both the register and the payer is undone at once.
class ChangeGroup : public ChangeHistory {
public:
    ChangeGroup(Workspace& workspace, QString text);
    ChangeGroup(const ChangeGroup&) = delete;
    ChangeGroup& operator=(const ChangeGroup&) = delete;
    // The gathered steps go to the history as one (a single step as it is).
    ~ChangeGroup() override;

    void push(std::unique_ptr<ChangeStep> step) override;
    void clear() override;

private:
    Workspace& workspace_;
    QString text_;
    ChangeHistory* outer_;
    std::vector<std::unique_ptr<ChangeStep>> steps_;
    bool cleared_ = false;
};
