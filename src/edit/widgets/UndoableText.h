#pragma once

#include <QString>

class QLineEdit;

// Puts `text` into an editable field as one step of its undo history, so that Ctrl+Z in the field
// still undoes what the user typed before the program cleaned the amount up or recomputed it
// (QLineEdit::setText forgets the history). A read-only field, or a text its validator refuses,
// is set plainly; an unchanged text leaves the field and its history alone.
void ReplaceTextUndoably(QLineEdit& edit, const QString& text);
