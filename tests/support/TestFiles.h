#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>

// A test's own files, written and read whole.
inline void WriteTestFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + name.toStdString());
}

inline QByteArray ReadTestFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
