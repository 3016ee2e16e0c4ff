#include "formvel/AtomChain.h"

#include "forms/AtomChain.h"

#include <QSet>

std::optional<QByteArray> ReadAtomText(WindowSystem& system, Atom atom) {
    if (atom == 0) return std::nullopt;
    const QByteArray name = system.atomName(atom, kAtomNameBuffer);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QByteArray> ReadRequestChain(WindowSystem& system, Atom head, int maxBytes) {
    QByteArray text;
    QSet<Atom> seen;
    Atom current = head;
    while (true) {
        if (seen.contains(current)) return std::nullopt;
        seen.insert(current);
        const auto name = ReadAtomText(system, current);
        if (!name) return std::nullopt;
        const qsizetype link = name->lastIndexOf('\x01');
        if (link < 0) {
            text += *name;
            break;
        }
        text += name->left(link);
        bool ok = false;
        const uint next = name->mid(link + 1).toUInt(&ok);
        if (!ok || next == 0 || next > 0xFFFF) {  // not a link: the rest is text
            text += name->mid(link);
            break;
        }
        current = static_cast<Atom>(next);
        if (text.size() > maxBytes) return std::nullopt;
    }
    if (text.size() > maxBytes) return std::nullopt;
    return text;
}

Atom MakeReplyChain(WindowSystem& system, const QByteArray& text) {
    if (text.isEmpty()) return 0;
    const std::optional<QList<Atom>> atoms = MakeAtomChain(system, text);
    return atoms ? chainHead(*atoms) : Atom{0};
}

QList<QByteArray> RequestLines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}
