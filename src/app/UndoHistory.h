#pragma once

#include "store/ChangeHistory.h"

#include <QObject>
#include <QUndoStack>

#include <cstdint>

struct Workspace;

// The main window's history of changes (Edycja → Cofnij / Ponów): every change of the register
// and of the payer as one step of a QUndoStack. It knows which state of the history each of the
// two is saved in, so undoing back to it makes the data saved again (no " *" in the title, no
// question at exit), and going past it unsaved.
class UndoHistory : public QObject, public ChangeHistory {
    Q_OBJECT

public:
    static constexpr int kSteps = 100;

    explicit UndoHistory(Workspace& workspace, QObject* parent = nullptr);
    ~UndoHistory() override;

    void push(std::unique_ptr<ChangeStep> step) override;
    void clear() override;

    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    QString undoText() const { return stack_.undoText(); }
    QString redoText() const { return stack_.redoText(); }
    // False when the step no longer applied to the data (the history is then emptied).
    bool undo();
    bool redo();
    int count() const { return stack_.count(); }
    // The bytes the steps hold.
    std::size_t bytes() const;

    // Takes note of the saved flags as they are now: a flag that is set marks the present state
    // as the one saved. Called after every change of the workspace; a register that got other
    // records since (a file opened, a copy recovered) empties the history.
    void noteSavedFlags();

signals:
    // The steps or the position in them changed (the menu items follow).
    void historyChanged();

private:
    class Command;
    std::uint64_t stateAt(int index) const;
    bool sameSavedState(std::uint64_t saved, bool taxpayers) const;
    void applySavedFlags();
    const Command* command(int index) const;

    Workspace& workspace_;
    QUndoStack stack_;
    std::uint64_t nextState_ = 1;
    std::uint64_t baseState_ = 0;  // of an empty stack
    std::uint64_t taxpayersSavedIn_ = 0;
    std::uint64_t payerSavedIn_ = 0;
    std::uint64_t lineage_ = 0;  // of the register the steps know
};
