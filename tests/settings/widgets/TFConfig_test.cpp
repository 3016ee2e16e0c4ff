// The settings dialog and the settings in force, with the file named by FISKON_SETTINGS.

#include "settings/DatabasePathHolder.h"
#include "settings/ProgramSettings.h"
#include "settings/widgets/TFConfig.h"
#include "support/ScriptedUserInterface.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

class MemoryPath : public DatabasePathHolder {
public:
    QString path;
    int sets = 0;
    QString dbPath() const override { return path; }
    void SetDbPath(const QString& p) override {
        path = p;
        ++sets;
    }
};

}  // namespace

class TFConfigTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<MemoryPath> path_;
    std::unique_ptr<TFConfig> config_;

    QString file() const { return dir_.filePath("fiskon.ini"); }
    void writeFile(const QByteArray& content) {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QString stored(const char* key) { return ProgramSettings(file()).GetParam(key, "<brak>"); }
    QCheckBox* box(const char* name) { return config_->findChild<QCheckBox*>(name); }
    QPushButton* button(const char* name) { return config_->findChild<QPushButton*>(name); }
    // A fresh start of the program: a new TFConfig loads the file.
    void restart() {
        config_ = std::make_unique<TFConfig>(*path_, *ui_);
        config_->Wczytaj();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("FISKON_SETTINGS", file().toLocal8Bit());
    }
    void init() {
        QFile::remove(file());
        ui_ = std::make_unique<ScriptedUserInterface>();
        path_ = std::make_unique<MemoryPath>();
        restart();
    }
    void cleanup() {
        config_.reset();
        ui_.reset();
    }

    void dialogHasItsControls() {
        QCOMPARE(config_->windowTitle(), QStringLiteral("Konfiguracja programu"));
        QCOMPARE(config_->SettingsFile(), file());
        QCOMPARE(box("cbStartScreen")->text(), QStringLiteral("Pokazuj ekran powitalny"));
        QCOMPARE(box("cbDelete")->text(), QStringLiteral("Pytaj przy usuwaniu"));
        QCOMPARE(box("cbQuitQuery")->text(),
                 QStringLiteral("Informuj o niezapisanych danych przed wyjściem z programu"));
        QCOMPARE(button("btnSaveConfig")->text(), QStringLiteral("Zachowaj"));
        QCOMPARE(button("Button2")->text(), QStringLiteral("Anuluj"));
    }

    void firstStartUsesDefaults() {
        QVERIFY(config_->ShowInitialScreen());
        QVERIFY(config_->AskBeforeDelete());
        QVERIFY(config_->QuitQuery());
        QVERIFY(path_->path.isEmpty());
        QCOMPARE(path_->sets, 1);
        QVERIFY(!QFile::exists(file()));
    }

    void loadGivesThePathAndFlags() {
        writeFile("[MainSettings]\r\nDatabasePath=/dane/firma.mdb\r\nShowInitialScreen=nie\r\n"
                  "AskBeforeDelete=0\r\nQuitQuery=1\r\n");
        restart();
        QCOMPARE(path_->path, QStringLiteral("/dane/firma.mdb"));
        QVERIFY(!config_->ShowInitialScreen());
        QVERIFY(!config_->AskBeforeDelete());
        QVERIFY(config_->QuitQuery());
    }

    void showingLoadsTheFileIntoTheBoxes() {
        writeFile("[MainSettings]\r\nShowInitialScreen=0\r\nAskBeforeDelete=1\r\nQuitQuery=0\r\n");
        config_->show();
        QVERIFY(!box("cbStartScreen")->isChecked());
        QVERIFY(box("cbDelete")->isChecked());
        QVERIFY(!box("cbQuitQuery")->isChecked());
        QVERIFY(!config_->QuitQuery());
        config_->hide();
    }

    void startScreenBoxWritesAtOnceEvenWhenCancelled() {
        config_->show();
        box("cbStartScreen")->click();
        QCOMPARE(stored("ShowInitialScreen"), QStringLiteral("0"));
        QVERIFY(config_->ShowInitialScreen());  // in force only from the next load
        button("Button2")->click();
        QVERIFY(!config_->isVisible());
        restart();
        QVERIFY(!config_->ShowInitialScreen());
        config_->show();
        box("cbStartScreen")->click();
        QCOMPARE(stored("ShowInitialScreen"), QStringLiteral("1"));
        config_->hide();
    }

    void deleteBoxActsForTheRunButNotAfterRestartWhenCancelled() {
        config_->show();
        box("cbDelete")->click();
        box("cbQuitQuery")->click();
        QVERIFY(!config_->AskBeforeDelete());
        QVERIFY(!config_->QuitQuery());
        button("Button2")->click();
        QVERIFY(!config_->AskBeforeDelete());
        QCOMPARE(stored("AskBeforeDelete"), QStringLiteral("<brak>"));
        restart();
        QVERIFY(config_->AskBeforeDelete());
        QVERIFY(config_->QuitQuery());
    }

    void reopeningTheDialogBringsBackStoredValues() {
        config_->show();
        box("cbDelete")->click();
        button("Button2")->click();
        config_->show();
        QVERIFY(box("cbDelete")->isChecked());
        QVERIFY(config_->AskBeforeDelete());
        config_->hide();
    }

    void saveWritesEverythingAndCloses() {
        writeFile("[MainSettings]\r\nTabelaBgColor=#00FF00\r\nLastOpened=x\r\n");
        config_->show();
        path_->path = QStringLiteral("/ostatnia/baza.mdb");  // used in an import since the load
        box("cbDelete")->click();
        box("cbQuitQuery")->click();
        button("btnSaveConfig")->click();
        QVERIFY(!config_->isVisible());
        QCOMPARE(stored("DatabasePath"), QStringLiteral("/ostatnia/baza.mdb"));
        QCOMPARE(stored("ShowInitialScreen"), QStringLiteral("1"));
        QCOMPARE(stored("AskBeforeDelete"), QStringLiteral("0"));
        QCOMPARE(stored("QuitQuery"), QStringLiteral("0"));
        QCOMPARE(stored("TabelaBgColor"), QStringLiteral("#FFFFFF"));
        QCOMPARE(stored("TabelaTextColor"), QStringLiteral("#000000"));
        QCOMPARE(stored("LastOpened"), QStringLiteral("OSTATNIO OTWARTY DOKUMENT"));
        QCOMPARE(ui_->calls.size(), std::size_t{0});
    }

    void singleKeysGoThroughTheFile() {
        QVERIFY(config_->SetParam("DatabasePath", "/x/y.mdb"));
        QCOMPARE(config_->GetParam("DatabasePath", ""), QStringLiteral("/x/y.mdb"));
        QCOMPARE(config_->GetParam("Nieznany", "d"), QStringLiteral("d"));
        QVERIFY(config_->SetShowInitialScreenParam(false));
        QCOMPARE(stored("ShowInitialScreen"), QStringLiteral("0"));
        QCOMPARE(stored("DatabasePath"), QStringLiteral("/x/y.mdb"));
    }

    void unwritableFileIsReportedAndMemoryKept() {
        // A folder where the file should be: it can be neither read nor written.
        QVERIFY(QDir().mkpath(file()));
        restart();
        QCOMPARE(ui_->count(UiCall::Message), 1);  // the load reports it
        QVERIFY(config_->AskBeforeDelete());
        config_->show();
        box("cbDelete")->click();
        QVERIFY(!config_->SetShowInitialScreenParam(false));
        button("btnSaveConfig")->click();
        QVERIFY(!config_->AskBeforeDelete());  // in force although it could not be stored
        const std::vector<UiCall> messages = ui_->callsOf(UiCall::Message);
        QVERIFY(messages.size() >= 3);
        for (const UiCall& m : messages) {
            QCOMPARE(m.title, QStringLiteral("Błąd"));
            QCOMPARE(m.icon, MessageIcon::Error);
            QVERIFY(m.text.contains(file()));
        }
        QVERIFY(QDir().rmdir(file()));
    }
};

QTEST_MAIN(TFConfigTest)
#include "TFConfig_test.moc"
