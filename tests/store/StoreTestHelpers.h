#pragma once

#include "store/Cp1250.h"
#include "store/TaxpayerRecord.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <string_view>

namespace store_test {

// Code page 1250 bytes of a UTF-8 literal, so tests can be written with Polish letters.
inline std::string cp(std::string_view utf8) {
    return cp1250::fromUnicode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

inline TaxpayerRecord person(std::string_view nazwisko, std::string_view imie1, std::string_view pesel = {}) {
    TaxpayerRecord record;
    record.nazwisko = cp(nazwisko);
    record.imie1 = cp(imie1);
    record.pesel = cp(pesel);
    return record;
}

inline void writeBytes(const QString& fileName, std::string_view bytes) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot create test file");
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

inline std::string readBytes(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

}  // namespace store_test
