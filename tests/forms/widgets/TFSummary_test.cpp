// The payer's totals in their window: the sums of the selected taxpayers (all when none is) shown
// with the count and the forms with findings, recomputed for PIT-40 at the click of the form;
// printed through the print dialog, saved as PDF and as a semicolon list in code page 1250; an
// amount that cannot be read gives a message naming the taxpayer and no totals to print.

#include "forms/widgets/TFSummary.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"
#include "ui/MainView.h"

#include "forms/widgets/TotalsReport.h"

#include <QFile>
#include <QProcess>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class SelectionView : public MainView {
public:
    void RefreshView(ViewMode) override {}
    ViewMode viewMode() const override { return ViewMode::vmTabela; }
    std::vector<int> selectedRows() const override { return rows; }
    std::vector<int> rows;
};

TaxpayerRecord Person(const char* surname, const char* firstName, const char* revenue, const char* cost) {
    TaxpayerRecord r;
    r.nazwisko = surname;
    r.imie1 = firstName;
    r.nip = "526-025-09-95";
    r.p11Box(34) = revenue;
    r.p11Box(35) = cost;
    r.p40Box(35) = revenue;
    return r;
}

QByteArray Contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TFSummaryTest : public QObject {
    Q_OBJECT

    struct Rig {
        Rig() {
            ui.onUnexpected = [](const QString& call) { QFAIL(qPrintable(call)); };
            workspace.taxpayers.Add(Person("ADAMSKA", "EWA", "120000,00", "3000,00"));
            workspace.taxpayers.Add(Person("BORUCKI", "JAN", "100000,00", "1335,00"));
            workspace.taxpayers.Add(Person("CIESLAK", "OLA", "68000,00", "80000,00"));
            workspace.payer.nazwa = cp1250::fromUnicode(u"PRZEDSIĘBIORSTWO ŁĄKA SP. Z O.O.");
            workspace.payer.NIP = "677-120-03-49";
        }
        QString cell(int row, int column) const {
            const QTableWidgetItem* item = dialog.findChild<QTableWidget*>(QStringLiteral("lvTotals"))->item(row, column);
            return item ? item->text() : QString();
        }
        template <typename T>
        T* control(const char* name) const {
            return dialog.findChild<T*>(QString::fromLatin1(name));
        }

        ScriptedUserInterface ui;
        Workspace workspace;
        SelectionView view;
        TFSummary dialog{workspace, view, ui, nullptr};
        QTemporaryDir dir;
    };

private slots:
    void showsPrintsAndSavesTheTotals() {
        Rig rig;
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
        QVERIFY(rig.dialog.totals().has_value());
        QCOMPARE(rig.control<QLabel>("lblCount")->text(), QStringLiteral("PIT-11/8B, wydanie 2006. Liczba podatników: 3"));
        QCOMPARE(rig.cell(0, 0), QStringLiteral("34"));
        QCOMPARE(rig.cell(0, 2), QStringLiteral("288\u00A0000,00"));
        QCOMPARE(rig.cell(2, 0), QStringLiteral("36"));
        QCOMPARE(rig.cell(2, 2), QStringLiteral("215\u00A0665,00"));  // 117000 + 98665 + 0

        // Printed through the print dialog ("printing" into a PDF file here).
        const QString printed = rig.dir.filePath(QStringLiteral("wydruk.pdf"));
        rig.ui.printFiles.push_back(printed);
        rig.control<QPushButton>("btnPrint")->click();
        QCOMPARE(rig.ui.count(UiCall::Print, QStringLiteral("Drukowanie zestawienia kwot")), 1);
        QVERIFY(Contents(printed).startsWith("%PDF"));

        const QString pdf = rig.dir.filePath(QStringLiteral("zestawienie.pdf"));
        rig.ui.fileNames.push_back(pdf);
        rig.control<QPushButton>("btnPdf")->click();
        QVERIFY(Contents(pdf).startsWith("%PDF"));

        const QString list = rig.dir.filePath(QStringLiteral("zestawienie.csv"));
        rig.ui.fileNames.push_back(list);
        rig.control<QPushButton>("btnSave")->click();
        const QString text = cp1250::toUnicode(Contents(list).toStdString());
        QVERIFY2(text.startsWith(QStringLiteral("Płatnik;PRZEDSIĘBIORSTWO ŁĄKA SP. Z O.O.\r\nNIP płatnika;677-120-03-49\r\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\r\n34;Przychód – wynagrodzenie ze stosunku pracy…;288000,00\r\n")));
        QVERIFY(rig.ui.allAnswersUsed());

        // Two taxpayers chosen, then PIT-40.
        rig.view.rows = {0, 2};
        rig.dialog.FormShow();
        rig.control<QRadioButton>("rbPIT40")->setChecked(true);
        QCOMPARE(rig.control<QLabel>("lblCount")->text(), QStringLiteral("PIT-40, wydanie 2006. Liczba podatników: 2"));
        QCOMPARE(rig.cell(0, 0), QStringLiteral("35"));
        QCOMPARE(rig.cell(0, 2), QStringLiteral("188\u00A0000,00"));
    }

    // Sums of a trillion złoty and more, and a payer's name of 255 characters, are printed whole;
    // the form is named by its edition's year.
    void hugeSumsAndALongPayerNameArePrintedWhole() {
        TotalsReport report;
        QString name;
        while (name.size() < 255) name += QStringLiteral("PRZEDSIĘBIORSTWO ");
        name = name.left(254) + u'Z';
        report.payerName = name;
        report.payerNip = QStringLiteral("677-120-03-49");
        report.date = QDate(2026, 12, 11);
        report.totals.formName = QStringLiteral("PIT-40");
        report.totals.symbol = "PIT40_14";
        report.totals.taxpayers = 2;
        report.totals.boxes.push_back({35, QStringLiteral("Przychód – wynagrodzenie ze stosunku pracy"), 123456789012345678});
        report.totals.boxes.push_back({36, QStringLiteral("Koszty uzyskania przychodu"), 99999999999999});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("zestawienie.pdf"));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TotalsReportPdf(report));
        file.close();
        QProcess process;
        // In drawing order: the name is drawn whole before the NIP beside it.
        process.start(QStringLiteral("pdftotext"),
                      {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput()).simplified();  // NBSP too
        QVERIFY2(text.contains(QStringLiteral("1 234 567 890 123 456,78")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("999 999 999 999,99")), qPrintable(text));
        QVERIFY2(text.contains(name.simplified()), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("PIT-40 (wydanie 2006)")), qPrintable(text));
    }

    void anUnreadableAmountNamesTheTaxpayerAndLeavesNothingToPrint() {
        Rig rig;
        rig.workspace.taxpayers.at(1).p11Box(37) = "sto";
        rig.dialog.FormShow();
        QCOMPARE(rig.ui.count(UiCall::Message), 1);
        QVERIFY2(rig.ui.last().text.contains(QStringLiteral("Podatnik nr 2 (BORUCKI JAN), poz. 37: „sto” nie jest kwotą.")),
                 qPrintable(rig.ui.last().text));
        QVERIFY(!rig.dialog.totals());
        QCOMPARE(rig.control<QTableWidget>("lvTotals")->rowCount(), 0);
        QVERIFY(!rig.control<QPushButton>("btnPrint")->isEnabled());
        QVERIFY(!rig.control<QPushButton>("btnSave")->isEnabled());
    }
};

QTEST_MAIN(TFSummaryTest)
#include "TFSummary_test.moc"
