// The import windows driven from the main window's commands, with their own modal loops running
// and a timer playing the user.
#include "app/TFMain.h"
#include "import/widgets/ImportWizard.h"
#include "import/widgets/TFDataAccess.h"
#include "import/widgets/TFImport.h"
#include "import/widgets/TFImport1.h"
#include "import/widgets/TFImport3.h"
#include "import/widgets/TFImportSep.h"
#include "import/widgets/TFImporting.h"
#include "import/widgets/TFOpen.h"
#include "settings/ProgramSettings.h"
#include "support/ScriptedUserInterface.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QtTest>

#include <functional>
#include <map>

namespace {

QString fixture(const char* name) {
    return QStringLiteral(FISKON_TEST_FIXTURES "/platnik/") + QString::fromUtf8(name);
}

// The program's windows as main makes them, in its order.
struct Program {
    ScriptedUserInterface ui;
    QTemporaryDir dir;
    ProgramSettings settings{dir.filePath(QStringLiteral("fiskon.ini"))};
    TFMain FMain{ui};
    TFDataAccess FDataAccess{ui, &FMain};
    TFImport FImport{FMain.importStep, FDataAccess, settings, ui, &FMain};
    TFImport1 FImport1{FMain.importStep, FDataAccess, ui, &FMain};
    TFImporting FImporting{FMain.workspace(), FMain, FDataAccess, ui, &FMain};
    TFOpen FOpen{FMain.workspace(), FDataAccess, FImporting, settings, ui, &FMain};
    TFImport3 FImport3{FMain.importStep, FMain.workspace(), FImporting, &FMain};
    TFImportSep FImportSep{FMain.workspace(), FMain, ui, &FMain};

    Program() {
        AppWindows& windows = FMain.windows();
        windows.import = &FImport;
        windows.import1 = &FImport1;
        windows.open = &FOpen;
        windows.import3 = &FImport3;
        windows.importSep = &FImportSep;
    }

    QAction* action(const char* name) {
        auto* found = FMain.findChild<QAction*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }
    bool waitForImport() {
        return QTest::qWaitFor(
            [this] { return !FImporting.isVisible() && !FImporting.Timer1().isActive(); }, 60'000);
    }
};

// Plays the user: whenever a modal window comes up, the step given for its object name runs once
// per showing. Windows without a step are left to the test's own checks.
class User : public QObject {
public:
    using Step = std::function<void(QWidget&)>;

    explicit User(std::map<QString, Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] { act(); });
        timer_.start(10);
    }
    QStringList seen;  // object names of the windows acted upon, in order

private:
    void act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == handled_)
            return;
        const auto step = steps_.find(modal->objectName());
        if (step == steps_.end())
            return;
        handled_ = modal;
        seen << modal->objectName();
        step->second(*modal);
        if (modal->isVisible())  // still open: the same window may be acted on again later
            handled_ = nullptr;
    }

    std::map<QString, Step> steps_;
    QTimer timer_;
    QWidget* handled_ = nullptr;
};

template <typename T>
T* control(QWidget& window, const char* name) {
    auto* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

}  // namespace

class ImportFromMainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void wizardImportsIntoTheMainWindow();
    void wizardLeftAtStepTwoKeepsTheRememberedPath();
    void quickImportFromItsMenuItem();
    void delimitedImportFromItsMenuItem();
};

void ImportFromMainWindowTest::wizardImportsIntoTheMainWindow() {
    Program program;
    int loginAttempts = 0;
    User user({
        {QStringLiteral("FImport"),
         [](QWidget& window) {
             control<QLineEdit>(window, "ESciezka")->setText(fixture("basic.mdb"));
             control<QPushButton>(window, "btnDalej")->click();
         }},
        {QStringLiteral("FImport1"),
         [&](QWidget& window) {
             if (loginAttempts == 0)
                 QVERIFY(control<QLineEdit>(window, "EHaslo")->text().isEmpty());
             // First a wrong password: the step stays and the user tries again.
             control<QLineEdit>(window, "EHaslo")
                 ->setText(++loginAttempts == 1 ? QStringLiteral("zle") : QStringLiteral("Zaq12wsx"));
             control<QPushButton>(window, "BitBtn1")->click();
         }},
        {QStringLiteral("FImport3"),
         [](QWidget& window) { control<QPushButton>(window, "Button1")->click(); }},
    });

    program.action("MMnuKreatorOdczytu")->trigger();

    QCOMPARE(user.seen, (QStringList{QStringLiteral("FImport"), QStringLiteral("FImport1"),
                                     QStringLiteral("FImport1"), QStringLiteral("FImport3")}));
    QCOMPARE(program.FMain.importStep, importstep::kFinished);
    QVERIFY(program.waitForImport());
    QCOMPARE(program.ui.count(UiCall::Message), 1);  // the wrong password's message
    QCOMPARE(program.FMain.taxpayers().count(), 13);
    QCOMPARE(program.FMain.viewMode(), ViewMode::vmTabela);
    QVERIFY(!program.FMain.workspace().taxpayersSaved);
    QVERIFY(!program.FMain.workspace().payerSaved);
    QCOMPARE(program.settings.GetParam(QStringLiteral("DatabasePath"), QString()),
             fixture("basic.mdb"));
    QFile settingsFile(program.settings.fileName());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QVERIFY(!settingsFile.readAll().contains("Zaq12wsx"));
}

void ImportFromMainWindowTest::wizardLeftAtStepTwoKeepsTheRememberedPath() {
    Program program;
    int runs = 0;
    User user({
        {QStringLiteral("FImport"),
         [&](QWidget& window) {
             auto* path = control<QLineEdit>(window, "ESciezka");
             if (runs == 1)  // the second run starts with the path used last
                 QCOMPARE(path->text(), fixture("nopass.mdb"));
             path->setText(fixture("nopass.mdb"));
             control<QPushButton>(window, "btnDalej")->click();
         }},
        {QStringLiteral("FImport1"),
         [&](QWidget& window) {
             QVERIFY(control<QLineEdit>(window, "EHaslo")->text().isEmpty());
             control<QLineEdit>(window, "EHaslo")->setText(QStringLiteral("wpisane"));
             window.close();  // the title-bar button
         }},
    });

    for (runs = 0; runs < 2; ++runs) {
        program.action("MMnuKreatorOdczytu")->trigger();
        QCOMPARE(program.FMain.importStep, importstep::kFinished);
    }

    QCOMPARE(user.seen.size(), 4);
    QVERIFY(!program.FImporting.isVisible());
    QVERIFY(program.FMain.taxpayers().empty());
    QVERIFY(program.FMain.workspace().taxpayersSaved);
    QCOMPARE(program.settings.GetParam(QStringLiteral("DatabasePath"), QString()),
             fixture("nopass.mdb"));
}

void ImportFromMainWindowTest::quickImportFromItsMenuItem() {
    Program program;
    QCOMPARE(program.action("MMnuOpenPlatnik")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    User user({
        {QStringLiteral("FOpen"),
         [](QWidget& window) {
             control<QLineEdit>(window, "ePath")->setText(fixture("payer_f.mdb"));
             control<QLineEdit>(window, "ePass")->setText(QStringLiteral("Zaq12wsx"));
             control<QCheckBox>(window, "cbPodatnik")->setChecked(false);
             control<QCheckBox>(window, "cbPath")->setChecked(true);
             control<QPushButton>(window, "btnImport")->click();
         }},
    });

    program.action("MMnuOpenPlatnik")->trigger();

    QVERIFY(program.waitForImport());
    QVERIFY2(program.ui.calls.empty(), qPrintable(program.ui.transcript()));
    QCOMPARE(program.FMain.payer().rodzaj, 2);
    QVERIFY(program.FMain.taxpayers().empty());
    QCOMPARE(program.FMain.viewMode(), ViewMode::vmNone);
    QVERIFY(!program.FMain.workspace().payerSaved);
    QVERIFY(program.FMain.workspace().taxpayersSaved);
    QCOMPARE(program.settings.GetParam(QStringLiteral("DatabasePath"), QString()),
             fixture("payer_f.mdb"));
}

void ImportFromMainWindowTest::delimitedImportFromItsMenuItem() {
    Program program;
    const QString fileName = program.dir.filePath(QStringLiteral("dane.txt"));
    {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("KOWALSKI|JAN|\r\nNOWAK|EWA|\r\n");
    }
    User user({
        {QStringLiteral("FImportSep"),
         [&](QWidget& window) {
             control<QLineEdit>(window, "eFilename")->setText(fileName);
             control<QRadioButton>(window, "rb2")->setChecked(true);
             control<QPushButton>(window, "btnImport")->click();
         }},
    });

    program.action("MMnuImportSep")->trigger();

    QCOMPARE(user.seen, QStringList{QStringLiteral("FImportSep")});
    QCOMPARE(program.FMain.taxpayers().count(), 2);
    QCOMPARE(program.FMain.viewMode(), ViewMode::vmTabela);
    QVERIFY(program.ui.calls.empty());
}

QTEST_MAIN(ImportFromMainWindowTest)
#include "ImportFromMainWindow_test.moc"
