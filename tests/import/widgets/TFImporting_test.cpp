// The waiting window: what it reads, what it leaves behind after a failure, and what the main
// window is told.
#include "ImportRig.h"

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
    for (const UiCall& call : rig.ui.callsOf(UiCall::Message))
        QVERIFY(call.text.startsWith(kLoginErrorStart));
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

QTEST_MAIN(TFImportingTest)
#include "TFImporting_test.moc"
