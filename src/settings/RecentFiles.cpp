#include "settings/RecentFiles.h"

#include "settings/ProgramSettings.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"

#include <QDir>
#include <QFileInfo>

#include <string>

namespace {

std::string keyOf(int number) { return "RecentFile" + std::to_string(number); }

QString absolute(const QString& fileName) { return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()); }

}  // namespace

QStringList RecentFiles::files() const {
    QStringList files;
    try {
        const IniDocument document = IniDocument::readFile(settingsFile_);
        for (int number = 1; number <= kMaximum; ++number) {
            const std::string encoded = document.readString(ProgramSettings::kSection, keyOf(number), "");
            const QString file = QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(encoded)));
            if (!file.isEmpty() && !files.contains(file)) files << file;
        }
    } catch (const FileError&) {
        // An unreadable settings file lists nothing; the settings dialog reports it.
    }
    return files;
}

void RecentFiles::remember(const QString& fileName) {
    const QString file = absolute(fileName);
    QStringList list = files();
    list.removeAll(file);
    list.prepend(file);
    write(list);
}

void RecentFiles::forget(const QString& fileName) {
    QStringList list = files();
    if (list.removeAll(fileName) + list.removeAll(absolute(fileName)) > 0) write(list);
}

QString RecentFiles::menuText(int number, const QString& fileName) {
    QString name = QFileInfo(fileName).fileName();
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(name);
}

void RecentFiles::write(const QStringList& files) {
    IniDocument document = IniDocument::readFile(settingsFile_);
    for (int number = 1; number <= kMaximum; ++number) {
        const QString file = number <= files.size() ? files.at(number - 1) : QString();
        document.writeString(ProgramSettings::kSection, keyOf(number), file.toUtf8().toPercentEncoding().toStdString());
    }
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    document.writeFile(settingsFile_);
}
