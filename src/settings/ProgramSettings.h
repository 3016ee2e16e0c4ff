#pragma once

#include <QString>

#include <string_view>
#include <utility>
#include <vector>

// The settings in force while the program runs.
struct SettingsValues {
    QString databasePath;
    bool showInitialScreen = true;
    bool askBeforeDelete = true;
    bool quitQuery = true;
};

// The settings file: INI text in code page 1250, every key in section "MainSettings", other
// sections and keys left as they are. Each operation reads the whole file afresh and writes it
// back whole when it changes something; no file stays open. A missing file reads as all
// defaults and the first write creates it (and its folder). Failures throw FileError.
class ProgramSettings {
public:
    static constexpr const char* kSection = "MainSettings";

    // The file the program uses: the one named by the environment variable FISKON_SETTINGS, or
    // "fiskon.ini" in the user's configuration folder.
    static QString defaultFileName();

    // A flag's text is true exactly when it is "1".
    static bool flagFromText(std::string_view text) { return text == "1"; }
    static QString flagText(bool flag) { return flag ? QStringLiteral("1") : QStringLiteral("0"); }

    explicit ProgramSettings(QString fileName) : fileName_(std::move(fileName)) {}
    const QString& fileName() const { return fileName_; }

    QString GetParam(const QString& key, const QString& defaultValue) const;
    void SetParam(const QString& key, const QString& value);
    // Several keys written at once, the file read and written once.
    void SetParams(const std::vector<std::pair<QString, QString>>& keyValues);

    // Reads the path and the three flags (defaults: empty path, flags on).
    SettingsValues Wczytaj() const;
    // Writes the whole section in the program's order: "DatabasePath", "ShowInitialScreen",
    // "AskBeforeDelete", "TabelaBgColor", "TabelaTextColor", "LastOpened", "QuitQuery". The two
    // colour keys and "LastOpened" always hold their fixed texts.
    void Zapisz(const SettingsValues& values);

private:
    QString fileName_;
};
