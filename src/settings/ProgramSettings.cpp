#include "settings/ProgramSettings.h"

#include "store/Cp1250.h"
#include "store/IniDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <string>

namespace {

std::string bytes(const QString& text) { return cp1250::fromUnicode(text); }

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
    return cp1250::toUnicode(document.readString(kSection, bytes(key), bytes(defaultValue)));
}

void ProgramSettings::SetParam(const QString& key, const QString& value) {
    IniDocument document = IniDocument::readFile(fileName_);
    document.writeString(kSection, bytes(key), bytes(value));
    writeDocument(document, fileName_);
}

SettingsValues ProgramSettings::Wczytaj() const {
    const IniDocument document = IniDocument::readFile(fileName_);
    SettingsValues values;
    values.databasePath = cp1250::toUnicode(document.readString(kSection, "DatabasePath", ""));
    values.showInitialScreen = flagFromText(document.readString(kSection, "ShowInitialScreen", "1"));
    values.askBeforeDelete = flagFromText(document.readString(kSection, "AskBeforeDelete", "1"));
    values.quitQuery = flagFromText(document.readString(kSection, "QuitQuery", "1"));
    return values;
}

void ProgramSettings::Zapisz(const SettingsValues& values) {
    IniDocument document = IniDocument::readFile(fileName_);
    document.writeString(kSection, "DatabasePath", bytes(values.databasePath));
    document.writeString(kSection, "ShowInitialScreen", bytes(flagText(values.showInitialScreen)));
    document.writeString(kSection, "AskBeforeDelete", bytes(flagText(values.askBeforeDelete)));
    document.writeString(kSection, "TabelaBgColor", "#FFFFFF");
    document.writeString(kSection, "TabelaTextColor", "#000000");
    document.writeString(kSection, "LastOpened", "OSTATNIO OTWARTY DOKUMENT");
    document.writeString(kSection, "QuitQuery", bytes(flagText(values.quitQuery)));
    writeDocument(document, fileName_);
}
