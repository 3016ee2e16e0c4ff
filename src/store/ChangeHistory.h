#pragma once

#include <QString>

#include <cstddef>
#include <memory>

struct Workspace;

// One change of the data the user can take back: it was done when it was made; undo takes the
// data back to what they were before it, redo to what it made of them. Steps are undone and
// redone strictly in order, so each finds the data as it left them (apart from the register's
// order, which a column sort may have changed since: steps know records by their addresses).
class ChangeStep {
public:
    virtual ~ChangeStep() = default;
    // Whether undo (or redo) would find the data the step knows.
    virtual bool applies(const Workspace& workspace) const = 0;
    // False when the step no longer applies to the data (they were replaced since): nothing done.
    virtual bool undo(Workspace& workspace) = 0;
    virtual bool redo(Workspace& workspace) = 0;
    // What the step holds, in bytes, beyond the data themselves (the memory the history costs).
    virtual std::size_t bytes() const = 0;
    virtual bool changesTaxpayers() const = 0;
    virtual bool changesPayer() const = 0;

    // How the Edycja menu names it: "Cofnij: <text>".
    QString text;
};

// Where the steps go: the main window's undo history. A workspace without one (the command line,
// most tests) records nothing.
class ChangeHistory {
public:
    virtual ~ChangeHistory() = default;
    virtual void push(std::unique_ptr<ChangeStep> step) = 0;
    // The register now holds other records (a file opened, a copy recovered): no step applies.
    virtual void clear() = 0;
};
