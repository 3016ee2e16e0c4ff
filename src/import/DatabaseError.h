#pragma once

#include <QString>

#include <stdexcept>

// Opening or reading the Płatnik database failed; message() is the text the database layer gives
// (a Polish sentence), as a provider reports it.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// The user stopped the reading of the database ("Przerwij").
class ReadingCancelled : public std::runtime_error {
public:
    ReadingCancelled() : std::runtime_error("reading cancelled") {}
};
