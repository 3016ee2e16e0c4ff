// The delimited export dialog: a value holding the chosen separator stops it before a file is
// written, with the taxpayer and field named and another separator suggested; with that separator
// the file reads back through the delimited import as the same register.

#include "import/DelimitedImport.h"
#include "import/widgets/TFExportSep.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest/QtTest>

class TFExportSepTest : public QObject {
    Q_OBJECT

private slots:
    void refusesTheSeparatorInAValueThenExportsWithAnother() {
        ScriptedUserInterface ui;
        ui.onUnexpected = [](const QString& call) { QFAIL(qPrintable(call)); };
        QTemporaryDir dir;
        Workspace workspace;
        TaxpayerRecord a;
        a.nazwisko = cp1250::fromUnicode(u"ŁUKASIK");
        a.imie1 = "ANNA";
        a.ulica = "RYNEK; 5";
        a.pit11_33 = 3;
        a.p11Box(34) = "=1+1";
        a.pit11_od = "01-01-2006";
        TaxpayerRecord b;
        b.nazwisko = "NOWAK";
        b.imie1 = "JAN";
        b.p40Box(76) = "12,50";
        workspace.taxpayers.Add(b);
        workspace.taxpayers.Add(a);
        TFExportSep dialog(workspace, ui);
        auto control = [&](const char* name) { return dialog.findChild<QWidget*>(QString::fromLatin1(name)); };

        const QString file = dir.filePath(QStringLiteral("eksport.txt"));
        ui.fileNames.push_back(file);
        static_cast<QToolButton*>(control("btnSelect"))->click();
        QCOMPARE(static_cast<QLineEdit*>(control("eFilename"))->text(), file);

        static_cast<QPushButton*>(control("btnExport"))->click();
        QCOMPARE(ui.last().text, QStringLiteral("Wybierz rodzaj separatora danych"));

        static_cast<QRadioButton*>(control("rb3"))->setChecked(true);
        static_cast<QPushButton*>(control("btnExport"))->click();
        QVERIFY2(ui.last().text.contains(QStringLiteral("nr 2 (ŁUKASIK ANNA), Ulica: „RYNEK; 5”")), qPrintable(ui.last().text));
        QVERIFY(ui.last().text.contains(QStringLiteral("np. tabulator")));
        QVERIFY(!QFile::exists(file));
        QVERIFY(dialog.result() != QDialog::Accepted);

        static_cast<QRadioButton*>(control("rb1"))->setChecked(true);
        static_cast<QPushButton*>(control("btnExport"))->click();
        QCOMPARE(ui.last().title, QStringLiteral("Informacja"));
        QCOMPARE(ui.last().text, QStringLiteral("Zapisano dane 2 podatników w pliku %1.").arg(QDir::toNativeSeparators(file)));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // A file typed over an existing one is replaced only when the user says so.
        QFile::copy(file, dir.filePath(QStringLiteral("inny.txt")));
        static_cast<QLineEdit*>(control("eFilename"))->setText(dir.filePath(QStringLiteral("inny.txt")));
        ui.answers.push_back(false);
        static_cast<QPushButton*>(control("btnExport"))->click();
        QCOMPARE(ui.last().kind, UiCall::Ask);
        QVERIFY(ui.allAnswersUsed());

        TaxpayerRegister back;
        QVERIFY(ImportDelimited(back, file, '\t'));
        QCOMPARE(back.count(), 2);
        QCOMPARE(back.at(0).nazwisko.str(), workspace.taxpayers.at(0).nazwisko.str());
        QCOMPARE(back.at(0).p40Box(76).str(), std::string("12,50"));
        QCOMPARE(back.at(1).ulica.str(), std::string("RYNEK; 5"));
        QCOMPARE(back.at(1).p11Box(34).str(), std::string("=1+1"));
        QCOMPARE(int(back.at(1).pit11_33), 3);
        QVERIFY(back.at(1).pit11_od.empty());
    }
};

QTEST_MAIN(TFExportSepTest)
#include "TFExportSep_test.moc"
