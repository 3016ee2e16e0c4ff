// The check before printing in the main window's dialog: a double click on a finding opens the
// taxpayer's (or the payer's) form on the page and control of its box; the list sorts and saves;
// the kinds of findings with their counts and the taxpayer filter choose what it shows, and a kind
// is mended for all its taxpayers in one step.

#include "edit/widgets/EditRig.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/widgets/FindingsTableModel.h"
#include "forms/widgets/TFCheck.h"
#include "support/Mnemonics.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

class TFCheckTest : public QObject {
    Q_OBJECT

    struct Rig : EditRig {
        Rig() {
            TaxpayerRecord first = Person(QStringLiteral("ŻAK"), QStringLiteral("EWA"), "80051712345");
            first.nip = "676-234-51-89";
            first.dataUr = "1980-05-18";  // not the PESEL's 17 May
            first.us = "US GLIWICE";
            first.kodPoczt = "44-145";
            workspace.taxpayers.Add(first);
            TaxpayerRecord second = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"));
            second.nip = "526-025-09-95";
            second.us = "US KRAKOW";
            second.p11Box(36) = "5,00";  // income without revenue
            second.p40Box(72) = "100,00";
            second.p40Box(73) = "150,00";  // deducted above the paid
            workspace.taxpayers.Add(second);
            workspace.payer.NIP = "677-120-03-48";  // wrong check digit
            workspace.payer.nazwa = "FIRMA";
            check = std::make_unique<TFCheck>(workspace, view, ui, *edit, platnik, nullptr);
        }
        // The row of the first finding whose text begins so.
        QModelIndex row(const QString& text) const {
            const auto& rows = check->findings().rows();
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].finding.text().startsWith(text)) return check->findings().index(static_cast<int>(i), 4);
            qFatal("no finding %s", qPrintable(text));
        }
        // Double-clicks the finding at `index` in the list and reports which control of `form` had
        // the focus, on which tab page, each time the form opened.
        QStringList jump(const QModelIndex& index, QDialog& form) {
            QStringList opened;
            QTimer closer;
            closer.setInterval(5);
            QObject::connect(&closer, &QTimer::timeout, &form, [&] {
                if (!form.isVisible()) return;
                QWidget* widget = form.focusWidget();
                QString focused = widget ? widget->objectName() : QStringLiteral("(none)");
                if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1")))
                    focused += QStringLiteral("@%1").arg(pages->currentIndex());
                opened << focused;
                form.reject();
            });
            closer.start();
            auto* table = check->findChild<QTableView*>(QStringLiteral("lvFindings"));
            table->scrollTo(index);
            const QPoint point = table->visualRect(index).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, point);  // the press a double click follows
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, point);
            return opened;
        }

        TFPlatnik platnik{workspace, ui};
        std::unique_ptr<TFCheck> check;
    };

private slots:
    void doubleClickOpensTheFormOnTheBox() {
        Rig rig;
        rig.check->show();  // nothing selected: the whole register
        QVERIFY(QTest::qWaitForWindowExposed(rig.check.get()));
        QCOMPARE(rig.check->findings().rowCount(), 3);  // PIT-11/8B: the payer's NIP, the birth date, box 36
        QCOMPARE(rig.jump(rig.row(QStringLiteral("Poz. 22: data urodzenia niezgodna")), *rig.edit),
                 QStringList{QStringLiteral("eDataUr@0")});
        QCOMPARE(rig.workspace.taxpayers.currentIndex(), 0);
        QCOMPARE(rig.jump(rig.row(QStringLiteral("Poz. 1: nieprawidłowy NIP")), rig.platnik), QStringList{QStringLiteral("eNIP")});

        rig.check->findChild<QRadioButton*>(QStringLiteral("rbPIT40"))->setChecked(true);
        rig.check->findChild<QPushButton*>(QStringLiteral("btnCheck"))->click();
        QCOMPARE(rig.jump(rig.row(QStringLiteral("Poz. 73:")), *rig.edit), QStringList{QStringLiteral("f73@2")});
        QCOMPARE(rig.workspace.taxpayers.currentIndex(), 1);
        // The tax year is the dialog's own choice: the focus goes to its field.
        QApplication::setActiveWindow(rig.check.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.check.get()));
        auto* year = rig.check->findChild<QLineEdit*>(QStringLiteral("eRok"));
        year->setText(QStringLiteral("    "));  // as copied from the show-form dialog: the cursor after the blanks
        QCOMPARE(year->cursorPosition(), 4);
        rig.check->lvFindingsDblClick(rig.row(QStringLiteral("Poz. 4: nie wypełniono")));
        QCOMPARE(rig.check->focusWidget()->objectName(), QStringLiteral("eRok"));
        // The cursor stands at the field's start: typed digits land, no Home needed.
        QCOMPARE(year->cursorPosition(), 0);
        QTest::keyClicks(year, QStringLiteral("2006"));
        QCOMPARE(year->displayText(), QStringLiteral("2006"));
    }

    void selectionSortAndSavedList() {
        Rig rig;
        rig.view.selection = {1};
        rig.check->FormShow();
        auto* table = rig.check->findChild<QTableView*>(QStringLiteral("lvFindings"));
        table->sortByColumn(0, Qt::DescendingOrder);
        QCOMPARE(rig.check->findings().rows().front().finding.position, 2);
        QCOMPARE(rig.check->findings().rows().back().finding.position, 0);  // the payer's

        const QString file = rig.dir.filePath(QStringLiteral("uwagi.csv"));
        rig.ui.fileNames.push_back(file);
        rig.check->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        QCOMPARE(rig.ui.last().defaultSuffix, QStringLiteral("csv"));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QStringList lines = cp1250::toUnicode(saved.readAll().toStdString()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.front(), QStringLiteral("Lp.;Nazwisko;Imię;Poz.;Opis"));
        QCOMPARE(lines.size(), rig.check->findings().rowCount() + 2);  // and the empty text after the last CR LF
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("2;NOWAK;ANNA;")), qPrintable(lines.at(1)));
        QVERIFY2(lines.last().isEmpty() && lines.at(lines.size() - 2).startsWith(QStringLiteral("0;FIRMA;;1;")),
                 qPrintable(lines.join(u'|')));
    }

    void kindsFilterAndFixForAll() {
        Rig rig;
        const char* const imported[][4] = {{"Kowalska", "Maria", "Lipowa", "852-104-55-06"},
                                           {"Lis", "Jan", "LIPOWA", "774-000-14-54"},
                                           {"Wróbel", "Zofia", "Źródlana", "948-221-71-38"}};
        for (const auto& [surname, name, street, nip] : imported) {
            TaxpayerRecord record = Person(QString::fromUtf8(surname), QString::fromUtf8(name));
            record.ulica = Cp(QString::fromUtf8(street));
            record.nip = nip;
            record.us = "US ZABRZE";
            record.email = "Jan.Lis@Example.pl";
            rig.workspace.taxpayers.Add(record);
        }
        rig.check->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.check.get()));
        QVERIFY2(DoubledMnemonics(*rig.check).isEmpty(), qPrintable(DoubledMnemonics(*rig.check).join(u'\n')));
        auto* kinds = rig.check->findChild<QListWidget*>(QStringLiteral("lvKinds"));
        auto* fixAll = rig.check->findChild<QPushButton*>(QStringLiteral("btnFixAll"));
        const auto kindRow = [kinds](const QString& text) {
            for (int row = 0; row < kinds->count(); ++row)
                if (kinds->item(row)->text().startsWith(text)) return row;
            return -1;
        };
        const int all = rig.check->findings().rowCount();
        QCOMPARE(kinds->currentRow(), 0);
        QCOMPARE(kinds->item(0)->text(), QStringLiteral("Wszystkie — %1").arg(all));
        // Kowalska: surname, first name, street; Lis: both names; Wróbel: all three.
        QCOMPARE(kinds->item(1)->text(), QStringLiteral("formularz wypełnia się dużymi literami — 8"));
        QVERIFY(!fixAll->isEnabled());

        kinds->setCurrentRow(1);
        QCOMPARE(rig.check->findings().rowCount(), 8);
        auto* taxpayer = rig.check->findChild<QLineEdit*>(QStringLiteral("eTaxpayer"));
        taxpayer->setText(QStringLiteral("WRÓB"));  // letter case aside
        QCOMPARE(rig.check->findings().rowCount(), 3);
        taxpayer->setText(QStringLiteral("lis jan"));
        QCOMPARE(rig.check->findings().rowCount(), 2);
        QCOMPARE(rig.check->findings().row(0).finding.position, 4);

        // The selected findings' taxpayer only, asked with the count, answered No: nothing changes.
        auto* fixSelected = rig.check->findChild<QPushButton*>(QStringLiteral("btnFixSelected"));
        fixSelected->click();  // nothing selected yet: said so, nothing asked
        QCOMPARE(rig.ui.last().kind, UiCall::Message);
        auto* table = rig.check->findChild<QTableView*>(QStringLiteral("lvFindings"));
        table->selectAll();
        rig.ui.answers.push_back(false);
        fixSelected->click();
        QCOMPARE(rig.ui.last().text, QStringLiteral("Zamienić na wielkie litery imiona, nazwiska i adresy 1 podatnika?"));
        QCOMPARE(rig.workspace.taxpayers.at(3).nazwisko.str(), std::string("Lis"));

        // For all: the three taxpayers in capitals, the rest of their records as it was, the
        // main window shown again and the list checked again, the capitals gone from it.
        // A taxpayer added since the check: the list is made again before anything is changed.
        taxpayer->clear();
        TaxpayerRecord added = Person(QStringLiteral("Nowy"), QStringLiteral("Adam"));
        added.nip = "526-104-27-96";
        added.us = "US ZABRZE";
        rig.workspace.taxpayers.Add(added);
        fixAll->click();
        QCOMPARE(rig.ui.last().kind, UiCall::Message);
        QCOMPARE(kinds->currentItem()->text(), QStringLiteral("formularz wypełnia się dużymi literami — 10"));

        rig.ui.answers.push_back(true);
        fixAll->click();
        QCOMPARE(rig.ui.last().text, QStringLiteral("Zamienić na wielkie litery imiona, nazwiska i adresy 4 podatników?"));
        QCOMPARE(rig.workspace.taxpayers.at(5).imie1.str(), std::string("ADAM"));
        QCOMPARE(rig.workspace.taxpayers.at(2).nazwisko.str(), std::string("KOWALSKA"));
        QCOMPARE(rig.workspace.taxpayers.at(4).ulica.str(), Cp(QStringLiteral("ŹRÓDLANA")));
        QCOMPARE(rig.workspace.taxpayers.at(3).email.str(), std::string("Jan.Lis@Example.pl"));
        QVERIFY(!rig.workspace.taxpayersSaved);
        QVERIFY(!rig.view.refreshes.empty());
        QCOMPARE(kindRow(QStringLiteral("formularz wypełnia się dużymi literami")), -1);
        QCOMPARE(kinds->currentRow(), 0);
        QCOMPARE(rig.check->findings().rowCount(), all - 8);
        QCOMPARE(kinds->item(0)->text(), QStringLiteral("Wszystkie — %1").arg(all - 8));
        QVERIFY(rig.ui.allAnswersUsed());
    }
};

QTEST_MAIN(TFCheckTest)
#include "TFCheck_test.moc"
