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
// to a box name ("p" and digits, or "pSKR." and digits).
std::optional<FieldAssignments> ParseFieldList(const QByteArray& text);

// The text of the assignments, values encoded in code page 1250 (a character it lacks becomes "?").
QByteArray ComposeFieldList(const FieldAssignments& assignments);

// Lines of text joined with CR LF after each, encoded in code page 1250.
QByteArray ComposeLines(const QStringList& lines);
