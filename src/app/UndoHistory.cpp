#include "app/UndoHistory.h"

#include "store/Workspace.h"

#include <QUndoCommand>

// A step on the stack, with the states of the history before and after it. QUndoStack runs
// redo() when a command is pushed; the step was done already then.
class UndoHistory::Command : public QUndoCommand {
public:
    Command(Workspace& workspace, std::unique_ptr<ChangeStep> step, std::uint64_t before, std::uint64_t after)
        : QUndoCommand(step->text), workspace_(workspace), step_(std::move(step)), before_(before), after_(after) {}

    void undo() override { step_->undo(workspace_); }
    void redo() override {
        if (pushed_) step_->redo(workspace_);
        pushed_ = true;
    }

    const ChangeStep& step() const { return *step_; }
    std::uint64_t before() const { return before_; }
    std::uint64_t after() const { return after_; }

private:
    Workspace& workspace_;
    std::unique_ptr<ChangeStep> step_;
    std::uint64_t before_;
    std::uint64_t after_;
    bool pushed_ = false;
};

UndoHistory::UndoHistory(Workspace& workspace, QObject* parent) : QObject(parent), workspace_(workspace) {
    stack_.setUndoLimit(kSteps);
    lineage_ = workspace_.taxpayers.lineage();
    connect(&stack_, &QUndoStack::indexChanged, this, &UndoHistory::historyChanged);
    workspace_.history = this;
}

UndoHistory::~UndoHistory() {
    disconnect(&stack_, nullptr, this, nullptr);
    if (workspace_.history == this) workspace_.history = nullptr;
    stack_.clear();
}

const UndoHistory::Command* UndoHistory::command(int index) const {
    return static_cast<const Command*>(stack_.command(index));
}

std::uint64_t UndoHistory::stateAt(int index) const {
    if (stack_.count() == 0) return baseState_;
    if (index == 0) return command(0)->before();
    return command(index - 1)->after();
}

void UndoHistory::push(std::unique_ptr<ChangeStep> step) {
    lineage_ = workspace_.taxpayers.lineage();
    const std::uint64_t before = stateAt(stack_.index());
    stack_.push(new Command(workspace_, std::move(step), before, nextState_++));
}

void UndoHistory::clear() {
    baseState_ = nextState_++;
    lineage_ = workspace_.taxpayers.lineage();
    stack_.clear();
    // The data now in the workspace are saved where their flags say so.
    taxpayersSavedIn_ = workspace_.taxpayersSaved ? baseState_ : 0;
    payerSavedIn_ = workspace_.payerSaved ? baseState_ : 0;
    emit historyChanged();
}

void UndoHistory::noteSavedFlags() {
    if (workspace_.taxpayers.lineage() != lineage_) {
        clear();
        return;
    }
    const std::uint64_t now = stateAt(stack_.index());
    if (workspace_.taxpayersSaved) taxpayersSavedIn_ = now;
    if (workspace_.payerSaved) payerSavedIn_ = now;
}

// Whether the present state is the saved one as far as the taxpayers (or the payer) go: the same
// state, or one that only steps of the other kind lie between.
bool UndoHistory::sameSavedState(std::uint64_t saved, bool taxpayers) const {
    const int now = stack_.index();
    if (stateAt(now) == saved) return true;
    for (int k = 0; k <= stack_.count(); ++k) {
        if (stateAt(k) != saved) continue;
        for (int i = std::min(k, now); i < std::max(k, now); ++i)
            if (taxpayers ? command(i)->step().changesTaxpayers() : command(i)->step().changesPayer()) return false;
        return true;
    }
    return false;
}

void UndoHistory::applySavedFlags() {
    workspace_.taxpayersSaved = sameSavedState(taxpayersSavedIn_, true);
    workspace_.payerSaved = sameSavedState(payerSavedIn_, false);
    workspace_.taxpayers.NoteRecordsChanged();
    workspace_.notifyChanged();
}

bool UndoHistory::undo() {
    if (!stack_.canUndo()) return false;
    if (!command(stack_.index() - 1)->step().applies(workspace_)) {
        clear();
        return false;
    }
    stack_.undo();
    applySavedFlags();
    return true;
}

bool UndoHistory::redo() {
    if (!stack_.canRedo()) return false;
    if (!command(stack_.index())->step().applies(workspace_)) {
        clear();
        return false;
    }
    stack_.redo();
    applySavedFlags();
    return true;
}

std::size_t UndoHistory::bytes() const {
    std::size_t total = 0;
    for (int i = 0; i < stack_.count(); ++i) total += command(i)->step().bytes();
    return total;
}
