// The quick import dialog: its reset on every showing, its checks, and an import it runs itself.
#include "ImportRig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QtTest>

namespace {

template <typename T>
T* control(QWidget& window, const char* name) {
    auto* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

}  // namespace

class TFOpenTest : public QObject {
    Q_OBJECT

private slots:
    void everyShowingStartsAfresh();
    void hidePasswordBoxSwitchesMasking();
    void browsingFillsOnlyThePathBox();
    void missingFileIsReportedAndRememberedWhenAsked();
    void wrongPasswordKeepsTheDialogOpen();
    void goodLoginClosesTheDialogAndImports_data();
    void goodLoginClosesTheDialogAndImports();
    void cancelChangesNothing();
    void runsModallyFromTheMainWindow();
};

void TFOpenTest::everyShowingStartsAfresh() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.quick.show();
    control<QLineEdit>(rig.quick, "ePass")->setText(QStringLiteral("typed earlier"));
    control<QLineEdit>(rig.quick, "ePath")->setText(QStringLiteral("/elsewhere.mdb"));
    for (const char* box : {"cbPlatnik", "cbPodatnik", "cbHidePass"})
        control<QCheckBox>(rig.quick, box)->setChecked(false);
    control<QCheckBox>(rig.quick, "cbPath")->setChecked(true);
    rig.quick.close();
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));  // e.g. the wizard ran meanwhile

    rig.quick.show();

    QCOMPARE(control<QLineEdit>(rig.quick, "ePath")->text(), fixture("nopass.mdb"));
    QVERIFY(control<QLineEdit>(rig.quick, "ePass")->text().isEmpty());
    QCOMPARE(control<QLineEdit>(rig.quick, "ePass")->echoMode(), QLineEdit::Password);
    QVERIFY(control<QCheckBox>(rig.quick, "cbHidePass")->isChecked());
    QVERIFY(!control<QCheckBox>(rig.quick, "cbPath")->isChecked());
    QVERIFY(control<QCheckBox>(rig.quick, "cbPlatnik")->isChecked());
    QVERIFY(control<QCheckBox>(rig.quick, "cbPodatnik")->isChecked());
}

void TFOpenTest::hidePasswordBoxSwitchesMasking() {
    ImportRig rig;
    rig.quick.show();
    auto* ePass = control<QLineEdit>(rig.quick, "ePass");
    control<QCheckBox>(rig.quick, "cbHidePass")->click();
    QCOMPARE(ePass->echoMode(), QLineEdit::Normal);
    control<QCheckBox>(rig.quick, "cbHidePass")->click();
    QCOMPARE(ePass->echoMode(), QLineEdit::Password);
}

void TFOpenTest::browsingFillsOnlyThePathBox() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    rig.quick.show();
    rig.ui.fileNames.push_back(fixture("basic.mdb"));

    control<QToolButton>(rig.quick, "SpeedButton1")->click();

    const UiCall& dialog = rig.ui.last();
    QCOMPARE(dialog.title, QStringLiteral("Wskaż plik bazy danych"));
    QCOMPARE(dialog.filter,
             QStringLiteral("Baza danych Programu Płatnik (*.mdb)|*.mdb|Wszystkie pliki (*.*)|*.*"));
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("*.mdb"));
    QCOMPARE(control<QLineEdit>(rig.quick, "ePath")->text(), fixture("basic.mdb"));
    QCOMPARE(rig.dataAccess.DbPath(), fixture("nopass.mdb"));
}

void TFOpenTest::missingFileIsReportedAndRememberedWhenAsked() {
    ImportRig rig;
    rig.quick.show();
    const QString missing = fixture("missing.mdb");
    control<QLineEdit>(rig.quick, "ePath")->setText(missing);
    control<QCheckBox>(rig.quick, "cbPath")->setChecked(true);

    control<QPushButton>(rig.quick, "btnImport")->click();

    QCOMPARE(int(rig.ui.calls.size()), 1);
    QCOMPARE(rig.ui.last().text, QStringLiteral("Wskazany plik nie istnieje"));
    QCOMPARE(rig.ui.last().title, QStringLiteral("Błąd"));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Error);
    QVERIFY(rig.quick.isVisible());
    QCOMPARE(rig.rememberedPath(), missing);  // remembered before the file test
    QCOMPARE(rig.dataAccess.DbPath(), missing);

    // Unticked, the path is used but not remembered.
    control<QCheckBox>(rig.quick, "cbPath")->setChecked(false);
    control<QLineEdit>(rig.quick, "ePath")->setText(fixture("missing2.mdb"));
    control<QPushButton>(rig.quick, "btnImport")->click();
    QCOMPARE(rig.rememberedPath(), missing);
    QVERIFY(rig.quick.isVisible());
}

void TFOpenTest::wrongPasswordKeepsTheDialogOpen() {
    ImportRig rig;
    rig.quick.show();
    control<QLineEdit>(rig.quick, "ePath")->setText(fixture("basic.mdb"));
    control<QLineEdit>(rig.quick, "ePass")->setText(QStringLiteral("Zaq12wsX"));

    control<QPushButton>(rig.quick, "btnImport")->click();

    QCOMPARE(int(rig.ui.calls.size()), 1);
    QVERIFY(rig.ui.last().text.startsWith(kLoginErrorStart));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Warning);
    QVERIFY(rig.quick.isVisible());
    QVERIFY(!rig.importing.isVisible());
    QVERIFY(rig.workspace.taxpayers.empty());
    QCOMPARE(rig.rememberedPath(), QStringLiteral("<none>"));
}

void TFOpenTest::goodLoginClosesTheDialogAndImports_data() {
    QTest::addColumn<bool>("payer");
    QTest::addColumn<bool>("taxpayers");
    QTest::newRow("both") << true << true;
    QTest::newRow("payer only") << true << false;
    QTest::newRow("taxpayers only") << false << true;
    QTest::newRow("nothing") << false << false;
}

void TFOpenTest::goodLoginClosesTheDialogAndImports() {
    QFETCH(bool, payer);
    QFETCH(bool, taxpayers);
    ImportRig rig;
    rig.quick.show();
    control<QLineEdit>(rig.quick, "ePath")->setText(fixture("basic.mdb"));
    control<QLineEdit>(rig.quick, "ePass")->setText(kPassword);
    control<QCheckBox>(rig.quick, "cbPlatnik")->setChecked(payer);
    control<QCheckBox>(rig.quick, "cbPodatnik")->setChecked(taxpayers);

    // The waiting window runs modally and closes itself once it has read.
    control<QPushButton>(rig.quick, "btnImport")->click();

    QVERIFY2(rig.ui.calls.empty(), qPrintable(rig.ui.transcript()));
    QVERIFY(!rig.quick.isVisible());
    QVERIFY(!rig.importing.isVisible());
    QCOMPARE(rig.workspace.taxpayers.count(), taxpayers ? 13 : 0);
    QCOMPARE(rig.workspace.payer.rodzaj, payer ? 1 : 0);
    QCOMPARE(rig.view.modes.size(), std::size_t(taxpayers ? 1 : 0));
    // Imported data count as unsaved, so that the close procedure asks about them.
    QCOMPARE(rig.workspace.taxpayersSaved, !taxpayers);
    QCOMPARE(rig.workspace.payerSaved, !payer);
    QCOMPARE(rig.dataAccess.DbPath(), fixture("basic.mdb"));
    QCOMPARE(rig.rememberedPath(), QStringLiteral("<none>"));
}

void TFOpenTest::cancelChangesNothing() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    rig.quick.show();
    control<QLineEdit>(rig.quick, "ePath")->setText(fixture("basic.mdb"));

    control<QPushButton>(rig.quick, "btnCancel")->click();

    QVERIFY(!rig.quick.isVisible());
    QCOMPARE(rig.dataAccess.DbPath(), fixture("nopass.mdb"));
    QVERIFY(rig.ui.calls.empty());
}

void TFOpenTest::runsModallyFromTheMainWindow() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    bool typed = false;
    QTimer::singleShot(0, &rig.quick, [&] {
        QVERIFY(rig.quick.isVisible());
        QCOMPARE(QApplication::activeModalWidget(), &rig.quick);
        QTest::keyClicks(control<QLineEdit>(rig.quick, "ePass"), kPassword);
        typed = true;
        QTest::keyClick(control<QLineEdit>(rig.quick, "ePass"), Qt::Key_Return);  // default button
    });

    rig.quick.exec();

    QVERIFY(typed);
    QVERIFY(rig.waitForImport());
    QCOMPARE(rig.workspace.taxpayers.count(), 13);
    QCOMPARE(rig.workspace.payer.NIP.str(), std::string("525-000-03-05"));
}

QTEST_MAIN(TFOpenTest)
#include "TFOpen_test.moc"
