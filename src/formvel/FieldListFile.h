#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Largest field list file taken: the longest list of a form is a few kilobytes.
inline constexpr std::int64_t kMaxFieldListFileBytes = std::int64_t{1024} * 1024;

// A field list file given to formvel by hand: its text as the forms take it (code page 1250; a
// file certainly in UTF-8 is converted), or no value with the reason in `problem`, a Polish
// sentence a user can act on: the file does not exist, is a folder, a device, a pipe or larger
// than kMaxFieldListFileBytes, cannot be read, or which line is not an assignment. Files are
// read as fiskon-cli reads its own: regular files only, whole, never beyond the limit.
std::optional<QByteArray> ReadFieldListFile(const QString& path, QString* problem);
