#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The forms program's side of the texts that travel as global atoms: a short request text is one
// atom; a longer text is a chain (forms/AtomChain.h, the link's side, makes and reads them).

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
