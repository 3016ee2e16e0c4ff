// The main window at start-up and with its data files: a file named on the command line, the list
// of recent files in "Plik", and the question about the unsaved data of a Fiskon that ended
// without a clean close. The scripted user interface answers.

#include "app/ProgramArguments.h"
#include "app/TFMain.h"
#include "settings/DatabasePathHolder.h"
#include "settings/widgets/TFConfig.h"
#include "store/Cp1250.h"
#include "store/RecoveryKeeper.h"
#include "store/TaxpayerDataFile.h"
#include "support/ScriptedUserInterface.h"
#include "support/StandInWindows.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

namespace {

const QString kCaption = QStringLiteral("Program wypełniający PIT-11/8B/40");
const QString kNoUsableData = QStringLiteral("Wskazany plik nie zawierał przydatnych danych!");
// The Fiskon that kept a copy and is gone (pid 1 never started at that time).
const RecoveryCopyHolder kGone{{1, 1}, ""};

}  // namespace

class TFMainStartupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    MemoryPath dbPath_;
    std::unique_ptr<TFConfig> config_;
    ScriptedDialog start_;

    QString path(const QString& name) { return dir_.filePath(name); }
    QTableView* table() { return main_->findChild<QTableView*>("ListView"); }
    int rows() { return table()->isVisible() ? table()->model()->rowCount() : 0; }

    // A data file of `count` taxpayers whose surnames begin with `prefix`.
    QString dataFile(const QString& name, int count, const char* prefix = "KOWAL") {
        TaxpayerRegister reg;
        for (int i = 0; i < count; ++i) {
            TaxpayerRecord record;
            record.nazwisko = std::string(prefix) + char('A' + i);
            record.imie1 = "JAN";
            record.pesel = std::to_string(80010100000LL + i);
            reg.Add(record);
        }
        SaveToFile(reg, path(name));
        return path(name);
    }
    // The copy a Fiskon left, made at 14-03-2026 09:26:53; its lock is gone with it.
    static void writeCopy(const QString& fileName, const Workspace& workspace) {
        QFile out(fileName);
        QVERIFY(out.open(QIODevice::WriteOnly));
        const std::string text = RecoveryCopyText(workspace, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)), kGone);
        out.write(text.data(), static_cast<qint64>(text.size()));
    }
    // The Fiskon starts: its first tick.
    void startUp() {
        main_->Timer1()->start();
        QTRY_VERIFY(!main_->Timer1()->isActive());
    }
    QStringList recentMenu() {
        QMenu* plik = main_->findChild<QMenu*>("MMnu_Plik");
        emit plik->aboutToShow();
        QStringList entries;
        for (int n = 1; n <= 5; ++n) {
            QAction* action = main_->findChild<QAction*>(QStringLiteral("MMnuRecent%1").arg(n));
            if (action->isVisible()) entries << action->text() + QLatin1Char('|') + action->toolTip();
        }
        emit plik->aboutToHide();
        return entries;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("FISKON_SETTINGS", path("fiskon.ini").toLocal8Bit());
    }

    void init() {
        QFile::remove(path("fiskon.ini"));
        QFile settings(path("fiskon.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[MainSettings]\r\nShowInitialScreen=1\r\nQuitQuery=1\r\n");
        settings.close();
        ui_ = std::make_unique<ScriptedUserInterface>();
        main_ = std::make_unique<TFMain>(*ui_);
        config_ = std::make_unique<TFConfig>(dbPath_, *ui_);
        config_->Wczytaj();
        main_->windows().config = config_.get();
        start_.shown = 0;
        main_->windows().start = &start_;
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }

    void cleanup() {
        if (QTest::currentTestFailed()) qWarning().noquote() << ui_->transcript();
        main_.reset();
        config_.reset();
        QVERIFY2(ui_->allAnswersUsed(), "an answer queued by the test was never asked for");
    }

    void commandLineNamesAtMostOneFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("help");
        QTest::newRow("nothing") << QStringList() << QString() << QString() << false;
        QTest::newRow("a file") << QStringList{"/dane/podatnicy 2006.txt"} << "/dane/podatnicy 2006.txt" << QString() << false;
        QTest::newRow("a file: address") << QStringList{"file:///dane/p%C5%82ace.txt"} << QString::fromUtf8("/dane/płace.txt")
                                         << QString() << false;
        QTest::newRow("a name with a dash") << QStringList{"--", "-plik.txt"} << "-plik.txt" << QString() << false;
        QTest::newRow("help") << QStringList{"--help"} << QString() << QString() << true;
        QTest::newRow("unknown option") << QStringList{"--drukuj", "a.txt"} << QString()
                                        << QString::fromUtf8("nieznana opcja „--drukuj” (fiskon --help opisuje wywołanie)") << false;
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << QString()
                                   << QString::fromUtf8("można otworzyć tylko jeden plik naraz (podano 2)") << false;
    }
    void commandLineNamesAtMostOneFile() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, dataFile);
        QFETCH(QString, error);
        QFETCH(bool, help);
        const ProgramArguments parsed = ParseProgramArguments(arguments);
        QCOMPARE(parsed.dataFile, dataFile);
        QCOMPARE(parsed.error, error);
        QCOMPARE(parsed.help, help);
    }

    void fileOnTheCommandLineOpensInPlaceOfTheStartScreen() {
        const QString file = dataFile("podatnicy-2006.txt", 3);
        main_->setStartupFile(file);
        startUp();
        QCOMPARE(rows(), 3);
        QCOMPARE(start_.shown, 0);
        QVERIFY2(ui_->calls.empty(), qPrintable(ui_->transcript()));
        QVERIFY(main_->workspace().taxpayersSaved);
        QCOMPARE(main_->windowTitle(), kCaption + QStringLiteral(" – podatnicy-2006.txt"));
        QCOMPARE(recentMenu(), QStringList{QStringLiteral("&1 podatnicy-2006.txt|") + file});
    }

    void fileThatCannotBeOpenedIsSaidAndTheProgramGoesOn_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "brak.txt" << QByteArray() << QStringLiteral("Nie można otworzyć pliku „%1”: taki plik nie istnieje.");
        QTest::newRow("no records") << "pusty.txt" << QByteArray("[Parametry]\r\nLiczbaRekordow=0\r\n") << kNoUsableData;
        QTest::newRow("bad count") << "zly.txt" << QByteArray("[Parametry]\r\nLiczbaRekordow=abc\r\n") << kNoUsableData;
        QTest::newRow("folder") << "folder" << QByteArray("/") << QStringLiteral("Nie można odczytać pliku „%1”: wskazano folder, a nie plik.");
    }
    void fileThatCannotBeOpenedIsSaidAndTheProgramGoesOn() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString file = path(name);
        QFile::remove(file);
        if (content == "/") {
            QVERIFY(QDir().mkpath(file));
        } else if (!content.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        main_->setStartupFile(file);
        startUp();
        QCOMPARE(ui_->calls.size(), std::size_t{1});
        QCOMPARE(ui_->last().text, message.contains(QLatin1String("%1")) ? message.arg(file) : message);
        QCOMPARE(rows(), 0);
        QCOMPARE(start_.shown, 1);  // the program starts as it would without a file
        QVERIFY(recentMenu().isEmpty());
    }

    // A payer file given to the program (a double-click on one) opens in the payer form, even
    // behind a UTF-8 mark and a comment; unsaved payer data are not replaced by it.
    void aPayerFileOnTheCommandLineOpensThePayerForm() {
        const QString file = path("firma.txt");
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("\xEF\xBB\xBF; dane firmy\r\n\r\n[PLATNIK]\r\nrodzaj=1\r\nnazwa=ZAKŁAD\r\n");
        }
        QStringList opened;
        ScriptedDialog payerForm;
        main_->windows().platnik = &payerForm;
        main_->windows().openPayer = [&opened](const QString& name) {
            opened << name;
            return true;
        };
        main_->setStartupFile(file);
        startUp();
        QCOMPARE(opened, QStringList{file});
        QCOMPARE(payerForm.shown, 1);
        QCOMPARE(start_.shown, 0);
        QCOMPARE(rows(), 0);
        QVERIFY2(ui_->calls.empty(), qPrintable(ui_->transcript()));

        main_->workspace().markPayerChanged();
        main_->setStartupFile(file);
        startUp();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(ui_->last().text, QStringLiteral("Plik „%1” nie został otwarty: dane płatnika nie zostały zapisane.").arg(file));
        main_->windows().platnik = nullptr;
        main_->workspace().markPayerSaved();
    }

    void plikListsTheLastFiveFilesOpenedOrSaved() {
        QStringList files;
        for (int n = 1; n <= 6; ++n) files << dataFile(QStringLiteral("rok-%1.txt").arg(2000 + n), n);
        for (const QString& file : files) QVERIFY(main_->OpenFile(file));
        QCOMPARE(recentMenu(), (QStringList{"&1 rok-2006.txt|" + files[5], "&2 rok-2005.txt|" + files[4],
                                            "&3 rok-2004.txt|" + files[3], "&4 rok-2003.txt|" + files[2],
                                            "&5 rok-2002.txt|" + files[1]}));

        // Chosen from the list, a file opens and goes to the top.
        recentMenu();
        main_->findChild<QAction*>("MMnuRecent4")->trigger();
        QCOMPARE(rows(), 3);
        QCOMPARE(recentMenu().first(), "&1 rok-2003.txt|" + files[2]);

        // Saved under a new name (an ampersand shows as itself), that file is first.
        ui_->fileNames.push_back(path("kadry & płace.txt"));
        main_->SaveAs();
        QCOMPARE(ui_->last().initialPath, files[2]);  // the dialog starts at the file the data came from
        QCOMPARE(recentMenu().first(), "&1 kadry && płace.txt|" + path("kadry & płace.txt"));

        // A file gone since is taken off the list when chosen, and the register stays.
        QVERIFY(QFile::remove(files[4]));
        const QStringList before = recentMenu();
        const auto gone = before.indexOf("&4 rok-2005.txt|" + files[4]);
        QVERIFY(gone >= 0);
        ui_->clearCalls();
        main_->findChild<QAction*>(QStringLiteral("MMnuRecent%1").arg(gone + 1))->trigger();
        QCOMPARE(ui_->calls.size(), std::size_t{1});
        QCOMPARE(ui_->last().text, QStringLiteral("Plik „%1” już nie istnieje. Usunięto go z listy ostatnio "
                                                  "otwieranych plików.").arg(files[4]));
        QCOMPARE(rows(), 3);
        QStringList after = before;
        after.removeAt(gone);
        for (auto n = gone; n < after.size(); ++n) after[n].replace(0, 2, QStringLiteral("&%1").arg(n + 1));
        QCOMPARE(recentMenu(), after);
    }

    void unsavedDataOfAFiskonThatDiedAreOfferedBeforeTheStartScreen_data() {
        QTest::addColumn<bool>("recover");
        QTest::newRow("Odzyskaj") << true;
        QTest::newRow("Odrzuć") << false;
    }
    void unsavedDataOfAFiskonThatDiedAreOfferedBeforeTheStartScreen() {
        QFETCH(bool, recover);
        QTemporaryDir state;
        const QString origin = dataFile("podatnicy-2006.txt", 3);
        // The copy a Fiskon left: its lock is gone with it.
        Workspace dead;
        QVERIFY(LoadFromFile(dead.taxpayers, origin));
        dead.taxpayers.at(1).ulica = cp1250::fromUnicode(QStringLiteral("Świętokrzyska"));
        dead.dataFileName = origin;
        dead.taxpayersSaved = false;
        const QString orphan = state.filePath("kopia-1-dead.txt");
        {
            QFile out(orphan);
            QVERIFY(out.open(QIODevice::WriteOnly));
            const std::string text = RecoveryCopyText(dead, QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)), kGone);
            out.write(text.data(), static_cast<qint64>(text.size()));
        }
        main_->setRecovery(std::make_unique<RecoveryKeeper>(main_->workspace(),
                                                            std::make_unique<OwnRecoveryCopy>(state.path()), 0),
                           state.path());
        const QString ownCopy = main_->recoveryKeeper()->copy().fileName();
        // Something that is no file stands where this Fiskon's own copy goes: its first write fails.
        QVERIFY(QDir().mkpath(ownCopy));
        ui_->answers.push_back(recover);
        startUp();

        QCOMPARE(ui_->count(UiCall::Ask), 1);
        QCOMPARE(ui_->last().title, QStringLiteral("Pytanie"));
        QCOMPARE(ui_->last().text, QStringLiteral("Program nie został poprawnie zamknięty. Odzyskać niezapisane "
                                                  "zmiany z 14-03-2026 09:26 (3 podatników)?"));
        // Recovered, the orphan stays as long as this Fiskon's own copy does not hold its data.
        main_->recoveryKeeper()->flush();
        QCOMPARE(QFile::exists(orphan), recover);
        QVERIFY(QDir(ownCopy).removeRecursively());
        main_->recoveryKeeper()->changed();
        main_->recoveryKeeper()->flush();
        QVERIFY(!QFile::exists(orphan));
        if (!recover) {
            QCOMPARE(start_.shown, 1);
            QCOMPARE(rows(), 0);
            QVERIFY(!QFile::exists(ownCopy));
            return;
        }
        QCOMPARE(start_.shown, 0);
        QCOMPARE(rows(), 3);
        QCOMPARE(TaxpayerFileText(main_->taxpayers()), TaxpayerFileText(dead.taxpayers));
        QVERIFY(!main_->workspace().taxpayersSaved);
        QCOMPARE(main_->windowTitle(), kCaption + QStringLiteral(" – podatnicy-2006.txt *"));
        // This Fiskon's own copy holds them now, for the user's eyes only.
        QVERIFY(QFile::exists(ownCopy));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(ownCopy).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        // "Zapisz" offers the file they came from; once saved, the copy goes.
        ui_->fileNames.push_back(origin);
        main_->Save();
        QCOMPARE(ui_->last().initialPath, origin);
        main_->recoveryKeeper()->flush();
        QVERIFY(!QFile::exists(ownCopy));
        QCOMPARE(main_->windowTitle(), kCaption + QStringLiteral(" – podatnicy-2006.txt"));
    }

    // Another file named on the command line after "Odzyskaj": the recovered data are not replaced
    // without a question, also with "QuitQuery" off; wanted saved but not saved, they stay.
    void recoveredDataAreNotReplacedByTheStartupFileWithoutAQuestion_data() {
        QTest::addColumn<QList<bool>>("answers");  // Odzyskaj, then save?
        QTest::addColumn<bool>("saveCancelled");
        QTest::addColumn<bool>("opened");
        QTest::newRow("Nie: the file replaces them") << QList<bool>{true, false} << false << true;
        QTest::newRow("Tak, saved: the file opens") << QList<bool>{true, true} << false << true;
        QTest::newRow("Tak, dialog cancelled: they stay") << QList<bool>{true, true} << true << false;
    }
    void recoveredDataAreNotReplacedByTheStartupFileWithoutAQuestion() {
        QFETCH(QList<bool>, answers);
        QFETCH(bool, saveCancelled);
        QFETCH(bool, opened);
        {
            QFile settings(path("fiskon.ini"));
            QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
            settings.write("[MainSettings]\r\nShowInitialScreen=1\r\nQuitQuery=0\r\n");
        }
        config_->Wczytaj();
        QVERIFY(!config_->QuitQuery());
        QTemporaryDir state;
        const QString other = dataFile("inny.txt", 2, "NOWAK");
        Workspace dead;
        QVERIFY(LoadFromFile(dead.taxpayers, dataFile("podatnicy-2006.txt", 3)));
        dead.taxpayersSaved = false;
        writeCopy(state.filePath("kopia-1-dead.txt"), dead);
        main_->setRecovery(std::make_unique<RecoveryKeeper>(main_->workspace(),
                                                            std::make_unique<OwnRecoveryCopy>(state.path()), 0),
                           state.path());
        main_->setStartupFile(other);
        for (const bool answer : answers) ui_->answers.push_back(answer);
        if (answers.back()) ui_->fileNames.push_back(saveCancelled ? std::nullopt : std::optional(path("odzyskane.txt")));
        startUp();

        QCOMPARE(ui_->count(UiCall::Ask), 2);
        const auto asked = std::find_if(ui_->calls.begin(), ui_->calls.end(), [](const UiCall& call) {
            return call.text == QStringLiteral("Dane podatników nie zostały zapisane. Czy chcesz je zapisać?");
        });
        QVERIFY(asked != ui_->calls.end());
        QCOMPARE(asked->title, QStringLiteral("Uwaga!"));
        QCOMPARE(main_->taxpayers().count(), opened ? 2 : 3);
        if (!opened) {
            QCOMPARE(ui_->last().text, QStringLiteral("Plik „%1” nie został otwarty: odzyskane dane podatników nie "
                                                      "zostały zapisane.").arg(other));
            QVERIFY(!main_->workspace().taxpayersSaved);
        }
        if (answers.back() && !saveCancelled) {
            TaxpayerRegister saved;
            QVERIFY(LoadFromFile(saved, path("odzyskane.txt")));
            QCOMPARE(TaxpayerFileText(saved), TaxpayerFileText(dead.taxpayers));
        }
    }

    // A copy cut short by the disk is neither brought back nor removed unseen: the user is told,
    // and it is moved aside, where it stays.
    void aDamagedCopyIsToldAboutAndSetAside() {
        QTemporaryDir state;
        Workspace dead;
        QVERIFY(LoadFromFile(dead.taxpayers, dataFile("podatnicy-2006.txt", 3)));
        dead.taxpayersSaved = false;
        const QString orphan = state.filePath("kopia-1-dead.txt");
        writeCopy(orphan, dead);
        QFile cut(orphan);
        QVERIFY(cut.resize(cut.size() - 30));
        main_->setRecovery(std::make_unique<RecoveryKeeper>(main_->workspace(),
                                                            std::make_unique<OwnRecoveryCopy>(state.path()), 0),
                           state.path());
        startUp();

        QCOMPARE(ui_->count(UiCall::Ask), 0);
        const QString aside = state.filePath("uszkodzona-1-dead.txt");
        QCOMPARE(ui_->calls.front().title, QStringLiteral("Uwaga!"));
        QCOMPARE(ui_->calls.front().text,
                 QStringLiteral("Program nie został poprawnie zamknięty, ale kopia niezapisanych zmian z 14-03-2026 "
                                "09:26 jest niepełna lub uszkodzona i nie da się z niej odzyskać danych. Przeniesiono "
                                "ją do pliku „%1”.").arg(aside));
        QVERIFY(QFile::exists(aside));
        QVERIFY(!QFile::exists(orphan));
        QCOMPARE(rows(), 0);
        QCOMPARE(start_.shown, 1);
    }
};

QTEST_MAIN(TFMainStartupTest)
#include "TFMainStartup_test.moc"
