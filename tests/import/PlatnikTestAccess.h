#pragma once

#include "import/PlatnikDataAccess.h"
#include "store/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

// The data-access module as the tests drive it: failed logins are collected instead of shown.
class RecordingDataAccess : public PlatnikDataAccess {
public:
    RecordingDataAccess() = default;
    RecordingDataAccess(const QString& path, const QString& password) {
        SetDbPath(path);
        SetDbPassword(password);
    }
    QStringList reported;
    bool lastWasErrorIcon = false;

protected:
    void ReportLoginFailure(const LoginResult& result) override {
        reported << result.message;
        lastWasErrorIcon = result.errorIcon();
    }
};

inline QString Fixture(const char* name) {
    return QStringLiteral(FISKON_TEST_FIXTURES "/platnik/") + QString::fromUtf8(name);
}

inline const QString kFixturePassword = QStringLiteral("Zaq12wsx");

// Text of a test as code page 1250 bytes, the way records hold it.
inline std::string Cp(const char* utf8) {
    return cp1250::fromUnicode(QString::fromUtf8(utf8));
}

inline QJsonObject Manifest() {
    QFile file(Fixture("MANIFEST.json"));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("fixtures")).toObject();
}

// Writes an executable shell script standing in for the reader helper.
inline QString WriteFakeReader(const QTemporaryDir& dir, const char* name, const QByteArray& script) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n" + script + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}
