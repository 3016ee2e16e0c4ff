#include "settings/RegisterPayerFiles.h"

#include "store/FileErrors.h"
#include "store/IniDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPair>

#include <string>

namespace {

constexpr const char* kSection = "PayerFiles";

std::string dataKey(int number) { return "Data" + std::to_string(number); }
std::string payerKey(int number) { return "Payer" + std::to_string(number); }

QString absolute(const QString& fileName) { return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()); }

QString decoded(const std::string& encoded) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(encoded)));
}

std::string encoded(const QString& file) { return file.toUtf8().toPercentEncoding().toStdString(); }

using Entries = QList<QPair<QString, QString>>;

Entries entriesOf(const IniDocument& document) {
    Entries entries;
    for (int number = 1; number <= RegisterPayerFiles::kMaximum; ++number) {
        const QString data = decoded(document.readString(kSection, dataKey(number), ""));
        const QString payer = decoded(document.readString(kSection, payerKey(number), ""));
        if (!data.isEmpty() && !payer.isEmpty()) entries.append({data, payer});
    }
    return entries;
}

}  // namespace

QString RegisterPayerFiles::payerFileOf(const QString& dataFile) const {
    try {
        const QString data = absolute(dataFile);
        for (const auto& [file, payer] : entriesOf(IniDocument::readFile(settingsFile_)))
            if (file == data) return payer;
    } catch (const FileError&) {
        // An unreadable settings file remembers nothing; the settings dialog reports it.
    }
    return {};
}

void RegisterPayerFiles::remember(const QString& dataFile, const QString& payerFile) {
    IniDocument document = IniDocument::readFile(settingsFile_);
    const QString data = absolute(dataFile);
    Entries entries = entriesOf(document);
    entries.removeIf([&](const QPair<QString, QString>& entry) { return entry.first == data; });
    entries.prepend({data, absolute(payerFile)});
    for (int number = 1; number <= kMaximum; ++number) {
        const bool kept = number <= entries.size();
        if (!kept && !document.value(kSection, dataKey(number))) continue;  // never written
        document.writeString(kSection, dataKey(number), kept ? encoded(entries.at(number - 1).first) : std::string());
        document.writeString(kSection, payerKey(number), kept ? encoded(entries.at(number - 1).second) : std::string());
    }
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    document.writeFile(settingsFile_);
}
