#include "store/ChangeGroup.h"

#include "store/Workspace.h"

#include <algorithm>

namespace {

// Steps done in order, undone in the reverse order.
class GroupedSteps : public ChangeStep {
public:
    explicit GroupedSteps(std::vector<std::unique_ptr<ChangeStep>> steps) : steps_(std::move(steps)) {}

    bool applies(const Workspace& workspace) const override {
        // Only the step to be undone first can be asked now; the others find the data it leaves.
        return steps_.back()->applies(workspace);
    }
    bool undo(Workspace& workspace) override {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step)
            if (!(*step)->undo(workspace)) return false;
        return true;
    }
    bool redo(Workspace& workspace) override {
        for (auto& step : steps_)
            if (!step->redo(workspace)) return false;
        return true;
    }
    std::size_t bytes() const override {
        std::size_t total = sizeof(*this);
        for (const auto& step : steps_) total += step->bytes();
        return total;
    }
    bool changesTaxpayers() const override {
        return std::any_of(steps_.begin(), steps_.end(), [](const auto& step) { return step->changesTaxpayers(); });
    }
    bool changesPayer() const override {
        return std::any_of(steps_.begin(), steps_.end(), [](const auto& step) { return step->changesPayer(); });
    }

private:
    std::vector<std::unique_ptr<ChangeStep>> steps_;
};

}  // namespace

ChangeGroup::ChangeGroup(Workspace& workspace, QString text)
    : workspace_(workspace), text_(std::move(text)), outer_(workspace.history) {
    if (outer_) workspace_.history = this;
}

ChangeGroup::~ChangeGroup() {
    if (!outer_) return;
    workspace_.history = outer_;
    if (cleared_) outer_->clear();
    if (steps_.empty()) return;
    std::unique_ptr<ChangeStep> step =
        steps_.size() == 1 ? std::move(steps_.front()) : std::make_unique<GroupedSteps>(std::move(steps_));
    step->text = text_;
    outer_->push(std::move(step));
}

void ChangeGroup::push(std::unique_ptr<ChangeStep> step) { steps_.push_back(std::move(step)); }

void ChangeGroup::clear() {
    steps_.clear();
    cleared_ = true;
}
