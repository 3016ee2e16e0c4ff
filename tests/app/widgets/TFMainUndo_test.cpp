// Edycja → Cofnij / Ponów in the main window with the real edit form, multi-record edit, payer
// form and delimited import: each kind of change undone and redone, the saved state found again.

#include "app/TFMain.h"
#include "app/UndoHistory.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFMultiEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/widgets/FindingsTableModel.h"
#include "forms/widgets/TFCheck.h"
#include "import/widgets/TFImportSep.h"
#include "store/Cp1250.h"
#include "store/TaxpayerDataFile.h"
#include "support/ScriptedUserInterface.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A taxpayer whose every field differs from every other taxpayer's.
TaxpayerRecord taxpayer(int i) {
    TaxpayerRecord r;
    const std::string n = std::to_string(i);
    r.nazwisko = cp1250::fromUnicode(QStringLiteral("NAZWISKO%1").arg(QChar(u'A' + i)));
    r.imie1 = "IMIE" + n;
    r.pesel = std::to_string(85020300000LL + i * 11);
    r.nip = "NIP-" + n;
    r.gmina = "GMINA" + n;
    r.miejsc = "MIASTO" + n;
    r.poczta = "POCZTA" + n;
    r.ulica = "ULICA" + n;
    r.p11Box(35) = std::to_string(1000 + i) + ",00";
    return r;
}

std::vector<TaxpayerRecord> contents(const TaxpayerRegister& taxpayers) {
    std::vector<TaxpayerRecord> all;
    for (int i = 0; i < taxpayers.count(); ++i) all.push_back(taxpayers.at(i));
    return all;
}

}  // namespace

class TFMainUndoTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<TFCalendar> calendar_;
    std::unique_ptr<TFEdit> edit_;
    std::unique_ptr<TFMultiEdit> multiEdit_;
    std::unique_ptr<TFPlatnik> platnik_;
    std::unique_ptr<TFImportSep> importSep_;

    QTableView* table() { return main_->findChild<QTableView*>("ListView"); }
    void trigger(const char* name) { main_->findChild<QAction*>(name)->trigger(); }
    bool starred() { return main_->windowTitle().endsWith(QStringLiteral(" *")); }
    void select(std::initializer_list<int> rows) {
        table()->clearSelection();
        for (int row : rows)
            table()->selectionModel()->select(table()->model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Runs `user` on the modal dialog `window` once it is shown.
    void whileShown(QWidget* window, std::function<void()> user) {
        QTimer::singleShot(0, window, [window, user] {
            QTRY_VERIFY(window->isVisible());
            user();
        });
    }
    void setText(QWidget* window, const char* name, const QString& text) {
        auto* box = window->findChild<QLineEdit*>(QString::fromLatin1(name));
        QVERIFY2(box, name);
        box->setText(text);
    }
    void click(QWidget* window, const char* name) {
        auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button, name);
        button->click();
    }
    // Undo gives the state before, redo the state after, each marked as saved or not.
    void checkUndoRedo(const std::vector<TaxpayerRecord>& before, const std::vector<TaxpayerRecord>& after,
                       bool savedBefore) {
        QVERIFY(contents(main_->taxpayers()) == after);
        QVERIFY(starred());
        trigger("MMnuUndo");
        QVERIFY(contents(main_->taxpayers()) == before);
        QCOMPARE(starred(), !savedBefore);
        QCOMPARE(table()->model()->rowCount(), static_cast<int>(before.size()));
        trigger("MMnuRedo");
        QVERIFY(contents(main_->taxpayers()) == after);
        QVERIFY(starred());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("FISKON_SETTINGS", dir_.filePath("fiskon.ini").toLocal8Bit());
    }

    void init() {
        ui_ = std::make_unique<ScriptedUserInterface>();
        main_ = std::make_unique<TFMain>(*ui_);
        calendar_ = std::make_unique<TFCalendar>(main_.get());
        edit_ = std::make_unique<TFEdit>(main_->workspace(), *main_, *ui_, *calendar_, QStringList{}, main_.get());
        multiEdit_ = std::make_unique<TFMultiEdit>(main_->workspace(), *main_, *calendar_, *edit_, main_.get());
        platnik_ = std::make_unique<TFPlatnik>(main_->workspace(), *ui_, main_.get());
        importSep_ = std::make_unique<TFImportSep>(main_->workspace(), *main_, *ui_, main_.get());
        main_->windows().edit = edit_.get();
        main_->windows().multiEdit = multiEdit_.get();
        main_->windows().platnik = platnik_.get();
        main_->windows().importSep = importSep_.get();
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));

        // A saved register to start from: opening it leaves nothing to undo.
        TaxpayerRegister saved;
        for (int i = 0; i < 6; ++i) saved.Add(taxpayer(i));
        const QString file = dir_.filePath("podatnicy.txt");
        SaveToFile(saved, file);
        QVERIFY(main_->OpenFile(file));
        QVERIFY(!main_->history().canUndo());
        QVERIFY(!starred());
    }

    void cleanup() {
        if (QTest::currentTestFailed()) qWarning().noquote() << ui_->transcript();
        main_->windows() = AppWindows{};
        importSep_.reset();
        platnik_.reset();
        multiEdit_.reset();
        edit_.reset();
        calendar_.reset();
        main_.reset();
        QVERIFY2(ui_->allAnswersUsed(), "an answer queued by the test was never asked for");
        ui_.reset();
    }

    // The edit form confirmed: a new surname moves the taxpayer in the order; undo puts the record
    // back with its old surname in its old place, and the data are saved again.
    void editFormConfirmed() {
        const auto before = contents(main_->taxpayers());
        select({1});
        whileShown(edit_.get(), [this] {
            setText(edit_.get(), "eNazwisko", QStringLiteral("ZZZ"));
            click(edit_.get(), "btnOK");
        });
        trigger("MMnuEditData");
        QCOMPARE(main_->taxpayers().at(5).nazwisko.view(), "ZZZ");
        QVERIFY(main_->findChild<QAction*>("MMnuUndo")->text().startsWith(QStringLiteral("&Cofnij: Edycja danych podatnika")));
        checkUndoRedo(before, contents(main_->taxpayers()), true);
    }

    // Two rows deleted (the question answered Yes), then everything deleted: two steps.
    void deletions() {
        const auto before = contents(main_->taxpayers());
        select({0, 3});
        ui_->answers.push_back(true);
        trigger("MMnuDelData");
        const auto fewer = contents(main_->taxpayers());
        QCOMPARE(fewer.size(), 4u);
        ui_->answers.push_back(true);
        trigger("MMnuDelAllData");
        QVERIFY(main_->taxpayers().empty());
        checkUndoRedo(fewer, {}, false);
        trigger("MMnuUndo");
        checkUndoRedo(before, fewer, true);
    }

    void multiEditConfirmed() {
        const auto before = contents(main_->taxpayers());
        select({2, 4});
        whileShown(multiEdit_.get(), [this] {
            setText(multiEdit_.get(), "ePoczta", QStringLiteral("WSPÓLNA"));
            click(multiEdit_.get(), "btnOK");
        });
        trigger("MMnuEditData");
        QCOMPARE(main_->taxpayers().at(2).poczta.view(), cp1250::fromUnicode(QStringLiteral("WSPÓLNA")));
        checkUndoRedo(before, contents(main_->taxpayers()), true);
    }

    // A delimited file's taxpayers appended; undo takes exactly them away.
    void delimitedImport() {
        const auto before = contents(main_->taxpayers());
        const QString file = dir_.filePath("lista.txt");
        QFile list(file);
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("NOWY;JAN;\r\nNOWA;EWA;\r\n");
        list.close();
        whileShown(importSep_.get(), [this, file] {
            setText(importSep_.get(), "eFilename", file);
            importSep_->findChild<QRadioButton*>("rb3")->setChecked(true);
            click(importSep_.get(), "btnImport");
        });
        trigger("MMnuImportSep");
        QCOMPARE(main_->taxpayers().count(), 8);
        checkUndoRedo(before, contents(main_->taxpayers()), true);
    }

    // The payer form confirmed is a step of its own; the taxpayers' flag stays as it was.
    void payerFormConfirmed() {
        whileShown(platnik_.get(), [this] {
            setText(platnik_.get(), "eNazwa", QStringLiteral("FIRMA NOWA"));
            click(platnik_.get(), "btnOK");
        });
        trigger("MMnuPlatnik");
        QCOMPARE(main_->payer().nazwa.view(), "FIRMA NOWA");
        QVERIFY(!main_->workspace().payerSaved);
        QVERIFY(main_->workspace().taxpayersSaved);
        trigger("MMnuUndo");
        QCOMPARE(main_->payer().nazwa.view(), "");
        QVERIFY(main_->workspace().payerSaved);
        QVERIFY(!starred());
        trigger("MMnuRedo");
        QCOMPARE(main_->payer().nazwa.view(), "FIRMA NOWA");
        QVERIFY(starred());
    }

    // The check's capitals for every taxpayer listed: one step, undone from the main window.
    void capitalsFixedForAllAreOneStep() {
        TaxpayerRegister imported;
        for (int i = 0; i < 4; ++i) {
            TaxpayerRecord record = taxpayer(i);
            record.nazwisko = cp1250::fromUnicode(QStringLiteral("Wróblewska%1").arg(QChar(u'a' + i)));
            record.ulica = cp1250::fromUnicode(QStringLiteral("Źródlana %1").arg(i));
            imported.Add(record);
        }
        const QString file = dir_.filePath("zaimportowani.txt");
        SaveToFile(imported, file);
        QVERIFY(main_->OpenFile(file));
        const auto before = contents(main_->taxpayers());

        TFCheck check(main_->workspace(), *main_, *ui_, *edit_, *platnik_, nullptr, main_.get());
        check.show();
        QVERIFY(QTest::qWaitForWindowExposed(&check));
        auto* kinds = check.findChild<QListWidget*>(QStringLiteral("lvKinds"));
        for (int row = 0; row < kinds->count(); ++row)
            if (kinds->item(row)->text().startsWith(QStringLiteral("formularz wypełnia się dużymi literami")))
                kinds->setCurrentRow(row);
        QVERIFY(kinds->currentRow() > 0);
        ui_->answers.push_back(true);
        check.findChild<QPushButton*>(QStringLiteral("btnFixAll"))->click();
        QCOMPARE(ui_->last().text, QStringLiteral("Zamienić na wielkie litery imiona, nazwiska i adresy 4 podatników?"));
        check.close();
        QCOMPARE(main_->taxpayers().at(0).nazwisko.view(), cp1250::fromUnicode(QStringLiteral("WRÓBLEWSKAA")));
        checkUndoRedo(before, contents(main_->taxpayers()), true);
    }

    // Opening a file ends the history: nothing of the register before can be undone.
    void openingAFileEndsTheHistory() {
        select({0});
        ui_->answers.push_back(true);
        trigger("MMnuDelData");
        QVERIFY(main_->history().canUndo());
        QVERIFY(main_->OpenFile(dir_.filePath("podatnicy.txt")));
        QVERIFY(!main_->history().canUndo());
        QVERIFY(!main_->findChild<QAction*>("MMnuUndo")->isEnabled());
        QCOMPARE(main_->taxpayers().count(), 6);
    }
};

QTEST_MAIN(TFMainUndoTest)
#include "TFMainUndo_test.moc"
