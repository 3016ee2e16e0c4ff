#pragma once

#include "platform/AtomTable.h"

#include <QString>

#include <optional>

// The atom table of every process of the user: a file in the user's runtime folder mapped into
// each process. The file is set up under its flock; every call then holds a lock word inside the
// table (the holder's process id, taken over from a holder that has died), which costs no
// system call: a field list of 20,000 characters is some 250 table calls. Where the file cannot be
// made or mapped, the table is this process's own, so that the program goes on without sharing
// texts.
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
    std::uint32_t* lockWord();
    void* map_ = nullptr;
    std::optional<AtomTable> table_;
    std::optional<LocalAtomTable> own_;
};
