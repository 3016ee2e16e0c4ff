// Reading a reply chain of atoms from the forms program: whatever names the other side put in the
// table, the reader stays within the caller's capacity, stops on loops and deletes what it reads;
// and a chain we write reads back to the same text.
//
// Input: two bytes of capacity (little-endian), then atom names separated by "\n"; the names are
// added to the table in order (the first is hex C000) and the chain is read from the first.
#include "forms/AtomChain.h"
#include "platform/AtomTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Only the atom table is real; nothing else of the window system is reached.
class AtomsOnly : public WindowSystem {
public:
    WindowHandle findWindow(const QByteArray&) override { return 0; }
    bool isWindow(WindowHandle) override { return false; }
    std::int32_t sendMessage(WindowHandle, std::uint32_t, std::uint32_t, std::int32_t) override { return 0; }
    bool enableWindow(WindowHandle, bool) override { return false; }
    bool setForegroundWindow(WindowHandle) override { return false; }
    WindowHandle registerWindow(const LocalWindow&) override { return 0; }
    void unregisterWindow(WindowHandle) override {}
    Atom addAtom(const QByteArray& name) override { return atoms.table().add(name); }
    QByteArray atomName(Atom atom, int bufferSize) override { return atoms.table().name(atom, bufferSize); }
    Atom deleteAtom(Atom atom) override { return atoms.table().remove(atom); }
    int startProcess(const QString&, int) override { return 2; }
    QString profileString(const QString&, const QString&, const QString& fallback) override { return fallback; }
    void pumpMessages() override {}
    void waitMessage() override {}
    bool handleOneMessage() override { return false; }
    void sleep(int) override {}

    LocalAtomTable atoms;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static AtomsOnly system;
    const qsizetype capacity = data[0] | (data[1] << 8);
    const QByteArray input(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(size - 2));

    Atom head = 0;
    QList<Atom> added;
    for (const QByteArray& name : input.split('\n')) {
        const Atom atom = system.addAtom(name);
        if (head == 0) head = atom;
        added.append(atom);
    }
    const int before = system.atoms.table().count();
    QByteArray output = "old";
    const bool whole = ReadAtomChain(system, head, &output, capacity);
    if (output.size() > capacity || (!whole && !output.isEmpty())) std::abort();
    if (system.atoms.table().count() > before) std::abort();
    for (Atom atom : added)
        while (atom != 0 && system.deleteAtom(atom) == 0) {
        }
    if (system.atoms.table().count() != 0) std::abort();

    // What we write reads back unchanged (a text without the byte 1, which the chain uses).
    if (!input.contains('\x01')) {
        const std::optional<QList<Atom>> chain = MakeAtomChain(system, input);
        if (!chain) std::abort();  // the table is empty: every piece fits
        QByteArray back;
        if (!ReadAtomChain(system, chainHead(*chain), &back, input.size()) || back != input) std::abort();
        if (system.atoms.table().count() != 0) std::abort();
    }
    return 0;
}
