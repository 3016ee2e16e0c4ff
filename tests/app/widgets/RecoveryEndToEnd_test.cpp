// Typing that survives a kill, on a real X server (Xvfb, started here). The whole program runs in
// child processes of this test (the same windows, made in the same order, with the real message
// boxes and file dialogs), each driven through its controls as a user would drive it:
//
//   A  opens a register from its command line, opens a taxpayer's edit form, types a new surname
//      and street, presses "Zatwierdz" — and is killed (SIGKILL) once its recovery copy is there;
//   W  starts while A still runs and must not offer A's live copy;
//   R  starts after the kill, is asked "Program nie został poprawnie zamknięty…", answers
//      "Odzyskaj", saves with "Zapisz" into the file the dialog proposes… under a new name, and
//      closes cleanly. What R saved must be byte for byte what A held when it was killed.

#include "app/FiskonProgram.h"
#include "app/TFMain.h"
#include "store/Cp1250.h"
#include "store/TaxpayerDataFile.h"
#include "support/XvfbServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

#include <cstdio>
#include <functional>

namespace {

const QString kQuestionStart = QStringLiteral("Program nie został poprawnie zamknięty. Odzyskać niezapisane zmiany z ");

void say(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QMessageBox* messageBox() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }

void click(QMessageBox* box, const QString& caption) {
    for (QAbstractButton* button : box->buttons())
        if (button->text().remove(QLatin1Char('&')) == caption) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    say(QStringLiteral("NO-BUTTON:") + caption);
}

// Types text key by key; a Polish letter comes as the keyboard layout gives it, a key event that
// carries the letter.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, ch.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// Runs `step` every 50 ms until it says it is done; a step that runs a dialog is not run again
// from inside that dialog.
void every50ms(QObject* owner, std::function<bool()> step) {
    auto* timer = new QTimer(owner);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, step] {
        timer->stop();
        if (step())
            timer->deleteLater();
        else
            timer->start();
    });
    timer->start();
}

// The user leaves: File → exit, "Tak" to "Czy na pewno chcesz opuścić program?" (and "Nie" to
// saving data, should the program ask: the test then fails on what it finds).
void leave(TFMain& main) {
    every50ms(&main, [] {
        QMessageBox* box = messageBox();
        if (box && box->text().startsWith(QStringLiteral("Dane "))) {
            say(QStringLiteral("ASKED:") + box->text());
            click(box, QStringLiteral("Nie"));
        }
        if (!box || !box->text().startsWith(QStringLiteral("Czy na pewno chcesz opuścić"))) return false;
        click(box, QStringLiteral("Tak"));
        return true;
    });
    main.findChild<QAction*>(QStringLiteral("MMnuExit"))->trigger();
}

// A: types into the second taxpayer's edit form and confirms, then waits to be killed.
void typeAndWait(TFMain& main, const QString& expectedFile) {
    every50ms(&main, [&main, expectedFile] {
        if (main.taxpayers().count() != 4 || QApplication::activeModalWidget()) return false;
        auto* table = main.findChild<QTableView*>(QStringLiteral("ListView"));
        every50ms(&main, [] {
            QWidget* form = QApplication::activeModalWidget();
            auto* surname = form ? form->findChild<QLineEdit*>(QStringLiteral("eNazwisko")) : nullptr;
            auto* street = form ? form->findChild<QLineEdit*>(QStringLiteral("eUlica")) : nullptr;
            if (!surname || !street || !form->isVisible()) return false;
            surname->selectAll();
            typeText(surname, QStringLiteral("ŻUKOWSKA-NOWAK"));
            street->selectAll();
            typeText(street, QStringLiteral("Świętojańska"));
            QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
            return true;
        });
        // The second row selected, then "Edycja → Edytuj dane" (Alt+Enter).
        table->selectRow(1);
        main.findChild<QAction*>(QStringLiteral("MMnuEditData"))->trigger();
        // What the program holds now is what must come back after the kill.
        SaveToFile(main.taxpayers(), expectedFile);
        say(QStringLiteral("TYPED"));
        return true;
    });
}

// W: a second Fiskon started meanwhile; it must not ask about A's copy.
void watchAndLeave(TFMain& main) {
    auto* offered = new bool(false);
    every50ms(&main, [offered] {
        if (QMessageBox* box = messageBox(); box && box->text().startsWith(kQuestionStart)) *offered = true;
        return *offered;
    });
    QTimer::singleShot(2000, &main, [&main, offered] {
        say(*offered ? QStringLiteral("OFFERED") : QStringLiteral("NOT-OFFERED"));
        if (*offered) std::_Exit(3);
        leave(main);
    });
}

// R: recovers, saves under a new name, leaves.
void recoverSaveAndLeave(TFMain& main, const QString& savedFile) {
    auto* answered = new bool(false);
    every50ms(&main, [&main, savedFile, answered] {
        if (!*answered) {
            QMessageBox* box = messageBox();
            if (box && box->text().startsWith(kQuestionStart)) {
                say(QStringLiteral("QUESTION:") + box->text());
                click(box, QStringLiteral("Odzyskaj"));
                *answered = true;
            }
            return false;
        }
        if (main.taxpayers().empty() || QApplication::activeModalWidget()) return false;
        say(QStringLiteral("TITLE:") + main.windowTitle());
        every50ms(&main, [savedFile] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return false;
            say(QStringLiteral("PROPOSED:") + dialog->selectedFiles().value(0));
            // The proposal unselected and the name typed into the name box, as a user does:
            // selectFile() clears the selection but leaves a focused name box alone, and a file
            // still selected in the list would win over what is typed.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) return false;
            dialog->selectFile(savedFile);
            name->setText(savedFile);
            static_cast<QDialog*>(dialog)->accept();  // the dialog's own checks run
            return true;
        });
        main.findChild<QAction*>(QStringLiteral("MMnu_Save"))->trigger();
        leave(main);
        return true;
    });
}

int runChild(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString role = QString::fromLocal8Bit(argv[2]);
    ProgramStart start;
    if (role == QLatin1String("type")) {
        start.dataFile = QString::fromLocal8Bit(argv[3]);
        const QString expected = QString::fromLocal8Bit(argv[4]);
        start.started = [expected](TFMain& main) { typeAndWait(main, expected); };
    } else if (role == QLatin1String("watch")) {
        start.started = [](TFMain& main) { watchAndLeave(main); };
    } else {
        const QString saved = QString::fromLocal8Bit(argv[3]);
        start.started = [saved](TFMain& main) { recoverSaveAndLeave(main, saved); };
    }
    return RunFiskon(start);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

}  // namespace

class RecoveryEndToEndTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString copyFolder() const { return dir_.filePath(QStringLiteral("state/fiskon")); }
    QStringList copies() const {
        return QDir(copyFolder()).entryList({QStringLiteral("kopia-*.txt")}, QDir::Files);
    }
    void startChild(QProcess& process, const QStringList& arguments) {
        process.setProgram(QCoreApplication::applicationFilePath());
        process.setArguments(QStringList{QStringLiteral("--child")} + arguments);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        QVERIFY(process.waitForStarted());
    }
    // Everything the child has said so far.
    QHash<QProcess*, QString> said_;
    QString output(QProcess& process) {
        return said_[&process] += QString::fromUtf8(process.readAllStandardOutput());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_STATE_HOME", dir_.filePath(QStringLiteral("state")).toLocal8Bit());
        qputenv("FISKON_SETTINGS", dir_.filePath(QStringLiteral("fiskon.ini")).toLocal8Bit());
        qputenv("FISKON_WINDOWS_DIR", dir_.filePath(QStringLiteral("okna")).toLocal8Bit());
        // Qt's file dialog keeps its history and last folder in the user's configuration: the
        // test's children get a configuration of their own, so earlier runs cannot steer them.
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
        // Qt's own file dialog, which the test can drive, whatever desktop the test runs in.
        for (const char* name : {"QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"}) qunsetenv(name);
        QFile settings(dir_.filePath(QStringLiteral("fiskon.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[MainSettings]\r\nShowInitialScreen=0\r\nQuitQuery=1\r\n");
    }

    void typingSurvivesAKill() {
        const QString dataFile = dir_.filePath(QStringLiteral("podatnicy-2006.txt"));
        QVERIFY(QFile::copy(QStringLiteral(FISKON_EXAMPLES "/podatnicy.txt"), dataFile));
        const QString expected = dir_.filePath(QStringLiteral("oczekiwane.txt"));
        const QString saved = dir_.filePath(QStringLiteral("odzyskane.txt"));

        QProcess typing;
        startChild(typing, {QStringLiteral("type"), dataFile, expected});
        QTRY_VERIFY_WITH_TIMEOUT(output(typing).contains(QLatin1String("TYPED")) || typing.state() != QProcess::Running,
                                 30000);
        QCOMPARE(typing.state(), QProcess::Running);
        // Within about two seconds the copy holds what was typed.
        const QByteArray typed = cp1250::fromUnicode(QStringLiteral("ŻUKOWSKA-NOWAK")).c_str();
        QTRY_VERIFY_WITH_TIMEOUT(copies().size() == 1 &&
                                     [&] {
                                         QFile copy(QDir(copyFolder()).filePath(copies().front()));
                                         return copy.open(QIODevice::ReadOnly) && copy.readAll().contains(typed);
                                     }(),
                                 10000);
        const QString copy = QDir(copyFolder()).filePath(copies().front());
        QCOMPARE(modeOf(copyFolder()), 0700u);
        QCOMPARE(modeOf(copy), 0600u);

        QProcess watching;
        startChild(watching, {QStringLiteral("watch")});
        QVERIFY(watching.waitForFinished(30000));
        QVERIFY2(output(watching).contains(QLatin1String("NOT-OFFERED")), "a running Fiskon's copy was offered");
        QCOMPARE(watching.exitCode(), 0);
        QVERIFY(QFile::exists(copy));

        typing.kill();  // SIGKILL: no clean close
        QVERIFY(typing.waitForFinished(10000));
        QCOMPARE(typing.exitStatus(), QProcess::CrashExit);

        QProcess recovering;
        startChild(recovering, {QStringLiteral("recover"), saved});
        QVERIFY(recovering.waitForFinished(60000));
        const QString said = output(recovering);
        QCOMPARE(recovering.exitCode(), 0);
        QVERIFY2(QRegularExpression(QStringLiteral("QUESTION:Program nie został poprawnie zamknięty\\. Odzyskać niezapisane "
                                                   "zmiany z \\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d \\(4 podatników\\)\\?"))
                     .match(said)
                     .hasMatch(),
                 qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("TITLE:Program wypełniający PIT-11/8B/40 – podatnicy-2006.txt *")),
                 qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("PROPOSED:") + dataFile), qPrintable(said));

        QFile savedBytes(saved);
        QFile expectedBytes(expected);
        QVERIFY(savedBytes.open(QIODevice::ReadOnly));
        QVERIFY(expectedBytes.open(QIODevice::ReadOnly));
        const QByteArray recovered = savedBytes.readAll();
        QVERIFY(recovered.contains(typed));
        QCOMPARE(recovered, expectedBytes.readAll());
        // Recovered, saved and closed cleanly: no copy and no lock is left behind.
        QCOMPARE(QDir(copyFolder()).entryList(QDir::Files), QStringList());
    }
};

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0) return runChild(argc, argv);
    XvfbServer server;
    if (!server.start("1280x1024x24")) return 1;
    QCoreApplication application(argc, argv);
    RecoveryEndToEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RecoveryEndToEnd_test.moc"
