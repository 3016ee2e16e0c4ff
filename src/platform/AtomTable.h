#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>

// The global atom table in a block of memory: the memory of one process (tests) or a file mapped
// by every process of the user (the Linux window system, which also holds the lock around each
// call). Win32 numbering: the atom of slot i is hex C000 + i. Names are 1 to 255 bytes and match
// exactly, letter case included, so a text always comes back as it was put in.
//
// The block may be written by another process; every value read from it is bounded before use,
// so a damaged table gives wrong answers at worst, never a read or write outside the block.
class AtomTable {
public:
    static constexpr int kMaxName = 255;
    static constexpr int kSlots = 0x4000;
    static constexpr Atom kFirstAtom = 0xC000;

    // Each slot's count, length and hash in arrays of their own (a name is sought without
    // touching the names); each name in 256 bytes of its own (four cache lines).
    struct Data {
        std::uint32_t magic;
        std::uint32_t used;       // slots [0, used) have been handed out at some time
        std::uint32_t lockOwner;  // the thread holding the table (SharedAtomTable), 0 for none
        std::uint32_t reserved;
        std::uint32_t hashes[kSlots];  // 0 = free
        std::uint16_t counts[kSlots];  // references; 0 = free
        std::uint8_t lengths[kSlots];
        alignas(64) char names[kSlots][256];
    };
    static constexpr std::size_t kDataSize = sizeof(Data);

    // Works on `data`, which must stay valid (kDataSize bytes) while the table is used. A block of
    // zeros is an empty table.
    explicit AtomTable(void* data);

    Atom add(const QByteArray& name);
    QByteArray name(Atom atom, int bufferSize) const;
    Atom remove(Atom atom);
    // Atoms in use (for tests and leak checks).
    int count() const;
    // The word a process that shares the table locks it with.
    std::uint32_t* lockWord() { return &data_->lockOwner; }

private:
    Data* data_;
    std::uint32_t usedSlots() const;
    // The slot of an atom in use; -1 when there is none.
    int slotOf(Atom atom) const;
};

// An atom table of this process alone.
class LocalAtomTable {
public:
    LocalAtomTable();
    AtomTable& table() { return table_; }

private:
    std::unique_ptr<AtomTable::Data> data_;
    AtomTable table_;
};
