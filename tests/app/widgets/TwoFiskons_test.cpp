// Two Fiskons on one data file: this test program is the second Fiskon, and starts itself again
// as the first ("--peer FILE"), a main window that opens the file and saves or ends when told on
// its standard input. A third player is a script that changes the file between open and save.

#include "app/TFMain.h"
#include "store/Cp1250.h"
#include "store/RegisterLock.h"
#include "store/TaxpayerDataFile.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

#include <memory>

namespace {

TaxpayerRecord person(const char* nazwisko, const char* imie, const char* pesel) {
    TaxpayerRecord record;
    record.nazwisko = cp1250::fromUnicode(QString::fromUtf8(nazwisko));
    record.imie1 = cp1250::fromUnicode(QString::fromUtf8(imie));
    record.pesel = pesel;
    return record;
}

QString login() { return QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name); }

int taxpayersIn(const QString& file) {
    TaxpayerRegister taxpayers;
    return LoadFromFile(taxpayers, file) ? taxpayers.count() : -1;
}

// The first Fiskon. It answers "otwarty" once the file is open; "zapisz" adds a taxpayer and
// saves to the same file (cancelling any question about it), answered with "zapisany N", N the
// questions the save asked; "koniec" closes the window.
int RunPeer(const QString& file) {
    QTextStream out(stdout);
    QTextStream in(stdin);
    ScriptedUserInterface ui;
    ui.onUnexpected = [](const QString&) {};
    auto window = std::make_unique<TFMain>(ui);
    if (!window->OpenFile(file)) {
        out << "nieotwarty" << Qt::endl;
        return 1;
    }
    out << "otwarty" << Qt::endl;
    QString line;
    while (in.readLineInto(&line)) {
        if (line == QLatin1String("zapisz")) {
            window->taxpayers().Add(person("PIERWSZY", "PIOTR", "90010112345"));
            window->workspace().markTaxpayersChanged();
            ui.clearCalls();
            ui.fileNames = {file};
            ui.choices = {2};
            window->Save();
            out << "zapisany " << ui.count(UiCall::Choose) << Qt::endl;
        } else if (line == QLatin1String("koniec")) {
            break;
        }
    }
    window.reset();
    return 0;
}

}  // namespace

class TwoFiskonsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString file_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<QProcess> peer_;

    void startPeer() {
        peer_ = std::make_unique<QProcess>();
        peer_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer_->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peer"), file_});
        QVERIFY(peer_->waitForStarted());
        QCOMPARE(peerSays(), QStringLiteral("otwarty"));
    }
    QString peerSays() {
        while (!peer_->canReadLine())
            if (!peer_->waitForReadyRead(20000)) return QStringLiteral("(nic)");
        return QString::fromUtf8(peer_->readLine()).trimmed();
    }
    void tellPeer(const char* line) {
        peer_->write(QByteArray(line) + '\n');
        QVERIFY(peer_->waitForBytesWritten());
    }
    QString lockFile() const { return RegisterLock::lockFileName(file_); }
    // Runs a shell script in the data file's folder, the file named $1.
    void script(const QString& text, const QString& file) {
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-ec"), text, QStringLiteral("sh"), file});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.exitCode(), 0);
    }
    void expectChangedQuestion(const QString& file, const QString& happened, const QString& first) {
        const UiCall asked = ui_->callsOf(UiCall::Choose).back();
        QCOMPARE(asked.title, QStringLiteral("Uwaga!"));
        QCOMPARE(asked.icon, MessageIcon::Warning);
        QCOMPARE(asked.text, QStringLiteral("Plik „%1” został %2 przez inny program po otwarciu go w programie Fiskon.")
                                 .arg(file, happened));
        QCOMPARE(asked.buttons, QStringList({first, QStringLiteral("Zapisz pod inną nazwą…"), QStringLiteral("Anuluj")}));
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("FISKON_SETTINGS", dir_.filePath(QStringLiteral("fiskon.ini")).toLocal8Bit());
    }

    void init() {
        file_ = dir_.filePath(QStringLiteral("podatnicy.txt"));
        TaxpayerRegister taxpayers;
        QVERIFY(taxpayers.Add(person("KOWALSKA", "EWA", "85010112345")));
        QVERIFY(taxpayers.Add(person("NOWAK", "JAN", "79123054321")));
        SaveToFile(taxpayers, file_);
        ui_ = std::make_unique<ScriptedUserInterface>();
        main_ = std::make_unique<TFMain>(*ui_);
    }

    void cleanup() {
        if (QTest::currentTestFailed()) qWarning().noquote() << ui_->transcript();
        if (peer_) {
            peer_->kill();
            peer_->waitForFinished();
            peer_.reset();
        }
        main_.reset();
        QVERIFY2(ui_->allAnswersUsed(), "an answer queued by the test was never asked for");
        ui_.reset();
        QFile::remove(lockFile());
    }

    void theSecondIsToldWhoHasTheFileOpenAndItsSaveAsks() {
        startPeer();
        const QByteArray peerMark = ReadTestFile(lockFile());
        QVERIFY2(peerMark.contains("Uzytkownik=" + login().toUtf8() + "\r\n"), peerMark.constData());
        QVERIFY(peerMark.contains("Proces=" + QByteArray::number(peer_->processId()) + "\r\n"));

        // The second Fiskon is told, and opens the file all the same.
        ui_->answers = {true};
        QVERIFY(main_->OpenFile(file_));
        QCOMPARE(ui_->count(UiCall::Ask), 1);
        const QString told = ui_->callsOf(UiCall::Ask).front().text;
        QVERIFY2(told.startsWith(QStringLiteral("Plik „%1” jest otwarty w programie Fiskon przez użytkownika %2 na "
                                                "komputerze %3 od %4")
                                     .arg(file_, login(), QSysInfo::machineHostName(),
                                          QDate::currentDate().toString(QStringLiteral("dd-MM-yyyy")))),
                 qPrintable(told));
        QCOMPARE(main_->taxpayers().count(), 2);
        QCOMPARE(ReadTestFile(lockFile()), peerMark);  // the mark stays the first one's

        // Both change the register; the first saves without a question, the second is asked.
        QVERIFY(main_->taxpayers().Add(person("ZIELIŃSKA", "ANNA", "92020254321")));
        main_->workspace().markTaxpayersChanged();
        tellPeer("zapisz");
        QCOMPARE(peerSays(), QStringLiteral("zapisany 0"));
        const QByteArray firstsSave = ReadTestFile(file_);
        QCOMPARE(taxpayersIn(file_), 3);

        ui_->fileNames = {file_};
        ui_->choices = {2};  // "Anuluj": nothing written
        main_->Save();
        expectChangedQuestion(file_, QStringLiteral("zmieniony"), QStringLiteral("Zastąp"));
        QCOMPARE(ReadTestFile(file_), firstsSave);
        QVERIFY(!main_->workspace().taxpayersSaved);

        ui_->fileNames = {file_};
        ui_->choices = {0};  // "Zastąp"
        main_->Save();
        QCOMPARE(ui_->count(UiCall::Choose), 2);
        QVERIFY(main_->workspace().taxpayersSaved);
        TaxpayerRegister saved;
        QVERIFY(LoadFromFile(saved, file_));
        QCOMPARE(saved.count(), 3);
        QVERIFY(saved.at(0).nazwisko == cp1250::fromUnicode(u"KOWALSKA"));
        QVERIFY(saved.at(2).nazwisko == cp1250::fromUnicode(u"ZIELIŃSKA"));

        // What this Fiskon wrote is its stamp now: its next save asks nothing; the first one's does.
        ui_->fileNames = {file_};
        main_->Save();
        QCOMPARE(ui_->count(UiCall::Choose), 2);
        tellPeer("zapisz");
        QCOMPARE(peerSays(), QStringLiteral("zapisany 1"));
        QCOMPARE(taxpayersIn(file_), 3);  // it cancelled: the second one's save stands

        // The first one ends: its mark goes, and nobody else's was made meanwhile.
        tellPeer("koniec");
        QVERIFY(peer_->waitForFinished());
        QCOMPARE(peer_->exitCode(), 0);
        QVERIFY(!QFileInfo::exists(lockFile()));
    }

    void theMarkOfAKilledFiskonIsTakenOverWithoutAQuestion() {
        startPeer();
        const qint64 first = peer_->processId();
        peer_->kill();
        QVERIFY(peer_->waitForFinished());
        QVERIFY(ReadTestFile(lockFile()).contains("Proces=" + QByteArray::number(first) + "\r\n"));

        QVERIFY(main_->OpenFile(file_));
        QCOMPARE(ui_->count(UiCall::Ask), 0);
        QVERIFY(ReadTestFile(lockFile()).contains("Proces=" + QByteArray::number(QCoreApplication::applicationPid()) + "\r\n"));
        main_.reset();  // the window's end takes its mark away
        QVERIFY(!QFileInfo::exists(lockFile()));
    }

    void aScriptChangingOrDeletingTheFileBetweenOpenAndSaveIsAskedAbout() {
        QVERIFY(main_->OpenFile(file_));
        QVERIFY(QFileInfo::exists(lockFile()));
        // The same length, a new file in its place, and the old modification time.
        script(QStringLiteral("cp -p \"$1\" stary; sed -i s/KOWALSKA/KOWALSKI/ \"$1\"; touch -r stary \"$1\"; rm stary"),
               file_);
        const QByteArray scripts = ReadTestFile(file_);

        // "Zapisz pod inną nazwą…": the other file is written and becomes the data file, its mark
        // with it; the changed file is left as the script made it.
        const QString other = dir_.filePath(QStringLiteral("podatnicy-2.txt"));
        ui_->fileNames = {file_, other};
        ui_->choices = {1};
        main_->Save();
        expectChangedQuestion(file_, QStringLiteral("zmieniony"), QStringLiteral("Zastąp"));
        QCOMPARE(ui_->callsOf(UiCall::SaveFile).back().initialPath, file_);
        QCOMPARE(ReadTestFile(file_), scripts);
        QCOMPARE(taxpayersIn(other), 2);
        QCOMPARE(main_->workspace().dataFileName, other);
        QVERIFY(!QFileInfo::exists(lockFile()));
        QVERIFY(QFileInfo::exists(RegisterLock::lockFileName(other)));

        // Deleted since: said so, and "Zapisz" writes it again.
        script(QStringLiteral("rm \"$1\""), other);
        ui_->fileNames = {other};
        ui_->choices = {0};
        main_->Save();
        expectChangedQuestion(other, QStringLiteral("usunięty"), QStringLiteral("Zapisz"));
        QCOMPARE(taxpayersIn(other), 2);
        main_.reset();
        QVERIFY(!QFileInfo::exists(RegisterLock::lockFileName(other)));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "--peer") return RunPeer(QString::fromLocal8Bit(argv[2]));
    TwoFiskonsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TwoFiskons_test.moc"
