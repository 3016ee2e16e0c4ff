#pragma once

#include <QString>

#include <stdexcept>

// Signing cannot go on: what() is a Polish sentence in UTF-8, ready for the program's message.
class SigningError : public std::runtime_error {
public:
    explicit SigningError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};
