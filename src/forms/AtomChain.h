#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Long texts between Fiskon and the forms program travel as chains of global atoms: pieces of 240
// bytes, each but the last followed by the byte 1 and the decimal number of the next piece's atom.

// The length of one piece: with the byte 1 and five digits an atom stays within 255 bytes.
inline constexpr int kChainPiece = 240;

// Makes the atoms of `text`, the last piece first. The chain's head is the last atom of the
// result (0 for an empty text, whose one empty piece makes no atom). No value when the atom table
// refuses a piece (full): the atoms made until then are deleted again, so nothing is left behind
// and no chain with pieces missing can be sent.
std::optional<QList<Atom>> MakeAtomChain(WindowSystem& system, const QByteArray& text);
Atom chainHead(const QList<Atom>& atoms);
void DeleteAtomChain(WindowSystem& system, const QList<Atom>& atoms);

// Reads the chain that starts at `head` into `output`, deleting each atom after reading it. A
// text after the last byte 1 that is not a number is kept (with the byte 1) and ends the chain.
// A text longer than `capacity` is refused: `output` is left empty and false returned; the rest
// of the chain is still deleted, and a chain that loops ends after as many atoms as the table holds.
bool ReadAtomChain(WindowSystem& system, Atom head, QByteArray* output, qsizetype capacity);

// Reads a chain without deleting it: how the forms program reads a request chain, which its
// sender deletes. The same rules as ReadAtomChain otherwise.
bool PeekAtomChain(WindowSystem& system, Atom head, QByteArray* output, qsizetype capacity);
