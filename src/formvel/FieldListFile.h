#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A field list file given to formvel by hand: its text as the forms take it (code page 1250; a
// file certainly in UTF-8 is converted), or no value with the reason in `problem`, a Polish
// sentence a user can act on: the file does not exist, is a folder, cannot be opened, or which
// line is not an assignment.
std::optional<QByteArray> ReadFieldListFile(const QString& path, QString* problem);
