#pragma once

#include "platform/AtomTable.h"

#include <QString>

#include <optional>

// The atom table of every process of the user: a file in the user's runtime folder mapped into
// each process, every call made under an exclusive lock on the file (flock, which the system
// releases when its holder dies). Where the file cannot be made or mapped, the table is this
// process's own, so that the program goes on without sharing texts.
class SharedAtomTable {
public:
    explicit SharedAtomTable(const QString& path);
    ~SharedAtomTable();
    SharedAtomTable(const SharedAtomTable&) = delete;
    SharedAtomTable& operator=(const SharedAtomTable&) = delete;

    bool shared() const { return map_ != nullptr; }
    Atom add(const QByteArray& name);
    QByteArray name(Atom atom, int bufferSize);
    Atom remove(Atom atom);
    int count();

private:
    class Locked;
    int fd_ = -1;
    void* map_ = nullptr;
    std::optional<AtomTable> table_;
    std::optional<LocalAtomTable> own_;
};
