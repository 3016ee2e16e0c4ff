#include "platform/ProfileFile.h"

#include "store/IniDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>

#ifndef FISKON_SYSTEM_WININI
#define FISKON_SYSTEM_WININI "/etc/xdg/fiskon/win.ini"
#endif

namespace {

// The value of a non-empty key, empty when the file, the key or its value is missing.
QString valueIn(const QString& file, const QString& section, const QString& key) {
    if (file.isEmpty()) return {};
    try {
        const IniDocument document = IniDocument::readFile(file);
        const auto value = document.value(QFile::encodeName(section).toStdString(), QFile::encodeName(key).toStdString());
        return value ? QFile::decodeName(QByteArray(value->data(), static_cast<qsizetype>(value->size()))).trimmed()
                     : QString();
    } catch (const std::exception&) {
        return {};
    }
}

bool isFormsFolderKey(const QString& section, const QString& key) {
    return section.compare(QLatin1String("formularze"), Qt::CaseInsensitive) == 0 &&
           key.compare(QLatin1String("katalog"), Qt::CaseInsensitive) == 0;
}

// The running program's folder when the forms program lies beside it.
QString programFolderWithFormsProgram() {
    if (QCoreApplication::instance() == nullptr) return {};
    const QString folder = QCoreApplication::applicationDirPath();
    const QFileInfo formsProgram(QDir(folder).filePath(QStringLiteral("formvel")));
    return formsProgram.isFile() && formsProgram.isExecutable() ? folder : QString();
}

}  // namespace

QString userProfileFile() {
    const QString named = qEnvironmentVariable("FISKON_WININI");
    if (!named.isEmpty()) return named;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/fiskon/win.ini");
}

QString systemProfileFile() { return QStringLiteral(FISKON_SYSTEM_WININI); }

QString profileString(const QString& section, const QString& key, const QString& fallback) {
    if (QString value = valueIn(userProfileFile(), section, key); !value.isEmpty()) return value;
    if (isFormsFolderKey(section, key))
        if (QString folder = programFolderWithFormsProgram(); !folder.isEmpty()) return folder;
    if (QString value = valueIn(systemProfileFile(), section, key); !value.isEmpty()) return value;
    return fallback;
}
