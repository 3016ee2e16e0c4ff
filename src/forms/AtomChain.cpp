#include "forms/AtomChain.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

namespace {

// An atom is read into a buffer of 256 bytes with its terminating zero.
constexpr int kNameBuffer = 256;
// More atoms than any table holds: a chain this long loops.
constexpr int kMostAtoms = 0x4000;

// The decimal integer the whole text spells (an optional sign, then digits), as an atom number:
// its low 16 bits, as the forms program's 16-bit reading of the number gives.
std::optional<Atom> nextAtom(QByteArrayView text) {
    qsizetype at = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<Atom>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

}  // namespace

std::optional<QList<Atom>> MakeAtomChain(WindowSystem& system, const QByteArray& text) {
    const qsizetype pieces = text.size() / kChainPiece + 1;
    QList<Atom> atoms;
    atoms.reserve(pieces);
    QByteArray name;
    name.reserve(kChainPiece + 8);
    Atom next = 0;
    for (qsizetype piece = pieces - 1; piece >= 0; --piece) {
        const qsizetype start = piece * kChainPiece;
        name.resize(0);
        name.append(text.constData() + start, std::min<qsizetype>(kChainPiece, text.size() - start));
        if (next != 0) {
            char digits[8];
            const auto written = std::to_chars(digits, digits + sizeof digits, next);
            name.append('\x01');
            name.append(digits, written.ptr - digits);
        }
        next = system.addAtom(name);
        if (next == 0 && !name.isEmpty()) {  // only the empty last piece of whole pieces makes no atom
            DeleteAtomChain(system, atoms);
            return std::nullopt;
        }
        atoms.append(next);
    }
    return atoms;
}

Atom chainHead(const QList<Atom>& atoms) { return atoms.isEmpty() ? Atom{0} : atoms.last(); }

void DeleteAtomChain(WindowSystem& system, const QList<Atom>& atoms) {
    for (Atom atom : atoms)
        if (atom != 0) system.deleteAtom(atom);
}

namespace {

bool walkChain(WindowSystem& system, Atom head, QByteArray* output, qsizetype capacity, bool deleteEach) {
    output->clear();
    bool tooLong = false;
    std::optional<Atom> current = head;
    for (int read = 0; current && read < kMostAtoms; ++read) {
        const QByteArray name = system.atomName(*current, kNameBuffer);
        if (deleteEach) system.deleteAtom(*current);
        const qsizetype mark = name.lastIndexOf('\x01');
        current = mark < 0 ? std::nullopt : nextAtom(QByteArrayView(name).sliced(mark + 1));
        const QByteArrayView piece = current ? QByteArrayView(name).first(mark) : QByteArrayView(name);
        if (tooLong || output->size() + piece.size() > capacity) {
            tooLong = true;
            output->clear();
            if (!deleteEach) break;  // nothing more to do with the rest
            continue;
        }
        output->append(piece);
    }
    return !tooLong;
}

}  // namespace

bool ReadAtomChain(WindowSystem& system, Atom head, QByteArray* output, qsizetype capacity) {
    return walkChain(system, head, output, capacity, true);
}

bool PeekAtomChain(WindowSystem& system, Atom head, QByteArray* output, qsizetype capacity) {
    return walkChain(system, head, output, capacity, false);
}
