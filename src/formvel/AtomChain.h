#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Texts between Fiskon and the forms program travel as global atoms. A short request text is one
// atom; a longer text is a chain: pieces of 240 bytes, the atom of every piece but the last holding
// the piece, the byte 1 and the decimal number of the next piece's atom.

inline constexpr int kAtomChainPiece = 240;
inline constexpr int kAtomNameBuffer = 256;

// The name of one atom; no value when the atom does not exist.
std::optional<QByteArray> ReadAtomText(WindowSystem& system, Atom atom);

// Reads a request chain from its head without deleting it (the sender deletes its atoms). No value
// when an atom of the chain is missing or the chain runs in a circle or past `maxBytes`.
std::optional<QByteArray> ReadRequestChain(WindowSystem& system, Atom head, int maxBytes = 1 << 20);

// Makes the chain of a reply and returns its head; the reader deletes the atoms. 0 for an empty
// text, and 0 (with every atom made so far deleted) when the atom table refuses one.
Atom MakeReplyChain(WindowSystem& system, const QByteArray& text);

// The lines of a request text (CR LF after each line; a bare LF is taken too).
QList<QByteArray> RequestLines(const QByteArray& text);
