// The main window driven through its controls, with the scripted user interface answering.

#include "app/TFMain.h"
#include "edit/widgets/TFPlatnik.h"
#include "settings/DatabasePathHolder.h"
#include "settings/widgets/TFConfig.h"
#include "store/Cp1250.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"
#include "support/FaultyFileWriteCalls.h"
#include "support/Mnemonics.h"
#include "support/ScriptedUserInterface.h"
#include "support/StandInWindows.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

TaxpayerRecord person(const char* nazwisko, const char* imie, const char* pesel = "",
                      const char* nip = "", const char* dataUr = "", const char* us = "") {
    TaxpayerRecord record;
    record.nazwisko = cp1250::fromUnicode(QString::fromUtf8(nazwisko));
    record.imie1 = cp1250::fromUnicode(QString::fromUtf8(imie));
    record.pesel = pesel;
    record.nip = nip;
    record.dataUr = dataUr;
    record.us = cp1250::fromUnicode(QString::fromUtf8(us));
    return record;
}

}  // namespace

class TFMainTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    MemoryPath dbPath_;
    std::unique_ptr<TFConfig> config_;

    QTableView* table() { return main_->findChild<QTableView*>("ListView"); }
    QAction* action(const char* name) { return main_->findChild<QAction*>(name); }
    QMenu* menu(const char* name) { return main_->findChild<QMenu*>(name); }
    QString settingsFile() { return dir_.filePath("fiskon.ini"); }
    QString cellText(int row, int column) {
        return table()->model()->index(row, column).data().toString();
    }
    QStringList surnames() {
        QStringList names;
        for (int row = 0; row < table()->model()->rowCount(); ++row) names << cellText(row, 0);
        return names;
    }
    void fill(const std::vector<TaxpayerRecord>& records) {
        for (const TaxpayerRecord& r : records) QVERIFY(main_->taxpayers().Add(r));
        main_->RefreshView(ViewMode::vmTabela);
    }
    void fillFive() {
        fill({person("ADAMSKI", "JAN"), person("BORECKI", "EWA"), person("CZAJKA", "OLA"),
              person("DUDA", "PIOTR"), person("EJMA", "ANNA")});
    }
    void select(std::initializer_list<int> rows) {
        table()->clearSelection();
        for (int row : rows)
            table()->selectionModel()->select(table()->model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Settings in force as if read from the file at start-up.
    void useSettings(const QByteArray& mainSettings) {
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MainSettings]\r\n" + mainSettings);
        file.close();
        config_ = std::make_unique<TFConfig>(dbPath_, *ui_);
        config_->Wczytaj();
        main_->windows().config = config_.get();
    }
    QLineEdit* searchLine() { return main_->findChild<QLineEdit*>("eSzukaj"); }
    QString statusText(const char* name) { return main_->findChild<QLabel*>(name)->text(); }
    // Taxpayers of distinct names, PESELs and NIPs; a few of them are found by "lodz".
    void fillForSearch(int count) {
        std::vector<TaxpayerRecord> records;
        for (int i = 0; i < count; ++i) {
            const QString surname = i % 7 == 3 ? QStringLiteral("ŁÓDZKI%1").arg(i) : QStringLiteral("OSOBA%1").arg(i);
            records.push_back(person(surname.toUtf8().constData(), QStringLiteral("IMIĘ%1").arg(i).toUtf8().constData(),
                                     QByteArray::number(70000000000LL + i * 11).constData(),
                                     QStringLiteral("%1-000-00-00").arg(100 + i).toLatin1().constData()));
        }
        fill(records);
    }
    void clickHeader(int column) {
        QHeaderView* header = table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
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
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }

    void cleanup() {
        if (QTest::currentTestFailed()) qWarning().noquote() << ui_->transcript();
        main_->windows().config = nullptr;
        main_.reset();
        config_.reset();
        QVERIFY2(ui_->allAnswersUsed(), "an answer queued by the test was never asked for");
        ui_.reset();
    }

    void startsWithHiddenTableAndSavedData() {
        QCOMPARE(main_->windowTitle(), QStringLiteral("Program wypełniający PIT-11/8B/40"));
        QCOMPARE(main_->minimumSize(), QSize(500, 200));
        QVERIFY(table()->isHidden());
        QCOMPARE(main_->viewMode(), ViewMode::vmNone);
        QVERIFY(main_->workspace().taxpayersSaved);
        QVERIFY(main_->workspace().payerSaved);
        QVERIFY(main_->selectedRows().empty());
    }

    // The menu bar and each menu answer to their own Alt keys; Tab goes from the table to the next
    // control, not from cell to cell.
    void everyMenuAnswersToItsOwnAltKeysAndTabLeavesTheTable() {
        fillFive();
        QVERIFY2(DoubledMnemonics(*main_).isEmpty(), qPrintable(DoubledMnemonics(*main_).join(QStringLiteral("; "))));
        for (const QMenu* menu : main_->findChildren<QMenu*>())
            QVERIFY2(DoubledMnemonics(*menu).isEmpty(), qPrintable(menu->objectName() + u' ' + DoubledMnemonics(*menu).join(QStringLiteral("; "))));
        QVERIFY(!table()->tabKeyNavigation());
        QCOMPARE(table()->accessibleName(), QStringLiteral("Podatnicy"));
    }

    void startScreenFollowsTheSetting_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("shown");
        QTest::newRow("no settings file") << QByteArray() << 1;
        QTest::newRow("off") << QByteArray("ShowInitialScreen=0\r\n") << 0;
        QTest::newRow("a word is off") << QByteArray("ShowInitialScreen=tak\r\n") << 0;
        QTest::newRow("on") << QByteArray("ShowInitialScreen=1\r\n") << 1;
    }
    void startScreenFollowsTheSetting() {
        QFETCH(QByteArray, settings);
        QFETCH(int, shown);
        useSettings(settings);
        ScriptedDialog start;
        main_->windows().start = &start;
        main_->Timer1()->start();
        QTRY_VERIFY(!main_->Timer1()->isActive());
        QTest::qWait(30);  // the timer never fires again
        QCOMPARE(start.shown, shown);
        QVERIFY(table()->isHidden());
    }

    void toolbarHasItsFlatButtonsInOrder() {
        const char* names[] = {"btnAdd", "btnImport", "btnOpen", "btnSave",
                               "btnPlatnik", "btnShow", "btnPrint", "btnCheck", "btnHelp"};
        int previousX = -1;
        for (const char* name : names) {
            auto* button = main_->findChild<QToolButton*>(name);
            QVERIFY2(button, name);
            QVERIFY(button->autoRaise());
            QCOMPARE(button->size(), QSize(32, 32));
            QVERIFY(!button->icon().isNull());
            QVERIFY(!button->statusTip().isEmpty());
            QVERIFY2(button->x() > previousX, name);
            previousX = button->x();
        }
        main_->findChild<QToolButton*>("btnHelp")->click();
        QCOMPARE(ui_->count(UiCall::Help, QString()), 1);
    }

    // What the menus show beside each command: the keys by their keyboard names.
    void menusNameTheShortcutsAsTheKeyboardDoes() {
        struct Probe : QMenu {
            using QMenu::initStyleOption;
        };
        const std::pair<const char*, const char*> rows[] = {
            {"MMnuEditData", "&Edytuj dane\tAlt+Enter"},  {"MMnuAddData", "Dod&aj dane\tInsert"},
            {"MMnuDelData", "&Usuń wybrany rekord\tDelete"}, {"TMnuEdit", "&Edycja danych\tAlt+Enter"},
            {"TMnuAddRecord", "&Dodaj rekord\tInsert"},     {"TMnuDelRecord", "&Usuń rekord(y)\tDelete"},
            {"MMnuPrintData", "&Drukuj wybrane dane\tCtrl+P"}, {"MMnuDelAllData", "U&suń wszystkie dane"},
        };
        for (const auto& [name, shown] : rows) {
            auto* action = main_->findChild<QAction*>(QString::fromLatin1(name));
            QVERIFY2(action, name);
            QVERIFY2(!action->associatedObjects().isEmpty(), name);
            QMenu* menu = nullptr;
            for (QObject* object : action->associatedObjects())
                if (auto* candidate = qobject_cast<QMenu*>(object)) menu = candidate;
            QVERIFY2(menu, name);
            Probe probe;  // a menu of our own holding the same action shows it as the real menu does
            probe.addAction(action);
            QStyleOptionMenuItem option;
            probe.initStyleOption(&option, action);
            QCOMPARE(option.text, QString::fromUtf8(shown));
        }
        // The keys still act: Alt+Enter as Alt with either Enter key.
        QCOMPARE(main_->findChild<QAction*>("MMnuEditData")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)}));
    }

    void tableIsBuiltWithItsColumnsAndRows() {
        fill({person("KOWALSKI", "JAN", "80010112345", "123-456-78-90", "1980-01-01", "US Kraków"),
              person("NOWAK", "EWA")});
        QVERIFY(!table()->isHidden());
        QCOMPARE(main_->viewMode(), ViewMode::vmTabela);
        const QStringList headers = {"Nazwisko", "Imię", "NIP", "Data urodzenia", "Urząd Skarbowy"};
        QCOMPARE(table()->model()->columnCount(), 5);
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(table()->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
            QCOMPARE(table()->columnWidth(c), c == 4 ? 250 : 150);
        }
        QCOMPARE(cellText(0, 0), QStringLiteral("KOWALSKI"));
        QCOMPARE(cellText(0, 2), QStringLiteral("123-456-78-90"));
        QCOMPARE(cellText(0, 3), QStringLiteral("1980-01-01"));
        QCOMPARE(cellText(0, 4), QStringLiteral("US Kraków"));
        QCOMPARE(cellText(1, 1), QStringLiteral("EWA"));
    }

    void tableNeverReachesPastAShrunkRegister() {
        fillFive();
        // A dialog deletes records and repaints before it asks for the rebuild.
        main_->taxpayers().Clear();
        table()->viewport()->repaint();
        QVERIFY(!table()->model()->index(4, 0).data().isValid());
        main_->RefreshView(ViewMode::vmTabela);
        QCOMPARE(table()->model()->rowCount(), 0);
        QVERIFY(!table()->isHidden());  // the headers stay once the table was built
    }

    void headerClickSorts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("expected");
        // Added in this order; the pesel order differs from the birth date text.
        QTest::newRow("Nazwisko") << 0 << QStringList{"ĄBEL", "ABEL", "ŻAK", "ZAWADA"};
        QTest::newRow("Imię") << 1 << QStringList{"ABEL", "ZAWADA", "ŻAK", "ĄBEL"};
        QTest::newRow("NIP keeps order") << 2 << QStringList{"ŻAK", "ZAWADA", "ĄBEL", "ABEL"};
        QTest::newRow("Data urodzenia by PESEL") << 3 << QStringList{"ZAWADA", "ABEL", "ŻAK", "ĄBEL"};
        QTest::newRow("Urząd Skarbowy keeps order") << 4 << QStringList{"ŻAK", "ZAWADA", "ĄBEL", "ABEL"};
    }
    void headerClickSorts() {
        QFETCH(int, column);
        QFETCH(QStringList, expected);
        fill({person("ŻAK", "DAREK", "90010100000", "", "1950-01-01"),
              person("ZAWADA", "BOGDAN", "50010100000", "", "1990-01-01"),
              person("ĄBEL", "EWA", "95010100000", "", "1940-01-01"),
              person("ABEL", "ADAM", "70010100000", "", "1930-01-01")});
        clickHeader(column);
        QCOMPARE(surnames(), expected);
        QCOMPARE(main_->viewMode(), ViewMode::vmTabela);
        QCOMPARE(main_->workspace().taxpayersSaved, true);
    }

    void headerClickOnEmptyRegisterKeepsSortKey() {
        fill({});
        clickHeader(1);
        QCOMPARE(main_->taxpayers().sortKey(), TaxpayerSortKey::SortByNazwisko);
    }

    void deleteThreeSelectedRowsAsksOnce() {
        fillFive();
        select({0, 2, 4});
        ui_->answers.push_back(true);
        main_->findChild<QAction*>("MMnuDelData")->trigger();
        QCOMPARE(ui_->count(UiCall::Ask), 1);
        const UiCall question = ui_->last();
        QCOMPARE(question.title, QStringLiteral("Pytanie"));
        QCOMPARE(question.text, QStringLiteral("Czy na pewno usunąć?"));
        QCOMPARE(question.icon, MessageIcon::Question);
        QCOMPARE(surnames(), (QStringList{"BORECKI", "DUDA"}));
        QCOMPARE(main_->taxpayers().count(), 2);
    }

    void deleteAnsweredNoKeepsEverything() {
        fillFive();
        select({1, 3});
        ui_->answers.push_back(false);
        main_->DeleteSelected();
        QCOMPARE(main_->taxpayers().count(), 5);
        QVERIFY(main_->workspace().taxpayersSaved);
    }

    void deleteWithoutQuestionWhenSettingIsOff() {
        useSettings("AskBeforeDelete=0\r\n");
        fillFive();
        select({1});
        QTest::keyClick(table(), Qt::Key_Delete);
        QCOMPARE(ui_->count(UiCall::Ask), 0);
        QCOMPARE(surnames(), (QStringList{"ADAMSKI", "CZAJKA", "DUDA", "EJMA"}));
        // The deletion is a change the close procedure must know about.
        QVERIFY(!main_->workspace().taxpayersSaved);
    }

    void selectionCommandsDoNothingWithoutSelection() {
        fillFive();
        ScriptedDialog edit, multi, vel, print;
        main_->windows().edit = &edit;
        main_->windows().multiEdit = &multi;
        main_->windows().vel = &vel;
        main_->windows().print = &print;
        for (const char* name : {"btnShow", "btnPrint"}) main_->findChild<QToolButton*>(name)->click();
        main_->Edit();
        main_->DeleteSelected();
        QCOMPARE(edit.shown + multi.shown + vel.shown + print.shown, 0);
        QCOMPARE(ui_->calls.size(), std::size_t{0});
        QCOMPARE(main_->taxpayers().count(), 5);
    }

    void deleteAllAsksEvenWhenDeleteQuestionIsOff() {
        useSettings("AskBeforeDelete=0\r\n");
        fillFive();
        ui_->answers.push_back(false);
        action("MMnuDelAllData")->trigger();
        QCOMPARE(ui_->count(UiCall::Ask, "Czy na pewno usunąć wszystkie dane pracowników?"), 1);
        QCOMPARE(ui_->last().title, QStringLiteral("Zastanów się.."));
        QCOMPARE(main_->taxpayers().count(), 5);
        ui_->answers.push_back(true);
        main_->DeleteAll();
        QVERIFY(main_->taxpayers().empty());
        QCOMPARE(table()->model()->rowCount(), 0);
        QVERIFY(!table()->isHidden());
    }

    void saveAsWithEmptyRegisterShowsMessageAndNoDialog() {
        action("MMnu_SaveAs")->trigger();
        QCOMPARE(ui_->calls.size(), std::size_t{1});
        QCOMPARE(ui_->last().kind, UiCall::Message);
        QCOMPARE(ui_->last().title, QStringLiteral("Błąd"));
        QCOMPARE(ui_->last().text, QStringLiteral("Nie ma żadnych danych do zapisania!"));
        QCOMPARE(ui_->last().icon, MessageIcon::Information);
    }

    void menusEnableByRegisterAndSelection() {
        emit menu("MMnu_Plik")->aboutToShow();
        QVERIFY(!action("MMnu_Save")->isEnabled());
        QVERIFY(!action("MMnuExportSep")->isEnabled());
        QVERIFY(action("MMnu_SaveAs")->isEnabled());
        emit menu("MMnu_Plik")->aboutToHide();
        emit menu("MMnu_Edycja")->aboutToShow();
        QVERIFY(!action("MMnuSummary")->isEnabled());
        emit menu("MMnu_Edycja")->aboutToHide();

        fillFive();
        emit menu("MMnu_Plik")->aboutToShow();
        QVERIFY(action("MMnu_Save")->isEnabled());
        QVERIFY(action("MMnuExportSep")->isEnabled());
        emit menu("MMnu_Edycja")->aboutToShow();
        QVERIFY(action("MMnuDelAllData")->isEnabled());
        QVERIFY(!action("MMnuPrintAllData")->isEnabled());
        for (const char* name : {"MMnuEditData", "MMnuShowData", "MMnuPrintData", "MMnuDelData"})
            QVERIFY2(!action(name)->isEnabled(), name);
        QVERIFY(action("MMnuCheckData")->isEnabled());  // no selection: the whole register
        QVERIFY(action("MMnuSummary")->isEnabled());
        emit menu("MMnu_Edycja")->aboutToHide();

        select({2});
        emit menu("TabelaMenu")->aboutToShow();
        for (const char* name : {"TMnuPokazForm", "TMnuEdit", "TMnuPrint", "TMnuDelRecord"})
            QVERIFY2(action(name)->isEnabled(), name);
        QCOMPARE(menu("TabelaMenu")->defaultAction(), action("TMnuPokazForm"));
        emit menu("TabelaMenu")->aboutToHide();

        // A menu opened without a selection must not leave the Delete key dead afterwards.
        ui_->answers.push_back(true);
        QTest::keyClick(table(), Qt::Key_Delete);
        QCOMPARE(main_->taxpayers().count(), 4);
        QVERIFY(!action("MMnuPrintAllData")->isEnabled());
    }

    void saveAsWritesFileAndClosingSkipsTaxpayerQuestion() {
        fillFive();
        main_->workspace().taxpayersSaved = false;
        const QString file = dir_.filePath("podatnicy.txt");
        ui_->fileNames.push_back(file);
        main_->findChild<QToolButton*>("btnSave")->click();
        const UiCall dialog = ui_->last();
        QCOMPARE(dialog.kind, UiCall::SaveFile);
        QCOMPARE(dialog.title, QStringLiteral("Zapisywanie danych podatników..."));
        QCOMPARE(dialog.filter,
                 QStringLiteral("Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("*.txt"));
        QVERIFY(main_->workspace().taxpayersSaved);
        TaxpayerRegister reread;
        QVERIFY(LoadFromFile(reread, file));
        QCOMPARE(reread.count(), 5);

        ui_->clearCalls();
        ui_->answers.push_back(false);
        QVERIFY(!main_->close());
        QCOMPARE(ui_->count(UiCall::Ask), 1);
        QCOMPARE(ui_->last().text, QStringLiteral("Czy na pewno chcesz opuścić program?"));
    }

    void saveAsCancelledKeepsFlag() {
        fillFive();
        main_->workspace().taxpayersSaved = false;
        ui_->fileNames.push_back(std::nullopt);
        main_->SaveAs();
        QVERIFY(!main_->workspace().taxpayersSaved);
    }

    void saveAsFailureIsReportedAndFlagStaysFalse() {
        fillFive();
        main_->workspace().taxpayersSaved = false;
        ui_->fileNames.push_back(dir_.filePath("no-such-folder/x.txt"));
        main_->SaveAs();
        QCOMPARE(ui_->count(UiCall::Message), 1);
        QCOMPARE(ui_->last().icon, MessageIcon::Error);
        QVERIFY(!ui_->last().text.isEmpty());
        QVERIFY(!main_->workspace().taxpayersSaved);

        // The disk fails while the file is flushed: the box names the cause, the earlier file stays.
        const QString file = dir_.filePath("podatnicy.txt");
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("[Parametry]\r\nLiczbaRekordow=0\r\n");
        earlier.close();
        ui_->fileNames.push_back(file);
        {
            const std::vector<std::string> calls = [&] {
                QTemporaryDir other;
                FaultyFileWriteCalls counting;
                const ScopedFileWriteCalls scope(counting);
                SaveToFile(main_->taxpayers(), other.filePath("x.txt"));
                return counting.calls();
            }();
            const int flush = static_cast<int>(std::find(calls.begin(), calls.end(), "fdatasync") - calls.begin()) + 1;
            FaultyFileWriteCalls failingFlush(flush, EIO);
            const ScopedFileWriteCalls scope(failingFlush);
            main_->SaveAs();
        }
        QCOMPARE(ui_->count(UiCall::Message), 2);
        QCOMPARE(ui_->last().text,
                 QStringLiteral("Nie można zapisać pliku „%1”: błąd zapisu na dysk (EIO).").arg(file));
        QVERIFY(!main_->workspace().taxpayersSaved);
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("[Parametry]\r\nLiczbaRekordow=0\r\n"));
    }

    void openShowsTheFileInItsOrder() {
        TaxpayerRegister source;
        source.Add(person("ZIELIŃSKI", "JAN"));
        source.Add(person("ABACKI", "EWA"));
        const QString file = dir_.filePath("dwa.txt");
        SaveToFile(source, file);
        ui_->fileNames.push_back(file);
        action("MMnuOpen")->trigger();
        const UiCall dialog = ui_->last();
        QCOMPARE(dialog.kind, UiCall::OpenFile);
        QCOMPARE(dialog.filter, QStringLiteral("Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*"));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("*.txt"));
        QCOMPARE(ui_->count(UiCall::Message), 0);
        QCOMPARE(surnames(), (QStringList{"ABACKI", "ZIELIŃSKI"}));
        QVERIFY(!table()->isHidden());
    }

    void openWithoutUsableRecordsReportsOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("failsKeepingTheRegister");
        QTest::newRow("no Parametry") << QByteArray("[s1]\r\nnazwisko=A\r\nimie1=B\r\n") << false;
        QTest::newRow("count not a number")
            << QByteArray("[s1]\r\nnazwisko=A\r\nimie1=B\r\n[Parametry]\r\nLiczbaRekordow=abc\r\n") << true;
        QTest::newRow("count 0") << QByteArray("[Parametry]\r\nLiczbaRekordow=0\r\n") << false;
        QTest::newRow("records without names")
            << QByteArray("[s1]\r\nnazwisko=A\r\n[Parametry]\r\nLiczbaRekordow=1\r\n") << false;
        QTest::newRow("not text at all") << QByteArray("\x00\x01\x02\xff", 4) << false;
    }
    void openWithoutUsableRecordsReportsOnce() {
        QFETCH(QByteArray, content);
        QFETCH(bool, failsKeepingTheRegister);
        fillFive();  // the table showed data before
        const QString file = dir_.filePath("zly.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        main_->workspace().taxpayersSaved = true;
        ui_->fileNames.push_back(file);
        main_->Open();
        QCOMPARE(ui_->count(UiCall::Message), 1);
        QCOMPARE(ui_->last().text, QStringLiteral("Wskazany plik nie zawierał przydatnych danych!"));
        QCOMPARE(ui_->last().title, QStringLiteral("Informacja"));
        // A file that fails to load costs nothing of the register the user had.
        const int left = failsKeepingTheRegister ? 5 : 0;
        QCOMPARE(main_->taxpayers().count(), left);
        QCOMPARE(table()->model()->rowCount(), left);
    }

    // A file with more taxpayers than a register may hold: the limit's message, and the register
    // and its table as they were.
    void openBeyondTheLimitKeepsTheRegister() {
        fillFive();
        main_->workspace().taxpayers.setRecordLimit(6);
        const QString file = dir_.filePath("duzy.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 7; ++n) f.write(QStringLiteral("[s%1]\r\nnazwisko=N%1\r\nimie1=I\r\n").arg(n).toLatin1());
        f.write("[Parametry]\r\nLiczbaRekordow=7\r\n");
        f.close();
        ui_->fileNames.push_back(file);
        main_->Open();
        QCOMPARE(ui_->count(UiCall::Message), 1);
        QCOMPARE(ui_->last().text, RecordLimitMessage(6));
        QCOMPARE(ui_->last().title, QStringLiteral("Błąd"));
        QCOMPARE(main_->taxpayers().count(), 5);
        QCOMPARE(table()->model()->rowCount(), 5);
    }

    // A name that is a folder: the reason alone, not a file "without usable data".
    void openAFolderSaysItIsOne() {
        fillFive();
        ui_->fileNames.push_back(dir_.path());
        main_->Open();
        QCOMPARE(ui_->count(UiCall::Message), 1);
        QCOMPARE(ui_->last().text, QStringLiteral("Nie można odczytać pliku „%1”: wskazano folder, a nie plik.").arg(dir_.path()));
        QCOMPARE(ui_->last().title, QStringLiteral("Błąd"));
        QCOMPARE(main_->taxpayers().count(), 5);
    }

    void openCancelledChangesNothing() {
        fillFive();
        ui_->fileNames.push_back(std::nullopt);
        main_->Open();
        QCOMPARE(main_->taxpayers().count(), 5);
        QCOMPARE(ui_->count(UiCall::Message), 0);
    }

    void openOffersToSaveUnsavedTaxpayersFirst() {
        fillFive();
        main_->workspace().taxpayersSaved = false;
        ui_->answers.push_back(false);
        ui_->fileNames.push_back(std::nullopt);
        main_->Open();
        QCOMPARE(ui_->count(UiCall::Ask, "Dane podatników nie zostały zapisane. Czy chcesz je zapisać?"), 1);
    }

    void importEmailsAsksAboutProblemsAndAppliesTheRestWhenAccepted() {
        emit menu("MMnu_Plik")->aboutToShow();
        QVERIFY(!action("MMnuImportEmail")->isEnabled());  // nobody to give an address to
        fill({person("ADAMSKI", "JAN", "80010112345"), person("BORECKI", "EWA", "81020223456")});
        emit menu("MMnu_Plik")->aboutToShow();
        QVERIFY(action("MMnuImportEmail")->isEnabled());
        const QString list = dir_.filePath("adresy.txt");
        WriteTestFile(list, QByteArray::fromStdString(cp1250::fromUnicode(QStringLiteral(
            "80010112345;jan.adamski@firma.pl\r\n81020223456;ewa.borecka@żagiel.pl\r\n99999999999;obcy@firma.pl\r\n"))));
        ui_->fileNames = {list, list};
        ui_->choices = {1, 0};  // "Anuluj" first, then "Zastosuj pozostałe"

        action("MMnuImportEmail")->trigger();
        QCOMPARE(ui_->calls.size(), std::size_t{2});
        QCOMPARE(ui_->calls[0].kind, UiCall::OpenFile);
        const UiCall question = ui_->last();
        QCOMPARE(question.kind, UiCall::Choose);
        QCOMPARE(question.buttons, (QStringList{QStringLiteral("Zastosuj pozostałe"), QStringLiteral("Anuluj")}));
        QVERIFY2(question.text.contains(QStringLiteral("Wiersz 3: PESEL 99999999999 nie występuje w rejestrze.")),
                 qPrintable(question.text));
        QVERIFY(question.text.contains(QStringLiteral("Czy przypisać pozostałe adresy (2 podatników)?")));
        QVERIFY(main_->taxpayers().at(0).email.empty());
        QVERIFY(main_->workspace().taxpayersSaved);
        QVERIFY(!main_->windowTitle().endsWith(QStringLiteral(" *")));

        ui_->clearCalls();
        action("MMnuImportEmail")->trigger();
        QCOMPARE(ui_->last().kind, UiCall::Message);
        QCOMPARE(ui_->last().text, QStringLiteral("Zmieniono adresy e-mail: 2 podatników."));
        QCOMPARE(main_->taxpayers().at(0).email, std::string_view("jan.adamski@firma.pl"));
        QCOMPARE(main_->taxpayers().at(1).email, cp1250::fromUnicode(QStringLiteral("ewa.borecka@żagiel.pl")));
        QVERIFY(!main_->workspace().taxpayersSaved);
        QVERIFY(main_->windowTitle().endsWith(QStringLiteral(" *")));
        QCOMPARE(main_->findChild<QStatusBar*>("StatusBar")->currentMessage(),
                 QStringLiteral("Zmieniono adresy e-mail: 2 podatników."));
    }

    void closingWithQuitQueryOffAsksOnlyWhetherToLeave() {
        useSettings("QuitQuery=0\r\n");
        fillFive();
        main_->workspace().taxpayersSaved = false;
        main_->workspace().payerSaved = false;
        ui_->answers.push_back(false);
        action("MMnuExit")->trigger();
        QCOMPARE(ui_->calls.size(), std::size_t{1});
        QCOMPARE(ui_->last().title, QStringLiteral("Wychodzisz?"));
        QCOMPARE(ui_->last().text, QStringLiteral("Czy na pewno chcesz opuścić program?"));
        QCOMPARE(ui_->last().icon, MessageIcon::Question);
        QVERIFY(main_->isVisible());
        QCOMPARE(main_->taxpayers().count(), 5);
        QVERIFY(!main_->workspace().taxpayersSaved);
    }

    void closingWithUnsavedDataAsksInOrder() {
        fillFive();
        main_->workspace().taxpayersSaved = false;
        main_->workspace().payerSaved = false;
        int payerSaves = 0;
        main_->windows().savePayer = [&] { ++payerSaves; };
        const QString file = dir_.filePath("zamkniecie.txt");
        ui_->answers = {true, true, true};
        ui_->fileNames.push_back(file);
        QVERIFY(main_->CloseQuery());
        const std::vector<UiCall> asks = ui_->callsOf(UiCall::Ask);
        QCOMPARE(asks.size(), std::size_t{3});
        QCOMPARE(asks[0].text, QStringLiteral("Dane podatników nie zostały zapisane. Czy chcesz je zapisać?"));
        QCOMPARE(asks[0].title, QStringLiteral("Uwaga!"));
        QCOMPARE(asks[0].icon, MessageIcon::Warning);
        QCOMPARE(asks[1].text, QStringLiteral("Dane Płatnika nie zostały zapisane. Czy chcesz je zapisać?"));
        QCOMPARE(asks[2].text, QStringLiteral("Czy na pewno chcesz opuścić program?"));
        QVERIFY(QFile::exists(file));
        QCOMPARE(payerSaves, 1);
    }

    void editOneRowSelectsItAndKeepsSelection() {
        fillFive();
        ScriptedDialog edit;
        TaxpayerRecord* seen = nullptr;
        edit.whileShown = [&] { seen = main_->taxpayers().current(); };
        main_->windows().edit = &edit;
        select({3});
        const QPoint cell = table()->visualRect(table()->model()->index(3, 1)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(edit.shown, 1);
        QCOMPARE(seen, &main_->taxpayers().at(3));
        QCOMPARE(main_->selectedRows(), std::vector<int>{3});
    }

    void editTwoRowsOpensMultiEdit() {
        fillFive();
        ScriptedDialog edit, multi;
        main_->windows().edit = &edit;
        main_->windows().multiEdit = &multi;
        select({0, 1});
        action("MMnuEditData")->trigger();
        QCOMPARE(edit.shown, 0);
        QCOMPARE(multi.shown, 1);
    }

    void addEmptiesCurrentBeforeTheEditForm() {
        fillFive();
        QVERIFY(main_->taxpayers().current() != nullptr);
        ScriptedDialog edit;
        bool currentEmpty = false;
        edit.whileShown = [&] { currentEmpty = main_->taxpayers().current() == nullptr; };
        main_->windows().edit = &edit;
        main_->findChild<QToolButton*>("btnAdd")->click();
        QVERIFY(currentEmpty);
    }

    void showFormSelectsTheFirstSelectedRow() {
        fillFive();
        ScriptedDialog vel;
        TaxpayerRecord* seen = nullptr;
        vel.whileShown = [&] { seen = main_->taxpayers().current(); };
        main_->windows().vel = &vel;
        select({4, 2});
        QTest::keyClick(main_.get(), Qt::Key_F5);
        QCOMPARE(vel.shown, 1);
        QCOMPARE(seen, &main_->taxpayers().at(2));
    }

    // The search line narrows the table; every command then works on the taxpayers shown and
    // selected, by their places in the register.
    void searchShowsWhatItFindsAndCommandsActOnIt() {
        fillForSearch(40);  // "lodz" finds positions 3, 10, 17, 24, 31, 38
        ScriptedDialog edit, multi;
        main_->windows().edit = &edit;
        main_->windows().multiEdit = &multi;
        QLineEdit* line = searchLine();
        QCOMPARE(line->accessibleName(), QStringLiteral("Szukaj"));
        QCOMPARE(line->placeholderText(), QStringLiteral("Szukaj: nazwisko, imię, PESEL lub NIP"));
        QCOMPARE(statusText("StatusCount"), QStringLiteral("Podatników: 40"));
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), table());

        QTest::keyClicks(line, QStringLiteral("lodz"));
        QCOMPARE(surnames(), (QStringList{"ŁÓDZKI3", "ŁÓDZKI10", "ŁÓDZKI17", "ŁÓDZKI24", "ŁÓDZKI31", "ŁÓDZKI38"}));
        QCOMPARE(statusText("StatusCount"), QStringLiteral("Podatników: 6 z 40"));
        select({1, 4});
        QCOMPARE(main_->selectedRows(), (std::vector<int>{10, 31}));
        // Typing on keeps the selected taxpayers the search still finds.
        QTest::keyClick(line, Qt::Key_K);
        QCOMPARE(main_->selectedRows(), (std::vector<int>{10, 31}));
        QTest::keyClick(line, Qt::Key_Backspace);

        // Enter and keypad Enter open the edit form of the one selected, the multi-edit of several.
        table()->setFocus();
        select({2});
        TaxpayerRecord* edited = nullptr;
        edit.whileShown = [&] { edited = main_->taxpayers().current(); };
        QTest::keyClick(table(), Qt::Key_Return);
        QCOMPARE(edit.shown, 1);
        QCOMPARE(edited, &main_->taxpayers().at(17));
        QCOMPARE(main_->selectedRows(), std::vector<int>{17});
        select({0, 5});
        QTest::keyClick(table(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(multi.shown, 1);
        QCOMPARE(edit.shown, 1);

        // Delete in the line is the line's; in the table it takes exactly the record selected.
        line->setFocus();
        line->setCursorPosition(0);
        QTest::keyClick(line, Qt::Key_Delete);
        QCOMPARE(line->text(), QStringLiteral("odz"));
        QCOMPARE(main_->taxpayers().count(), 40);
        line->setText(QStringLiteral("lodz"));
        table()->setFocus();
        select({3});
        const TaxpayerRecord* doomed = &main_->taxpayers().at(24);
        ui_->answers.push_back(true);
        QTest::keyClick(table(), Qt::Key_Delete);
        QCOMPARE(main_->taxpayers().count(), 39);
        for (int position = 0; position < 39; ++position) QVERIFY(&main_->taxpayers().at(position) != doomed);
        QCOMPARE(surnames(), (QStringList{"ŁÓDZKI3", "ŁÓDZKI10", "ŁÓDZKI17", "ŁÓDZKI31", "ŁÓDZKI38"}));
        QCOMPARE(statusText("StatusCount"), QStringLiteral("Podatników: 5 z 39"));

        // A NIP is found without its dashes; Esc shows everybody again.
        line->setText(QStringLiteral("1150"));
        QCOMPARE(surnames(), QStringList{"OSOBA15"});
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Escape);
        QVERIFY(line->text().isEmpty());
        QCOMPARE(table()->model()->rowCount(), 39);
        QCOMPARE(statusText("StatusCount"), QStringLiteral("Podatników: 39"));

        // A taxpayer added while the search would hide them is shown and selected.
        line->setText(QStringLiteral("lodz"));
        edit.whileShown = [&] {
            QVERIFY(main_->taxpayers().Add(person("ZIELIŃSKI", "ADAM", "99010100000", "999-000-00-00")));
            main_->RefreshView(ViewMode::vmTabela);
        };
        QTest::keyClick(main_.get(), Qt::Key_Insert);
        QVERIFY(line->text().isEmpty());
        QCOMPARE(main_->selectedRows(), std::vector<int>{39});
        QCOMPARE(statusText("StatusCount"), QStringLiteral("Podatników: 40"));
    }

    // After a sort the selected taxpayer stays selected wherever the order takes them, in view.
    void headerClickKeepsTheSelectedTaxpayerInView() {
        std::vector<TaxpayerRecord> records;
        for (int i = 0; i < 200; ++i)
            records.push_back(person(QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')).toLatin1().constData(),
                                     QStringLiteral("I%1").arg(199 - i, 3, 10, QLatin1Char('0')).toLatin1().constData(),
                                     QByteArray::number(70000000000LL + i).constData()));
        fill(records);
        select({0, 2});
        clickHeader(1);  // by first name: the order turns round
        QCOMPARE(main_->selectedRows(), (std::vector<int>{197, 199}));
        QCOMPARE(cellText(197, 0), QStringLiteral("N002"));
        const QRect shown = table()->visualRect(table()->model()->index(197, 0));
        QVERIFY(table()->viewport()->rect().contains(shown.center()));
    }

    // The payer file used with a data file comes back when that file is opened again; one that
    // is gone is said once, and the payer in force stays.
    void payerFileComesBackWithItsDataFileFromTheRecentList() {
        TFPlatnik platnik(main_->workspace(), *ui_, main_.get());
        main_->windows().loadPayer = [&](const QString& file, QString* failure) { return platnik.OpenPayer(file, failure); };
        main_->windows().savePayerToItsFile = [&] { platnik.SaveToPayerFile(); };
        auto writeFiles = [&](const char* data, const char* surname, const char* payerFile, const char* payerName) {
            TaxpayerRegister source;
            source.Add(person(surname, "JAN"));
            SaveToFile(source, dir_.filePath(data));
            PayerRecord payer;
            payer.nazwa = payerName;
            payer.NIP = "111-222-33-44";
            SaveToFile(payer, dir_.filePath(payerFile));
        };
        writeFiles("dane-a.txt", "ADAMSKI", "firma-a.txt", "FIRMA A");
        writeFiles("dane-b.txt", "BORECKI", "firma-b.txt", "FIRMA B");
        QCOMPARE(statusText("StatusPlatnik"), QStringLiteral("Płatnik: brak"));

        QVERIFY(main_->OpenFile(dir_.filePath("dane-a.txt")));
        QVERIFY(platnik.OpenPayer(dir_.filePath("firma-a.txt")));  // "Wczytaj" in the payer form
        QVERIFY(main_->OpenFile(dir_.filePath("dane-b.txt")));
        QCOMPARE(main_->payer().nazwa, std::string_view("FIRMA A"));  // nothing remembered for it yet
        QVERIFY(platnik.OpenPayer(dir_.filePath("firma-b.txt")));
        QCOMPARE(statusText("StatusPlatnik"), QStringLiteral("Płatnik: firma-b.txt"));

        searchLine()->setText(QStringLiteral("borecki"));
        action("MMnuRecent2")->trigger();  // dane-a.txt
        QCOMPARE(main_->taxpayers().at(0).nazwisko, std::string_view("ADAMSKI"));
        QVERIFY(searchLine()->text().isEmpty());  // another register is searched afresh
        QCOMPARE(surnames(), QStringList{"ADAMSKI"});
        QCOMPARE(main_->payer().nazwa, std::string_view("FIRMA A"));
        QCOMPARE(statusText("StatusPlatnik"), QStringLiteral("Płatnik: firma-a.txt"));
        QCOMPARE(ui_->count(UiCall::Message), 0);

        // A changed payer is offered for saving with the register, into its own file.
        platnik.show();
        platnik.findChild<QLineEdit*>("eNazwa")->setText(QStringLiteral("FIRMA A SP. Z O.O."));
        platnik.btnOKClick();
        QVERIFY(!main_->workspace().payerSaved);
        ui_->fileNames.push_back(dir_.filePath("dane-a.txt"));
        ui_->answers.push_back(true);
        action("MMnu_Save")->trigger();
        QCOMPARE(ui_->count(UiCall::Ask, "Dane płatnika również zostały zmienione. Czy zapisać je teraz?"), 1);
        QCOMPARE(ui_->callsOf(UiCall::Ask).back().title, QStringLiteral("Pytanie"));
        QCOMPARE(ui_->count(UiCall::SaveFile), 1);  // the register's dialog only
        QVERIFY(main_->workspace().payerSaved);
        PayerRecord saved;
        LoadFromFile(saved, dir_.filePath("firma-a.txt"));
        QCOMPARE(saved.nazwa, std::string_view("FIRMA A SP. Z O.O."));

        // The file gone: one message, and the payer in force stays.
        QVERIFY(QFile::remove(dir_.filePath("firma-b.txt")));
        ui_->clearCalls();
        action("MMnuRecent2")->trigger();  // dane-b.txt
        QCOMPARE(main_->taxpayers().at(0).nazwisko, std::string_view("BORECKI"));
        QCOMPARE(ui_->count(UiCall::Message), 1);
        QVERIFY2(ui_->last().text.startsWith(
                     QStringLiteral("Nie wczytano danych płatnika używanych ostatnio z plikiem „dane-b.txt”.")),
                 qPrintable(ui_->last().text));
        QCOMPARE(main_->payer().nazwa, std::string_view("FIRMA A SP. Z O.O."));
        QCOMPARE(statusText("StatusPlatnik"), QStringLiteral("Płatnik: firma-a.txt"));
        main_->windows().loadPayer = nullptr;
        main_->windows().savePayerToItsFile = nullptr;
    }

    void importWizardWalksItsSteps() {
        ScriptedDialog step0, step1, step3;
        std::vector<int> order;
        step0.whileShown = [&] { order.push_back(0); main_->importStep = 1; };
        int logins = 0;
        step1.whileShown = [&] { order.push_back(1); main_->importStep = ++logins == 1 ? 0 : 2; };
        step3.whileShown = [&] { order.push_back(2); main_->importStep = 4; };
        main_->windows().import = &step0;
        main_->windows().import1 = &step1;
        main_->windows().import3 = &step3;
        action("MMnuKreatorOdczytu")->trigger();
        QCOMPARE(order, (std::vector<int>{0, 1, 0, 1, 2}));
    }

    void importWizardEndsWhenAStepIsClosedWithoutAChoice() {
        ScriptedDialog step0;
        main_->windows().import = &step0;
        main_->importStep = 3;
        main_->ImportWizard();  // step0 leaves importStep at 0: the wizard must not loop forever
        QCOMPARE(step0.shown, 1);
        QCOMPARE(main_->importStep, 4);
    }
};

QTEST_MAIN(TFMainTest)
#include "TFMain_test.moc"
