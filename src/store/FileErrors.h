#pragma once

#include <stdexcept>
#include <string>

#include <QString>

// A file could not be read or written; what() is a Polish sentence in UTF-8 that names the file
// and the reason, ready for the program's error message.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// A text that should have been a number was not; what() is a Polish sentence in UTF-8 naming the
// text (the program's conversion error).
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};
