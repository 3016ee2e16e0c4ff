#include "settings/ProgramSettings.h"

#include "store/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProgramSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath("fiskon.ini"); }
    void write(const QByteArray& content) {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray read() {
        QFile f(file());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(ProgramSettingsTest, MissingFileReadsAsDefaults) {
    const SettingsValues values = ProgramSettings(file()).Wczytaj();
    EXPECT_TRUE(values.databasePath.isEmpty());
    EXPECT_TRUE(values.showInitialScreen);
    EXPECT_TRUE(values.askBeforeDelete);
    EXPECT_TRUE(values.quitQuery);
    EXPECT_FALSE(QFile::exists(file()));
}

struct FlagCase {
    const char* text;
    bool expected;
};

class FlagTextTest : public ProgramSettingsTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(FlagTextTest, OnlyOneIsTrue) {
    const FlagCase c = GetParam();
    write(QByteArray("[MainSettings]\r\nShowInitialScreen=") + c.text + "\r\nAskBeforeDelete=" + c.text +
          "\r\nQuitQuery=" + c.text + "\r\n");
    const SettingsValues values = ProgramSettings(file()).Wczytaj();
    EXPECT_EQ(values.showInitialScreen, c.expected) << c.text;
    EXPECT_EQ(values.askBeforeDelete, c.expected) << c.text;
    EXPECT_EQ(values.quitQuery, c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, FlagTextTest,
                         ::testing::Values(FlagCase{"1", true}, FlagCase{"0", false}, FlagCase{"", false},
                                           FlagCase{"tak", false}, FlagCase{"true", false},
                                           FlagCase{"01", false}, FlagCase{"2", false},
                                           FlagCase{" 1 ", true}));  // values are trimmed

TEST_F(ProgramSettingsTest, KeysAndSectionMatchWithoutCase) {
    write("[mainsettings]\r\nshowinitialscreen=0\r\nDATABASEPATH=C:\\Płatnik\\baza.mdb\r\n");
    const SettingsValues values = ProgramSettings(file()).Wczytaj();
    EXPECT_FALSE(values.showInitialScreen);
    EXPECT_EQ(values.databasePath, QStringLiteral("C:\\Płatnik\\baza.mdb"));
}

TEST_F(ProgramSettingsTest, SaveWritesTheWholeSectionInOrderWithFixedTexts) {
    SettingsValues values;
    values.databasePath = QStringLiteral("/dane/Płatnik.mdb");
    values.showInitialScreen = false;
    values.askBeforeDelete = true;
    values.quitQuery = false;
    ProgramSettings(file()).Zapisz(values);
    const QByteArray expected =
        "[MainSettings]\r\n"
        "DatabasePath=/dane/P\xb3" "atnik.mdb\r\n"
        "ShowInitialScreen=0\r\n"
        "AskBeforeDelete=1\r\n"
        "TabelaBgColor=#FFFFFF\r\n"
        "TabelaTextColor=#000000\r\n"
        "LastOpened=OSTATNIO OTWARTY DOKUMENT\r\n"
        "QuitQuery=0\r\n"
        "\r\n";
    EXPECT_EQ(read(), expected);
    const SettingsValues back = ProgramSettings(file()).Wczytaj();
    EXPECT_EQ(back.databasePath, values.databasePath);
    EXPECT_FALSE(back.showInitialScreen);
    EXPECT_FALSE(back.quitQuery);
}

TEST_F(ProgramSettingsTest, WritesKeepOtherSectionsAndKeys) {
    write("[Inne]\r\nklucz=wartosc\r\n\r\n[MainSettings]\r\nWlasny=7\r\nShowInitialScreen=1\r\n");
    ProgramSettings settings(file());
    settings.SetParam("ShowInitialScreen", "0");
    settings.Zapisz(SettingsValues{});
    const QByteArray text = read();
    EXPECT_TRUE(text.contains("[Inne]\r\nklucz=wartosc\r\n"));
    EXPECT_TRUE(text.contains("Wlasny=7\r\n"));
    EXPECT_EQ(settings.GetParam("Wlasny", "x"), QStringLiteral("7"));
    EXPECT_EQ(settings.GetParam("Brak", "domyślna"), QStringLiteral("domyślna"));
}

TEST_F(ProgramSettingsTest, SingleKeyWriteCreatesFileAndFolder) {
    const QString nested = dir.filePath("a/b/fiskon.ini");
    ProgramSettings settings(nested);
    settings.SetParam("ShowInitialScreen", ProgramSettings::flagText(false));
    EXPECT_FALSE(ProgramSettings(nested).Wczytaj().showInitialScreen);
    EXPECT_TRUE(ProgramSettings(nested).Wczytaj().askBeforeDelete);
}

TEST_F(ProgramSettingsTest, UnwritableFileThrowsAndKeepsTheOldContent) {
    write("[MainSettings]\r\nQuitQuery=1\r\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ProgramSettings settings(file());
    if (QFileInfo(dir.path()).isWritable()) GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_THROW(settings.SetParam("QuitQuery", "0"), FileError);
    EXPECT_THROW(settings.Zapisz(SettingsValues{}), FileError);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(ProgramSettings(file()).Wczytaj().quitQuery);
}

TEST(ProgramSettingsFile, EnvironmentNamesTheFile) {
    qputenv("FISKON_SETTINGS", "/tmp/inny/ustawienia.ini");
    EXPECT_EQ(ProgramSettings::defaultFileName(), QStringLiteral("/tmp/inny/ustawienia.ini"));
    qunsetenv("FISKON_SETTINGS");
    EXPECT_TRUE(ProgramSettings::defaultFileName().endsWith(QStringLiteral("/fiskon.ini")));
}

}  // namespace

namespace {

// Paths the code page 1250 line cannot carry exactly: they come back from the file unchanged,
// written by a single-key write or by a save of the whole section.
class ExactPathTest : public ProgramSettingsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExactPathTest, PathSurvivesTheFile) {
    const QString path = QString::fromUtf8(GetParam());
    ProgramSettings settings(file());
    settings.SetParam(QStringLiteral("DatabasePath"), path);
    EXPECT_EQ(settings.Wczytaj().databasePath, path);
    EXPECT_EQ(settings.GetParam(QStringLiteral("DatabasePath"), QString()), path);
    SettingsValues values;
    values.databasePath = path;
    settings.Zapisz(values);
    EXPECT_EQ(settings.Wczytaj().databasePath, path);
    const QByteArray text = read();
    EXPECT_EQ(text.count("\r\n"), text.count('\n')) << "every line ends as the file's lines do";
}

INSTANTIATE_TEST_SUITE_P(Paths, ExactPathTest,
                         ::testing::Values("/home/Пётр/Płatnik/baza.mdb", "C:\\Users\\Ωmega\\baza.mdb",
                                           "/dane/baza.mdb ", " /dane/baza.mdb", "/dane/a\nb.mdb",
                                           "/dane/50%/Płatnik.mdb"));

TEST_F(ProgramSettingsTest, ExactPathYieldsToAPathWrittenSinceByAnotherProgram) {
    ProgramSettings settings(file());
    settings.SetParam(QStringLiteral("DatabasePath"), QStringLiteral("/home/Пётр/baza.mdb"));
    EXPECT_TRUE(read().contains("DatabasePath=/home/????/baza.mdb\r\n"));  // older programs still read a path
    // An older program saves another path and leaves the exact key as it was.
    QByteArray text = read();
    text.replace("DatabasePath=/home/????/baza.mdb", "DatabasePath=/inna/baza.mdb");
    write(text);
    EXPECT_EQ(settings.Wczytaj().databasePath, QStringLiteral("/inna/baza.mdb"));
    // A path the code page holds needs no second key: it is emptied.
    settings.SetParam(QStringLiteral("DatabasePath"), QStringLiteral("/dane/Płatnik.mdb"));
    EXPECT_TRUE(read().contains("DatabasePathUtf8=\r\n"));
    EXPECT_EQ(settings.Wczytaj().databasePath, QStringLiteral("/dane/Płatnik.mdb"));
}

}  // namespace
