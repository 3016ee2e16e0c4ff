#include "settings/ProgramSettings.h"

#include "store/Cp1250.h"
#include "store/IniDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <string>

namespace {

std::string bytes(const QString& text) { return cp1250::fromUnicode(text); }

// The database path is kept under "DatabasePath" in code page 1250, as every program that reads the
// file expects. A path that this line cannot carry exactly (a character the code page lacks, such
// as a Cyrillic user name, blanks at its ends, a line break) is also written, percent-encoded
// UTF-8, under "DatabasePathUtf8"; that key is read back only while "DatabasePath" still holds the
// same path as far as the code page can show it, so a path written since by another program wins.
constexpr const char* kPathKey = "DatabasePath";
constexpr const char* kExactPathKey = "DatabasePathUtf8";

bool isPathKey(const QString& key) { return key.compare(QLatin1String(kPathKey), Qt::CaseInsensitive) == 0; }

// The code page 1250 value written for a path: control characters, which would break the line,
// and characters the code page lacks become "?".
std::string lineBytes(QString path) {
    for (QChar& ch : path)
        if (ch.unicode() < 0x20) ch = u'?';
    return cp1250::fromUnicode(path);
}

// The path as that line gives it back, trimmed of blanks like every value of the file.
QString asCodePageLine(const QString& path) {
    QString text = cp1250::toUnicode(lineBytes(path));
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20) ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20) --end;
    return text.mid(begin, end - begin);
}

void writePath(IniDocument& document, const QString& path) {
    document.writeString(ProgramSettings::kSection, kPathKey, lineBytes(path));
    const bool exact = asCodePageLine(path) != path;
    // A key left from an earlier path is emptied; a file that never needed it does not get it.
    if (exact || document.readString(ProgramSettings::kSection, kExactPathKey, "\n") != "\n")
        document.writeString(ProgramSettings::kSection, kExactPathKey,
                             exact ? path.toUtf8().toPercentEncoding().toStdString() : std::string());
}

QString readPath(const IniDocument& document, const QString& defaultValue) {
    const QString path = cp1250::toUnicode(document.readString(ProgramSettings::kSection, kPathKey, bytes(defaultValue)));
    const std::string encoded = document.readString(ProgramSettings::kSection, kExactPathKey, "");
    if (encoded.empty()) return path;
    const QString exact = QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(encoded)));
    return asCodePageLine(exact) == path ? exact : path;
}

void writeDocument(const IniDocument& document, const QString& fileName) {
    // The configuration folder does not exist before the first start.
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    document.writeFile(fileName);
}

}  // namespace

QString ProgramSettings::defaultFileName() {
    const QString fromEnvironment = qEnvironmentVariable("FISKON_SETTINGS");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("fiskon.ini"));
}

QString ProgramSettings::GetParam(const QString& key, const QString& defaultValue) const {
    const IniDocument document = IniDocument::readFile(fileName_);
    if (isPathKey(key)) return readPath(document, defaultValue);
    return cp1250::toUnicode(document.readString(kSection, bytes(key), bytes(defaultValue)));
}

void ProgramSettings::SetParam(const QString& key, const QString& value) { SetParams({{key, value}}); }

void ProgramSettings::SetParams(const std::vector<std::pair<QString, QString>>& keyValues) {
    IniDocument document = IniDocument::readFile(fileName_);
    for (const auto& [key, value] : keyValues) {
        if (isPathKey(key))
            writePath(document, value);
        else
            document.writeString(kSection, bytes(key), bytes(value));
    }
    writeDocument(document, fileName_);
}

SettingsValues ProgramSettings::Wczytaj() const {
    const IniDocument document = IniDocument::readFile(fileName_);
    SettingsValues values;
    values.databasePath = readPath(document, QString());
    values.showInitialScreen = flagFromText(document.readString(kSection, "ShowInitialScreen", "1"));
    values.askBeforeDelete = flagFromText(document.readString(kSection, "AskBeforeDelete", "1"));
    values.quitQuery = flagFromText(document.readString(kSection, "QuitQuery", "1"));
    return values;
}

void ProgramSettings::Zapisz(const SettingsValues& values) {
    IniDocument document = IniDocument::readFile(fileName_);
    writePath(document, values.databasePath);
    document.writeString(kSection, "ShowInitialScreen", bytes(flagText(values.showInitialScreen)));
    document.writeString(kSection, "AskBeforeDelete", bytes(flagText(values.askBeforeDelete)));
    document.writeString(kSection, "TabelaBgColor", "#FFFFFF");
    document.writeString(kSection, "TabelaTextColor", "#000000");
    document.writeString(kSection, "LastOpened", "OSTATNIO OTWARTY DOKUMENT");
    document.writeString(kSection, "QuitQuery", bytes(flagText(values.quitQuery)));
    writeDocument(document, fileName_);
}
