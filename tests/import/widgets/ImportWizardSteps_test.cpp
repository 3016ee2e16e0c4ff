// The three steps of the import wizard, each driven through its controls.
#include "ImportRig.h"
#include "import/widgets/ImportWizard.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QtTest>

class ImportWizardStepsTest : public QObject {
    Q_OBJECT

private slots:
    void nextIsEnabledOnlyForAnExistingFile_data();
    void nextIsEnabledOnlyForAnExistingFile();
    void nextTakesThePathAndRemembersItWhenAsked_data();
    void nextTakesThePathAndRemembersItWhenAsked();
    void unwritableSettingsAreReportedAndTheRunGoesOn();
    void browsingSetsThePathOfTheRun();
    void cancelledBrowsingChangesNothing();
    void showingStepOneBringsBackThePathInForce();
    void leavingAStepOtherwiseEndsTheRun_data();
    void leavingAStepOtherwiseEndsTheRun();
    void helpButtonsAskForTopicThree();
    void rightPasswordOpensTheLastStep_data();
    void rightPasswordOpensTheLastStep();
    void wrongPasswordKeepsStepTwoOpen();
    void stepTwoStartsEmptyAndMasked();
    void hidePasswordBoxSwitchesMasking();
    void importChoiceSetsFlagsAndStartsTheReading_data();
    void importChoiceSetsFlagsAndStartsTheReading();
    void closingStepThreeImportsNothing();
    void restoringAMinimisedWindowKeepsWhatWasTyped_data();
    void restoringAMinimisedWindowKeepsWhatWasTyped();
};

void ImportWizardStepsTest::nextIsEnabledOnlyForAnExistingFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("database file") << fixture("basic.mdb") << true;
    QTest::newRow("any existing file") << fixture("not_a_database.mdb") << true;
    QTest::newRow("missing file") << fixture("no_such.mdb") << false;
    QTest::newRow("folder") << QStringLiteral(FISKON_TEST_FIXTURES "/platnik") << false;
    QTest::newRow("empty") << QString() << false;
}

void ImportWizardStepsTest::nextIsEnabledOnlyForAnExistingFile() {
    QFETCH(QString, path);
    QFETCH(bool, enabled);
    ImportRig rig;
    auto* ESciezka = rig.step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"));
    auto* btnDalej = rig.step1.findChild<QPushButton*>(QStringLiteral("btnDalej"));
    QVERIFY(ESciezka && btnDalej);

    ESciezka->setText(fixture("basic.mdb"));
    QVERIFY(btnDalej->isEnabled());
    ESciezka->clear();
    QTest::keyClicks(ESciezka, path);
    QCOMPARE(btnDalej->isEnabled(), enabled);
}

void ImportWizardStepsTest::nextTakesThePathAndRemembersItWhenAsked_data() {
    QTest::addColumn<bool>("remember");
    QTest::newRow("remember ticked") << true;
    QTest::newRow("remember unticked") << false;
}

void ImportWizardStepsTest::nextTakesThePathAndRemembersItWhenAsked() {
    QFETCH(bool, remember);
    ImportRig rig;
    rig.step1.findChild<QCheckBox*>(QStringLiteral("cbPath"))->setChecked(remember);
    rig.step1.show();
    rig.step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"))->setText(fixture("basic.mdb"));

    rig.step1.findChild<QPushButton*>(QStringLiteral("btnDalej"))->click();

    QCOMPARE(rig.importStep, importstep::kLogin);
    QVERIFY(!rig.step1.isVisible());
    QCOMPARE(rig.dataAccess.DbPath(), fixture("basic.mdb"));
    QCOMPARE(rig.rememberedPath(), remember ? fixture("basic.mdb") : QStringLiteral("<none>"));
    QVERIFY(rig.ui.calls.empty());
}

void ImportWizardStepsTest::unwritableSettingsAreReportedAndTheRunGoesOn() {
    ImportRig rig;
    // A settings file whose folder is a plain file can never be written.
    ProgramSettings unwritable(fixture("basic.mdb") + QStringLiteral("/fiskon.ini"));
    TFImport step1(rig.importStep, rig.dataAccess, unwritable, rig.ui);
    step1.show();
    step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"))->setText(fixture("nopass.mdb"));

    step1.findChild<QPushButton*>(QStringLiteral("btnDalej"))->click();

    QCOMPARE(rig.ui.count(UiCall::Message), 1);
    QCOMPARE(rig.ui.last().icon, MessageIcon::Error);
    QCOMPARE(rig.importStep, importstep::kLogin);
    QCOMPARE(rig.dataAccess.DbPath(), fixture("nopass.mdb"));
}

void ImportWizardStepsTest::browsingSetsThePathOfTheRun() {
    ImportRig rig;
    rig.ui.fileNames.push_back(fixture("basic.mdb"));

    rig.step1.findChild<QToolButton*>(QStringLiteral("btnOpen"))->click();

    const UiCall& dialog = rig.ui.last();
    QCOMPARE(dialog.kind, UiCall::OpenFile);
    QCOMPARE(dialog.title, QStringLiteral("Wskaż plik bazy danych"));
    QCOMPARE(dialog.filter,
             QStringLiteral("Baza danych Programu Płatnik (*.mdb)|*.mdb|Wszystkie pliki (*.*)|*.*"));
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("*.mdb"));
    QCOMPARE(rig.dataAccess.DbPath(), fixture("basic.mdb"));
    QCOMPARE(rig.step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"))->text(),
             fixture("basic.mdb"));
    QVERIFY(rig.step1.findChild<QPushButton*>(QStringLiteral("btnDalej"))->isEnabled());
    QCOMPARE(rig.rememberedPath(), QStringLiteral("<none>"));  // only "Dalej >>" remembers
}

void ImportWizardStepsTest::cancelledBrowsingChangesNothing() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.ui.fileNames.push_back(std::nullopt);

    rig.step1.findChild<QToolButton*>(QStringLiteral("btnOpen"))->click();

    QCOMPARE(rig.dataAccess.DbPath(), fixture("basic.mdb"));
    QCOMPARE(rig.step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"))->text(),
             fixture("basic.mdb"));
}

void ImportWizardStepsTest::showingStepOneBringsBackThePathInForce() {
    ImportRig rig;
    auto* ESciezka = rig.step1.findChild<QLineEdit*>(QStringLiteral("ESciezka"));
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    QCOMPARE(ESciezka->text(), fixture("nopass.mdb"));

    ESciezka->setText(QStringLiteral("/typed/but/never/confirmed.mdb"));
    rig.step1.show();

    QCOMPARE(ESciezka->text(), fixture("nopass.mdb"));
    QVERIFY(rig.step1.findChild<QPushButton*>(QStringLiteral("btnDalej"))->isEnabled());
}

void ImportWizardStepsTest::leavingAStepOtherwiseEndsTheRun_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("stepBefore");
    QTest::addColumn<int>("stepAfter");
    QTest::newRow("step 1 closed") << 1 << importstep::kDatabaseFile << importstep::kFinished;
    QTest::newRow("step 2 closed") << 2 << importstep::kLogin << importstep::kFinished;
    QTest::newRow("step 3 closed") << 3 << importstep::kOptions << importstep::kFinished;
    // A window closing after its step has moved on must not undo that.
    QTest::newRow("step 1, run moved on") << 1 << importstep::kLogin << importstep::kLogin;
    QTest::newRow("step 2, run moved on") << 2 << importstep::kOptions << importstep::kOptions;
}

void ImportWizardStepsTest::leavingAStepOtherwiseEndsTheRun() {
    QFETCH(int, step);
    QFETCH(int, stepBefore);
    QFETCH(int, stepAfter);
    ImportRig rig;
    QDialog* windows[] = {&rig.step1, &rig.step2, &rig.step3};
    QDialog* window = windows[step - 1];
    rig.importStep = stepBefore;
    window->show();

    window->close();

    QCOMPARE(rig.importStep, stepAfter);
    QVERIFY(!rig.importing.isVisible());
    QVERIFY(!rig.importing.Timer1().isActive());
}

void ImportWizardStepsTest::helpButtonsAskForTopicThree() {
    ImportRig rig;
    rig.step1.findChild<QToolButton*>(QStringLiteral("btnHelp"))->click();
    rig.step2.findChild<QToolButton*>(QStringLiteral("btnHelp"))->click();
    QCOMPARE(rig.ui.count(UiCall::Help, QStringLiteral("3")), 2);
    QCOMPARE(int(rig.ui.calls.size()), 2);
}

void ImportWizardStepsTest::rightPasswordOpensTheLastStep_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("password");
    QTest::newRow("ordinary password") << fixture("basic.mdb") << kPassword;
    QTest::newRow("Polish letters and a semicolon")
        << fixture("polish_password.mdb") << QStringLiteral("Hasło;Źdź1");
    QTest::newRow("database without a password") << fixture("nopass.mdb") << QString();
}

void ImportWizardStepsTest::rightPasswordOpensTheLastStep() {
    QFETCH(QString, file);
    QFETCH(QString, password);
    ImportRig rig;
    rig.dataAccess.SetDbPath(file);
    rig.importStep = importstep::kLogin;
    rig.step2.show();

    rig.step2.findChild<QLineEdit*>(QStringLiteral("EHaslo"))->setText(password);
    rig.step2.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();

    QVERIFY2(rig.ui.calls.empty(), qPrintable(rig.ui.transcript()));
    QCOMPARE(rig.importStep, importstep::kOptions);
    QVERIFY(!rig.step2.isVisible());
    QVERIFY(!rig.dataAccess.IsConnected());
}

void ImportWizardStepsTest::wrongPasswordKeepsStepTwoOpen() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.importStep = importstep::kLogin;
    rig.step2.show();
    auto* EHaslo = rig.step2.findChild<QLineEdit*>(QStringLiteral("EHaslo"));
    auto* BitBtn1 = rig.step2.findChild<QPushButton*>(QStringLiteral("BitBtn1"));

    // Passwords are taken untrimmed: a trailing space makes the right one wrong.
    for (const QString& wrong : {QStringLiteral("zaq12wsx"), kPassword + QLatin1Char(' ')}) {
        rig.ui.clearCalls();
        EHaslo->setText(wrong);
        BitBtn1->click();
        QCOMPARE(int(rig.ui.calls.size()), 1);
        const UiCall& message = rig.ui.last();
        QCOMPARE(message.kind, UiCall::Message);
        QCOMPARE(message.title, QStringLiteral("Błąd"));
        QCOMPARE(message.icon, MessageIcon::Warning);
        QVERIFY2(message.text.startsWith(kLoginErrorStart), qPrintable(message.text));
        QVERIFY(message.text.size() > kLoginErrorStart.size());
        QCOMPARE(rig.importStep, importstep::kLogin);
        QVERIFY(rig.step2.isVisible());
    }

    // The user may type again, and the right password goes on.
    EHaslo->setText(kPassword);
    BitBtn1->click();
    QCOMPARE(rig.importStep, importstep::kOptions);
}

void ImportWizardStepsTest::stepTwoStartsEmptyAndMasked() {
    ImportRig rig;
    auto* EHaslo = rig.step2.findChild<QLineEdit*>(QStringLiteral("EHaslo"));
    auto* cbShowPassword = rig.step2.findChild<QCheckBox*>(QStringLiteral("cbShowPassword"));
    rig.step2.show();
    cbShowPassword->setChecked(false);
    EHaslo->setText(QStringLiteral("typed earlier"));
    rig.step2.close();

    rig.step2.show();

    QVERIFY(EHaslo->text().isEmpty());
    QVERIFY(cbShowPassword->isChecked());
    QCOMPARE(EHaslo->echoMode(), QLineEdit::Password);
}

void ImportWizardStepsTest::hidePasswordBoxSwitchesMasking() {
    ImportRig rig;
    rig.step2.show();
    auto* EHaslo = rig.step2.findChild<QLineEdit*>(QStringLiteral("EHaslo"));
    auto* cbShowPassword = rig.step2.findChild<QCheckBox*>(QStringLiteral("cbShowPassword"));
    cbShowPassword->click();
    QCOMPARE(EHaslo->echoMode(), QLineEdit::Normal);
    cbShowPassword->click();
    QCOMPARE(EHaslo->echoMode(), QLineEdit::Password);
}

void ImportWizardStepsTest::importChoiceSetsFlagsAndStartsTheReading_data() {
    QTest::addColumn<bool>("taxpayers");
    QTest::addColumn<bool>("payer");
    QTest::newRow("both") << true << true;
    QTest::newRow("employees only") << true << false;
    QTest::newRow("payer only") << false << true;
    QTest::newRow("nothing") << false << false;
}

void ImportWizardStepsTest::importChoiceSetsFlagsAndStartsTheReading() {
    QFETCH(bool, taxpayers);
    QFETCH(bool, payer);
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importStep = importstep::kOptions;
    rig.step3.findChild<QCheckBox*>(QStringLiteral("cbPodatnik"))->setChecked(taxpayers);
    rig.step3.findChild<QCheckBox*>(QStringLiteral("cbPlatnik"))->setChecked(payer);
    rig.step3.show();

    rig.step3.findChild<QPushButton*>(QStringLiteral("Button1"))->click();

    QCOMPARE(rig.importStep, importstep::kFinished);
    QVERIFY(!rig.step3.isVisible());
    QCOMPARE(rig.workspace.taxpayersSaved, !taxpayers);
    QCOMPARE(rig.workspace.payerSaved, !payer);
    QVERIFY(rig.importing.isVisible());
    QVERIFY(rig.importing.Timer1().isActive());
    QVERIFY(rig.waitForImport());

    QVERIFY2(rig.ui.calls.empty(), qPrintable(rig.ui.transcript()));
    QCOMPARE(rig.workspace.taxpayers.empty(), !taxpayers);
    QCOMPARE(rig.workspace.payer.nazwa.empty(), !payer);
    QCOMPARE(rig.view.modes.size(), std::size_t(taxpayers ? 1 : 0));
    // The check boxes keep their state for the next run.
    QCOMPARE(rig.step3.findChild<QCheckBox*>(QStringLiteral("cbPodatnik"))->isChecked(), taxpayers);
}

void ImportWizardStepsTest::closingStepThreeImportsNothing() {
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("basic.mdb"));
    rig.dataAccess.SetDbPassword(kPassword);
    rig.importStep = importstep::kOptions;
    rig.step3.show();

    rig.step3.reject();
    QTest::qWait(120);

    QCOMPARE(rig.importStep, importstep::kFinished);
    QVERIFY(rig.workspace.taxpayers.empty());
    QVERIFY(rig.workspace.taxpayersSaved);
    QVERIFY(rig.workspace.payerSaved);
    QVERIFY(rig.view.modes.empty());
}

void ImportWizardStepsTest::restoringAMinimisedWindowKeepsWhatWasTyped_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("box");
    QTest::newRow("quick import: password and Pamiętaj") << "quick" << "ePass" << "cbPath";
    QTest::newRow("quick import: path") << "quick" << "ePath" << "cbHidePass";
    QTest::newRow("wizard step 1: path") << "step1" << "ESciezka" << "cbPath";
    QTest::newRow("wizard step 2: password") << "step2" << "EHaslo" << "cbShowPassword";
}

// Minimised and restored (the window system shows it again), a window keeps what the user typed
// and ticked; opened again, it starts afresh.
void ImportWizardStepsTest::restoringAMinimisedWindowKeepsWhatWasTyped() {
    QFETCH(QString, window);
    QFETCH(QString, edit);
    QFETCH(QString, box);
    ImportRig rig;
    rig.dataAccess.SetDbPath(fixture("nopass.mdb"));
    QDialog& dialog = window == "quick" ? static_cast<QDialog&>(rig.quick)
                      : window == "step1" ? static_cast<QDialog&>(rig.step1)
                                          : static_cast<QDialog&>(rig.step2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* field = dialog.findChild<QLineEdit*>(edit);
    auto* tick = dialog.findChild<QCheckBox*>(box);
    const QString opened = field->text();
    const bool openedTick = tick->isChecked();
    field->setText(QStringLiteral("/wpisane/przez użytkownika.mdb"));
    tick->click();

    dialog.showMinimized();
    QVERIFY(dialog.isMinimized());
    dialog.showNormal();

    QCOMPARE(field->text(), QStringLiteral("/wpisane/przez użytkownika.mdb"));
    QCOMPARE(tick->isChecked(), !openedTick);
    dialog.close();
    dialog.show();
    QCOMPARE(field->text(), opened);
    if (window != "step1") QCOMPARE(tick->isChecked(), openedTick);  // step 1 keeps its "Pamiętaj"
    dialog.close();
}

QTEST_MAIN(ImportWizardStepsTest)
#include "ImportWizardSteps_test.moc"
