// The table colours dialog working on the real main window.

#include "app/TFMain.h"
#include "settings/widgets/ColorSwatch.h"
#include "settings/widgets/TFWTabela.h"
#include "store/TaxpayerRegister.h"
#include "support/ScriptedUserInterface.h"

#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TFWTabelaTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<TFWTabela> dialog_;

    ColorSwatch* swatch(const char* name) { return dialog_->findChild<ColorSwatch*>(name); }
    QPushButton* button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
    QTableView* table() { return main_->findChild<QTableView*>("ListView"); }
    QColor tableBackground() { return table()->palette().color(QPalette::Base); }
    QColor tableText() { return table()->palette().color(QPalette::Text); }
    void pick(const char* name, const std::optional<QColor>& answer) {
        ui_->colors.push_back(answer);
        QTest::mousePress(swatch(name), Qt::LeftButton);
    }

private slots:
    void initTestCase() { qputenv("FISKON_SETTINGS", dir_.filePath("fiskon.ini").toLocal8Bit()); }
    void init() {
        ui_ = std::make_unique<ScriptedUserInterface>();
        main_ = std::make_unique<TFMain>(*ui_);
        dialog_ = std::make_unique<TFWTabela>(*main_, *main_, *ui_, main_.get());
        main_->windows().wtabela = dialog_.get();
        TaxpayerRecord record;
        record.nazwisko = "NOWAK";
        record.imie1 = "EWA";
        main_->taxpayers().Add(record);
    }
    void cleanup() {
        QVERIFY(ui_->allAnswersUsed());
        dialog_.reset();
        main_.reset();
        ui_.reset();
    }

    void startsWhiteOnBlackWithItsControls() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Właściwości Tabeli"));
        QCOMPARE(swatch("Shape1")->color(), QColor(Qt::white));
        QCOMPARE(swatch("Shape2")->color(), QColor(Qt::black));
        QCOMPARE(button("btnApply")->text(), QStringLiteral("Zastosuj"));
        QCOMPARE(button("btnKoniec")->text(), QStringLiteral("Zachowaj i zamknij"));
        QVERIFY(button("btnKoniec")->isDefault());
        QCOMPARE(button("btnDefault")->text(), QStringLiteral("Przywróć standardowe"));
        QCOMPARE(main_->tableColor(), QColor(Qt::white));
        QCOMPARE(main_->tableTextColor(), QColor(Qt::black));
    }

    void swatchOffersItsColourAndTakesTheChoice() {
        pick("Shape1", QColor(Qt::yellow));
        QCOMPARE(ui_->last().kind, UiCall::ChooseColor);
        QCOMPARE(ui_->last().color, QColor(Qt::white));
        QCOMPARE(swatch("Shape1")->color(), QColor(Qt::yellow));
        pick("Shape1", std::nullopt);  // cancelled
        QCOMPARE(ui_->last().color, QColor(Qt::yellow));
        QCOMPARE(swatch("Shape1")->color(), QColor(Qt::yellow));
    }

    void applyPaintsTheTableAndKeepsTheWindowOpen() {
        dialog_->show();
        pick("Shape1", QColor(Qt::darkBlue));
        pick("Shape2", QColor(Qt::yellow));
        button("btnApply")->click();
        QVERIFY(dialog_->isVisible());
        QCOMPARE(tableBackground(), QColor(Qt::darkBlue));
        QCOMPARE(tableText(), QColor(Qt::yellow));
        QCOMPARE(main_->tableColor(), QColor(Qt::darkBlue));
        QCOMPARE(main_->tableTextColor(), QColor(Qt::yellow));
        dialog_->hide();
    }

    void closingWithoutApplyChangesNothingButSwatchesRemember() {
        QTimer::singleShot(0, dialog_.get(), [this] {
            pick("Shape1", QColor(Qt::red));
            dialog_->reject();  // the title-bar button
        });
        main_->TableProperties();  // the context menu's command, shown modally
        QCOMPARE(tableBackground(), QColor(Qt::white));
        QCOMPARE(main_->tableColor(), QColor(Qt::white));
        QCOMPARE(swatch("Shape1")->color(), QColor(Qt::red));
    }

    void saveAndCloseAppliesAndShowsTheTable() {
        QVERIFY(table()->isHidden());
        dialog_->show();
        pick("Shape2", QColor(Qt::darkGreen));
        button("btnKoniec")->click();
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(tableText(), QColor(Qt::darkGreen));
        QCOMPARE(main_->viewMode(), ViewMode::vmTabela);
        QVERIFY(!table()->isHidden());
        QCOMPARE(table()->model()->rowCount(), 1);
    }

    void defaultResetsSwatchesAndRecordedColoursButNotTheTable() {
        dialog_->show();
        pick("Shape1", QColor(Qt::black));
        pick("Shape2", QColor(Qt::white));
        button("btnApply")->click();
        button("btnDefault")->click();
        QCOMPARE(swatch("Shape1")->color(), QColor(Qt::white));
        QCOMPARE(swatch("Shape2")->color(), QColor(Qt::black));
        QCOMPARE(main_->tableColor(), QColor(Qt::white));
        QCOMPARE(main_->tableTextColor(), QColor(Qt::black));
        QCOMPARE(tableBackground(), QColor(Qt::black));  // until applied
        main_->RefreshView(ViewMode::vmTabela);           // a rebuild is not an apply
        QCOMPARE(tableBackground(), QColor(Qt::black));
        button("btnApply")->click();
        QCOMPARE(tableBackground(), QColor(Qt::white));
        QCOMPARE(tableText(), QColor(Qt::black));
        dialog_->hide();
    }

    void freshWindowHasStandardColours() {
        // Nothing of an earlier run's choice survives: the colours are not stored.
        QCOMPARE(tableBackground(), QColor(Qt::white));
        QCOMPARE(tableText(), QColor(Qt::black));
    }
};

QTEST_MAIN(TFWTabelaTest)
#include "TFWTabela_test.moc"
