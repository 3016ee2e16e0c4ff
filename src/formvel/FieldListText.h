#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The field list as it travels: code page 1250 text, one assignment "p19=1234563218" or
// "pSKR.01=01" a line, lines ended by CR LF (a bare LF is taken too).

using FieldAssignments = std::vector<std::pair<QByteArray, QString>>;

// The assignments in order, values decoded; no value when a non-empty line is not an assignment
// to a box name ("p" and digits, or "pSKR." and digits). `badLine` then gets that line's number
// (from 1).
std::optional<FieldAssignments> ParseFieldList(const QByteArray& text, int* badLine = nullptr);

// A field list file's text as the forms take it, code page 1250: a file that is certainly UTF-8
// (as the data files tell it) is converted, any other is taken as it is.
QByteArray FieldListFileText(const QByteArray& bytes);

// The text of the assignments, values encoded in code page 1250 (a character it lacks becomes "?").
QByteArray ComposeFieldList(const FieldAssignments& assignments);

// Lines of text joined with CR LF after each, encoded in code page 1250.
QByteArray ComposeLines(const QStringList& lines);
