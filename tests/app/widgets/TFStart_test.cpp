// The start screen and the About box driven through their controls, on a real main window with
// the real settings, edit form and data files; the scripted user interface answers the dialogs.

#include "app/TFAbout.h"
#include "app/TFMain.h"
#include "app/TFStart.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "settings/DatabasePathHolder.h"
#include "settings/widgets/TFConfig.h"
#include "support/ScriptedUserInterface.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

class MemoryPath : public DatabasePathHolder {
public:
    QString path;
    QString dbPath() const override { return path; }
    void SetDbPath(const QString& p) override { path = p; }
};

// Stands in for a wizard step: counts its showings and leaves the wizard like a title-bar close.
class CountingDialog : public QDialog {
public:
    int shown = 0;
    bool startVisibleMeanwhile = false;
    QWidget* start = nullptr;
    int exec() override {
        ++shown;
        startVisibleMeanwhile = start && start->isVisible();
        return QDialog::Rejected;
    }
};

// Runs `action` on the modal window once it is up (the code under test is then inside exec()):
// looked for every 10 ms, for up to five seconds, so that a busy machine's slower start of the
// window does not pass for none.
void whenModalShown(std::function<void(QWidget*)> action, int triesLeft = 500) {
    QTimer::singleShot(triesLeft == 500 ? 0 : 10, [action = std::move(action), triesLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && triesLeft > 0) {
            whenModalShown(std::move(action), triesLeft - 1);
            return;
        }
        QVERIFY2(modal, "no modal window came up");
        action(modal);
    });
}

}  // namespace

class TFStartTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    MemoryPath dbPath_;
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<TFConfig> config_;
    std::unique_ptr<TFCalendar> calendar_;
    std::unique_ptr<TFEdit> edit_;
    std::unique_ptr<TFAbout> about_;
    std::unique_ptr<TFStart> start_;

    QString settingsFile() const { return dir_.filePath("fiskon.ini"); }
    QTableView* table() { return main_->findChild<QTableView*>("ListView"); }
    template <typename T>
    T* startControl(const char* name) {
        T* control = start_->findChild<T*>(name);
        if (!control) qFatal("the start screen has no control %s", name);
        return control;
    }
    QString settingsText() {
        QFile file(settingsFile());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(file.readAll());
    }
    QString exampleFile(const char* name) { return QStringLiteral(FISKON_TEST_FIXTURES "/../../examples/") + name; }
    void showStart() {
        start_->show();
        QVERIFY(QTest::qWaitForWindowExposed(start_.get()));
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("FISKON_SETTINGS", settingsFile().toLocal8Bit());
    }

    void init() {
        QFile::remove(settingsFile());
        ui_ = std::make_unique<ScriptedUserInterface>();
        main_ = std::make_unique<TFMain>(*ui_);
        AppWindows& windows = main_->windows();
        start_ = std::make_unique<TFStart>(*main_, main_.get());
        windows.start = start_.get();
        calendar_ = std::make_unique<TFCalendar>(main_.get());
        edit_ = std::make_unique<TFEdit>(main_->workspace(), *main_, *ui_, *calendar_, QStringList{},
                                         main_.get());
        windows.edit = edit_.get();
        about_ = std::make_unique<TFAbout>(*ui_, main_.get());
        windows.about = about_.get();
        config_ = std::make_unique<TFConfig>(dbPath_, *ui_, main_.get());
        config_->Wczytaj();
        windows.config = config_.get();
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }

    void cleanup() {
        if (QTest::currentTestFailed()) qWarning().noquote() << ui_->transcript();
        main_->windows() = AppWindows{};
        start_.reset();
        about_.reset();
        edit_.reset();
        calendar_.reset();
        config_.reset();
        main_.reset();
        QVERIFY2(ui_->allAnswersUsed(), "an answer queued by the test was never asked for");
        ui_.reset();
    }

    void showsItsTextsAndStartsWithTheBoxTicked() {
        QCOMPARE(start_->windowTitle(), QStringLiteral("Na początku"));
        QCOMPARE(startControl<QLabel>("LabelWersja")->text(), QStringLiteral("Wersja 1.2.10 (12-01-2007)"));
        QCOMPARE(startControl<QLabel>("Label3")->text(), QStringLiteral("tutaj"));
        QVERIFY(startControl<QCheckBox>("CheckBox1")->isChecked());
        const QString welcome = startControl<QLabel>("Label1")->text();
        QVERIFY(welcome.contains(QStringLiteral("dziękujemy za jego zakup")));
        QVERIFY(welcome.contains(QStringLiteral("pomocy technicznej")));
        QVERIFY(!startControl<QToolButton>("SpeedButton1")->icon().isNull());
        // The artwork comes from the program's resources, which must be linked in.
        QVERIFY(!startControl<QFrame>("Panel1")->findChild<QLabel*>()->pixmap().isNull());
        QVERIFY(!about_->findChild<QLabel*>("Image1")->pixmap().isNull());
    }

    void cancelledOpenKeepsTheStartScreen() {
        showStart();
        ui_->fileNames.push_back(std::nullopt);
        QTest::mouseClick(startControl<QToolButton>("SpeedButton2"), Qt::LeftButton);
        QCOMPARE(ui_->count(UiCall::OpenFile), 1);
        QVERIFY(start_->isVisible());
        QVERIFY(main_->taxpayers().empty());
    }

    void openingAFileWithoutTaxpayersKeepsTheStartScreen() {
        const QString empty = dir_.filePath("pusty.txt");
        QFile file(empty);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Parametry]\r\nLiczbaRekordow=0\r\n");
        file.close();
        showStart();
        ui_->fileNames.push_back(empty);
        QTest::mouseClick(startControl<QToolButton>("SpeedButton2"), Qt::LeftButton);
        QCOMPARE(ui_->count(UiCall::Message, QStringLiteral("Wskazany plik nie zawierał przydatnych danych!")), 1);
        QVERIFY(start_->isVisible());
    }

    void openingTheExampleFileClosesTheStartScreenAndShowsTheTable() {
        showStart();
        ui_->fileNames.push_back(exampleFile("podatnicy.txt"));
        QTest::mouseClick(startControl<QToolButton>("SpeedButton2"), Qt::LeftButton);
        QVERIFY(!start_->isVisible());
        QCOMPARE(main_->taxpayers().count(), 4);
        QVERIFY(table()->isVisible());
        QCOMPARE(table()->model()->rowCount(), 4);
        QCOMPARE(table()->model()->index(1, 0).data().toString(), QStringLiteral("NOWAK"));
    }

    void confirmedNewTaxpayerClosesTheStartScreenAndShowsTheTable() {
        showStart();
        whenModalShown([](QWidget* edit) {
            edit->findChild<QLineEdit*>("eNazwisko")->setText(QStringLiteral("ŻAK"));
            edit->findChild<QLineEdit*>("eImie")->setText(QStringLiteral("JÓZEF"));
            QTest::mouseClick(edit->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        });
        QTest::mouseClick(startControl<QToolButton>("SpeedButton4"), Qt::LeftButton);
        QVERIFY(!edit_->isVisible());
        QVERIFY(!start_->isVisible());
        QCOMPARE(main_->viewMode(), ViewMode::vmTabela);
        QVERIFY(table()->isVisible());
        QCOMPARE(table()->model()->rowCount(), 1);
        QCOMPARE(table()->model()->index(0, 0).data().toString(), QStringLiteral("ŻAK"));
        QCOMPARE(table()->model()->index(0, 1).data().toString(), QStringLiteral("JÓZEF"));
    }

    void cancelledNewTaxpayerKeepsTheStartScreen() {
        showStart();
        whenModalShown([](QWidget* edit) {
            edit->findChild<QLineEdit*>("eNazwisko")->setText(QStringLiteral("ŻAK"));
            QTest::mouseClick(edit->findChild<QPushButton*>("btnAnuluj"), Qt::LeftButton);
        });
        QTest::mouseClick(startControl<QToolButton>("SpeedButton4"), Qt::LeftButton);
        QVERIFY(start_->isVisible());
        QVERIFY(main_->taxpayers().empty());
        QCOMPARE(main_->viewMode(), ViewMode::vmNone);
    }

    void wizardClosesTheStartScreenBeforeItsFirstPageWhateverItsOutcome() {
        CountingDialog step;
        step.start = start_.get();
        main_->windows().import = &step;
        showStart();
        QTest::mouseClick(startControl<QToolButton>("SpeedButton1"), Qt::LeftButton);
        QCOMPARE(step.shown, 1);
        QVERIFY(!step.startVisibleMeanwhile);
        QVERIFY(!start_->isVisible());
        main_->windows().import = nullptr;
    }

    void checkBoxWritesTheSettingAtOnce() {
        QCheckBox* box = startControl<QCheckBox>("CheckBox1");
        showStart();
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        QVERIFY2(settingsText().contains("ShowInitialScreen=0"), qPrintable(settingsText()));
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY2(settingsText().contains("ShowInitialScreen=1"), qPrintable(settingsText()));
        QVERIFY(!settingsText().contains("ShowInitialScreen=0"));
    }

    void clearedBoxMeansNoStartScreenAtTheNextStart() {
        showStart();
        QTest::mouseClick(startControl<QCheckBox>("CheckBox1"), Qt::LeftButton);
        start_->reject();

        // The next run: fresh settings read from the file, the start-up timer fires.
        TFConfig nextRun(dbPath_, *ui_);
        nextRun.Wczytaj();
        QVERIFY(!nextRun.ShowInitialScreen());
        main_->windows().config = &nextRun;
        bool startShown = false;
        QTimer::singleShot(50, [&] {
            startShown = start_->isVisible();
            if (startShown) start_->reject();
        });
        main_->Timer1()->start();
        QTest::qWait(100);
        QVERIFY(!startShown);
        main_->windows().config = config_.get();
    }

    void startUpTimerShowsTheStartScreenWhenTheSettingIsOn() {
        QVERIFY(config_->ShowInitialScreen());  // no settings file: the default
        bool startShown = false;
        QTimer::singleShot(50, [&] {
            startShown = start_->isVisible() && QApplication::activeModalWidget() == start_.get();
            start_->reject();
        });
        main_->Timer1()->start();
        QTRY_VERIFY(startShown);
        QVERIFY(!main_->Timer1()->isActive());
    }

    void tutajOpensTheAboutBoxWithTheVersion() {
        showStart();
        QString version;
        whenModalShown([&](QWidget* about) {
            version = about->findChild<QLabel*>("lWersja")->text();
            QTest::mouseClick(about->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        QTest::mouseClick(startControl<QLabel>("Label3"), Qt::LeftButton);
        QCOMPARE(version, QStringLiteral("Wersja 1.2.10 (12-01-2007)"));
        QVERIFY(!about_->isVisible());
        QVERIFY(start_->isVisible());
    }

    void aboutShowsTheVersionEveryTimeItOpens() {
        QLabel* version = about_->findChild<QLabel*>("lWersja");
        QCOMPARE(about_->windowTitle(), QStringLiteral("O programie"));
        for (int opening = 0; opening < 2; ++opening) {
            version->setText(QStringLiteral("zmienione"));
            about_->show();
            QVERIFY(QTest::qWaitForWindowExposed(about_.get()));
            QCOMPARE(version->text(), QStringLiteral("Wersja 1.2.10 (12-01-2007)"));
            QTest::mouseClick(about_->findChild<QPushButton*>("Button1"), Qt::LeftButton);
            QVERIFY(!about_->isVisible());
        }
        QVERIFY(about_->findChild<QPushButton*>("Button1")->isDefault());
    }

    void aboutMenuItemOpensTheAboutBox() {
        bool shown = false;
        whenModalShown([&](QWidget* modal) {
            shown = modal == about_.get();
            about_->accept();
        });
        main_->findChild<QAction*>("MMnuAbout")->trigger();
        QVERIFY(shown);
    }

    void emailLabelAsksTheDesktopForAMailtoLink() {
        about_->show();
        QVERIFY(QTest::qWaitForWindowExposed(about_.get()));
        QLabel* email = about_->findChild<QLabel*>("lEmail");
        QVERIFY(email);
        QCOMPARE(email->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(email, Qt::LeftButton);
        QCOMPARE(ui_->count(UiCall::Url), 1);
        const QUrl url = ui_->last().url;
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.path(), email->text());
        QVERIFY(about_->isVisible());
        about_->accept();
    }
};

QTEST_MAIN(TFStartTest)
#include "TFStart_test.moc"
