// The waiting window: what it reads, what it leaves behind after a failure, and what the main
// window is told.
#include "ImportRig.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest/QtTest>

namespace {

TaxpayerRecord person(const char* surname, const char* firstName) {
    TaxpayerRecord record;
    record.nazwisko = surname;
    record.imie1 = firstName;
    record.us = cp1250::fromUnicode(QStringLiteral("Urząd wpisany ręcznie"));
    return record;
}

}  // namespace

class TFImportingTest : public QObject {
    Q_OBJECT

private slots:
    void readsPersonsAndPayerAndShowsTheTable();
    void addsToTheRegisterTheUserAlreadyHas();
    void readingErrorKeepsWhatWasThereAndWhatWasRead();
    void failedLoginReadsNothingAndSaysNoMore();
    void waitsUntilDrawnAndRunsOncePerStart();
    void cannotBeClosedBeforeTheReading();
    void przerwijStopsTheHelperAndKeepsTheRegister();
    void databaseBeyondTheLimitAddsNothing();
};

void TFImportingTest::readsPersonsAndPayerAndShowsTheTable() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importing.ImportTaxpayers = true;
    rig.importing.ImportPayer = true;

    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());

    QVERIFY2(rig.ui.calls.empty(), qPrintable(rig.ui.transcript()));
    const QStringList names = taxpayerNames(rig.workspace);
    // 10 complete rows of ZUSZUA and 6 of UBEZP_IDENT, three persons standing in both.
    QCOMPARE(names.size(), 13);
    QVERIFY(names.contains(QStringLiteral("ŻAK ŁUKASZ")));
    QVERIFY(names.contains(QStringLiteral("WÓJCIK PIOTR")));
    QVERIFY(names.contains(QStringLiteral("MAZUR TOMASZ")));
    QVERIFY(!names.join(QLatin1Char(',')).contains(QStringLiteral("NOWAK")));
    QCOMPARE(rig.workspace.payer.NIP.str(), std::string("525-000-03-05"));
    QCOMPARE(rig.workspace.payer.rodzaj, 1);
    QCOMPARE(cp1250::toUnicode(rig.workspace.payer.miejscowosc), QStringLiteral("Warszawa"));
    QCOMPARE(rig.view.modes, std::vector<ViewMode>{ViewMode::vmTabela});
    QCOMPARE(rig.view.rowsShown, 13);
    // The reader leaves the connection open until the next login test.
    QVERIFY(rig.dataAccess.IsConnected());
}

void TFImportingTest::addsToTheRegisterTheUserAlreadyHas() {
    ImportRig rig;
    rig.workspace.taxpayers.Add(person("ADAMSKI", "JAN"));
    rig.workspace.payer.kraj = "POLSKA";
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importing.ImportTaxpayers = true;
    rig.importing.ImportPayer = true;

    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());

    QCOMPARE(rig.workspace.taxpayers.count(), 14);
    QVERIFY(taxpayerNames(rig.workspace).contains(QStringLiteral("ADAMSKI JAN")));
    QCOMPARE(rig.workspace.payer.kraj.str(), std::string("POLSKA"));  // not read from the database
}

void TFImportingTest::readingErrorKeepsWhatWasThereAndWhatWasRead() {
    ImportRig rig;
    rig.workspace.taxpayers.Add(person("ADAMSKI", "JAN"));
    rig.workspace.payer.nazwa = cp1250::fromUnicode(QStringLiteral("Płatnik sprzed importu"));
    rig.workspace.taxpayersSaved = false;
    rig.workspace.payerSaved = true;
    // This database has no address table: the persons' reading fails after two tables.
    rig.dataAccess.SetDbPath(fixture("missing_adres.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importing.ImportTaxpayers = true;
    rig.importing.ImportPayer = true;

    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());

    QCOMPARE(int(rig.ui.calls.size()), 1);
    const UiCall& message = rig.ui.last();
    QCOMPARE(message.text, QStringLiteral("Prawdopodobnie baza jest otwarta w innym programie, "
                                          "uniemożliwiając odczyt!"));
    QCOMPARE(message.icon, MessageIcon::None);
    QCOMPARE(message.title, QStringLiteral("Fiskon"));
    // The waiting window, which stays on top, was out of the way when the message opened.
    QCOMPARE(message.hiddenBehind, QStringList());

    const QStringList names = taxpayerNames(rig.workspace);
    QVERIFY(names.contains(QStringLiteral("ADAMSKI JAN")));
    QVERIFY2(names.size() > 1, "the persons read before the failure stay");
    // The table must show every record the register now holds.
    QCOMPARE(rig.view.modes, std::vector<ViewMode>{ViewMode::vmTabela});
    QCOMPARE(rig.view.rowsShown, names.size());
    // The failure stopped the run before the payer.
    QCOMPARE(cp1250::toUnicode(rig.workspace.payer.nazwa), QStringLiteral("Płatnik sprzed importu"));
    QVERIFY(!rig.workspace.taxpayersSaved);
    QVERIFY(rig.workspace.payerSaved);
    QVERIFY(!rig.importing.isVisible());
}

void TFImportingTest::failedLoginReadsNothingAndSaysNoMore() {
    ImportRig rig;
    rig.workspace.taxpayers.Add(person("ADAMSKI", "JAN"));
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(QStringLiteral("zmienione"));
    rig.importing.ImportTaxpayers = true;
    rig.importing.ImportPayer = true;

    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());

    // Each reader tried to log in and was told why it could not.
    QCOMPARE(rig.ui.count(UiCall::Message), 2);
    for (const UiCall& call : rig.ui.callsOf(UiCall::Message)) {
        QVERIFY(call.text.startsWith(kLoginErrorStart));
        QCOMPARE(call.hiddenBehind, QStringList());  // not under the waiting window
    }
    QCOMPARE(taxpayerNames(rig.workspace), QStringList{QStringLiteral("ADAMSKI JAN")});
    QVERIFY(rig.workspace.payer.nazwa.empty());
    QCOMPARE(rig.view.modes, std::vector<ViewMode>{ViewMode::vmTabela});
}

void TFImportingTest::waitsUntilDrawnAndRunsOncePerStart() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    rig.importing.ImportTaxpayers = true;
    QVERIFY(!rig.importing.Timer1().isActive());
    QCOMPARE(rig.importing.Timer1().interval(), 50);

    rig.importing.StartImport();
    QVERIFY(rig.importing.isVisible());
    QVERIFY(rig.workspace.taxpayers.empty());  // nothing is read before the window is drawn
    QVERIFY(rig.waitForImport());
    const int afterFirst = rig.workspace.taxpayers.count();
    QVERIFY(afterFirst > 0);
    QTest::qWait(120);
    QCOMPARE(rig.workspace.taxpayers.count(), afterFirst);
    QCOMPARE(rig.view.modes.size(), std::size_t(1));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TFImportingTest::cannotBeClosedBeforeTheReading() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    rig.importing.ImportPayer = true;
    rig.importing.StartImport();

    rig.importing.close();
    QTest::keyClick(&rig.importing, Qt::Key_Escape);
    QVERIFY(rig.importing.isVisible());

    QVERIFY(rig.waitForImport());
    QVERIFY(!rig.workspace.payer.nazwa.empty());
}

// A helper that logs in and then reads a table for ever: "Przerwij" stops it at once, the register
// keeps what it had (and what was read before), and the message is not hidden.
void TFImportingTest::przerwijStopsTheHelperAndKeepsTheRegister() {
    ImportRig rig;
    rig.workspace.taxpayers.Add(person("ADAMSKI", "JAN"));
    const QString login = rig.dir.filePath(QStringLiteral("login"));
    {
        QFile file(login);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("H\x0c\0\0\0FISKON-MDB/1O\0\0\0\0Z\0\0\0\0", 27));
    }
    const QString reader = rig.dir.filePath(QStringLiteral("reader.sh"));
    {
        QFile file(reader);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nif [ $# -eq 1 ]; then exec cat '" + login.toUtf8() + "'; fi\nexec sleep 60\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    rig.dataAccess.ADOConnection().setReaderProgram(reader);
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importing.ImportTaxpayers = true;
    rig.importing.ImportPayer = true;

    auto* przerwij = rig.importing.findChild<QPushButton*>(QStringLiteral("btnPrzerwij"));
    QVERIFY(przerwij);
    QCOMPARE(przerwij->text(), QStringLiteral("Przerwij"));
    QTimer::singleShot(500, przerwij, [przerwij] { QTest::mouseClick(przerwij, Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());
    QVERIFY2(clock.elapsed() < 30'000, "the helper was not stopped");

    QCOMPARE(rig.ui.count(UiCall::Message), 1);
    const UiCall& message = rig.ui.last();
    QCOMPARE(message.text, QStringLiteral("Import danych przerwano. Dane odczytane przed przerwaniem "
                                          "pozostały w programie."));
    QCOMPARE(message.hiddenBehind, QStringList());
    QCOMPARE(taxpayerNames(rig.workspace), QStringList{QStringLiteral("ADAMSKI JAN")});
    QVERIFY(rig.workspace.payer.nazwa.empty());  // the payer was not read after the stop
    QCOMPARE(rig.view.modes, std::vector<ViewMode>{ViewMode::vmTabela});
}

// The database holds more persons than the register may: the limit's message, and the register
// as the user had it.
void TFImportingTest::databaseBeyondTheLimitAddsNothing() {
    ImportRig rig;
    rig.workspace.taxpayers.setRecordLimit(5);
    rig.workspace.taxpayers.Add(person("ADAMSKI", "JAN"));
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importing.ImportTaxpayers = true;

    rig.importing.StartImport();
    QVERIFY(rig.waitForImport());

    QCOMPARE(rig.ui.count(UiCall::Message), 1);
    QCOMPARE(rig.ui.last().text, RecordLimitMessage(5));
    QCOMPARE(rig.ui.last().hiddenBehind, QStringList());
    QCOMPARE(taxpayerNames(rig.workspace), QStringList{QStringLiteral("ADAMSKI JAN")});
}

QTEST_MAIN(TFImportingTest)
#include "TFImporting_test.moc"
