#include "EditRig.h"

#include "edit/widgets/MaskedText.h"
#include "edit/widgets/TFMultiEdit.h"

#include <QComboBox>
#include <QPushButton>

class TFMultiEditTest : public QObject {
    Q_OBJECT

private slots:
    void onlySelectedRowsAndFilledFieldsChange();
    void emptyFieldsAndCancelChangeNothing();
    void fieldsKeepTheirValuesBetweenOpenings();
    void officeListIsACopySortedAndHandedBack();
    void officesSortInPolishOrder();
};

namespace {

struct MultiRig : EditRig {
    explicit MultiRig(const QByteArray& offices = "US Zabrze\nUS Gliwice\n") : EditRig(offices) {
        for (const char* surname : {"A", "B", "C", "D", "E"}) {
            TaxpayerRecord r = Person(QString::fromLatin1(surname), QStringLiteral("X"));
            r.poczta = "OLD";
            r.kodPoczt = "11-111";
            r.pit11_od = "01-01-2005";
            workspace.taxpayers.Add(r);
        }
        multi = std::make_unique<TFMultiEdit>(workspace, view, calendar, *edit);
    }
    QLineEdit* field(const char* name) const {
        return multi->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    std::unique_ptr<TFMultiEdit> multi;
};

}  // namespace

void TFMultiEditTest::onlySelectedRowsAndFilledFieldsChange() {
    MultiRig rig;
    rig.view.selection = {0, 2, 4};
    TypeKeys(rig.field("ePoczta"), QStringLiteral("łódź"));
    QCOMPARE(rig.field("ePoczta")->text(), QStringLiteral("ŁÓDŹ"));
    rig.multi->findChild<QComboBox*>(QStringLiteral("eWoj"))->setCurrentIndex(4);
    rig.multi->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();

    QCOMPARE(rig.multi->result(), int(QDialog::Accepted));
    for (int i = 0; i < rig.workspace.taxpayers.count(); ++i) {
        const TaxpayerRecord& r = rig.workspace.taxpayers.at(i);
        const bool selected = i % 2 == 0;
        QCOMPARE(r.poczta, selected ? Cp(QStringLiteral("ŁÓDŹ")) : std::string("OLD"));
        QCOMPARE(r.wojewodztwo, selected ? Cp(QStringLiteral("ŁÓDZKIE")) : std::string());
        QCOMPARE(r.kodPoczt, std::string_view("11-111"));  // the untouched mask takes no part
        QCOMPARE(r.pit11_od, std::string_view("01-01-2005"));
    }
    QCOMPARE(rig.workspace.taxpayers.currentIndex(), 0);
    QVERIFY(!rig.workspace.taxpayersSaved);  // changed records are unsaved data
}

void TFMultiEditTest::emptyFieldsAndCancelChangeNothing() {
    MultiRig rig;
    rig.view.selection = {1, 3};
    rig.multi->btnOKClick();
    QVERIFY(rig.workspace.taxpayersSaved);
    QCOMPARE(rig.workspace.taxpayers.at(1).poczta, std::string_view("OLD"));

    rig.field("eGmina")->insert(QStringLiteral("G"));
    rig.multi->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    QCOMPARE(rig.multi->result(), int(QDialog::Rejected));
    QVERIFY(rig.workspace.taxpayers.at(1).gmina.empty());
    QVERIFY(rig.workspace.taxpayersSaved);
}

void TFMultiEditTest::fieldsKeepTheirValuesBetweenOpenings() {
    MultiRig rig;
    rig.field("eOd")->setText(QStringLiteral("01-01-2006"));
    rig.field("eKodPocztowy")->setText(QStringLiteral("44-100"));
    rig.view.selection = {1};
    rig.multi->btnOKClick();
    rig.multi->show();
    QCOMPARE(MaskedFieldText(*rig.field("eOd")), QStringLiteral("01-01-2006"));
    rig.view.selection = {3};
    rig.multi->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.at(3).pit11_od, std::string_view("01-01-2006"));
    QCOMPARE(rig.workspace.taxpayers.at(3).kodPoczt, std::string_view("44-100"));
    QCOMPARE(rig.workspace.taxpayers.at(2).kodPoczt, std::string_view("11-111"));
}

void TFMultiEditTest::officeListIsACopySortedAndHandedBack() {
    MultiRig rig;
    auto* offices = rig.multi->findChild<QComboBox*>(QStringLiteral("eUS"));
    QCOMPARE(rig.multi->taxOffices(), (QStringList{"US Gliwice", "US Zabrze"}));

    // A taxpayer confirmed in the edit form with a new office: the copy follows.
    rig.workspace.taxpayers.ClearCurrent();
    rig.edit->FormShow();
    rig.find("eNazwisko")->insert(QStringLiteral("N"));
    rig.find("eImie")->insert(QStringLiteral("I"));
    rig.find<QComboBox>("eUS")->setEditText(QStringLiteral("US Bytom"));
    rig.edit->btnOKClick();
    QCOMPARE(rig.multi->taxOffices(), (QStringList{"US Bytom", "US Gliwice", "US Zabrze"}));

    // An office typed here is stored, not listed; confirming hands the sorted list back.
    offices->setEditText(QStringLiteral("US Chorzów"));
    rig.view.selection = {0};
    rig.multi->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.at(0).us, Cp(QStringLiteral("US Chorzów")));
    QCOMPARE(rig.edit->taxOffices().entries(), (QStringList{"US Bytom", "US Gliwice", "US Zabrze"}));
    QCOMPARE(rig.find<QComboBox>("eUS")->itemText(0), QStringLiteral("US Bytom"));
}

void TFMultiEditTest::officesSortInPolishOrder() {
    const QStringList sorted = SortedTaxOffices({QStringLiteral("US Łódź"), QStringLiteral("us lublin"),
                                                 QStringLiteral("US Mielec"), QStringLiteral("US Śrem"),
                                                 QStringLiteral("US Sopot"), QStringLiteral("US Andrychów")});
    QCOMPARE(sorted, (QStringList{QStringLiteral("US Andrychów"), QStringLiteral("us lublin"), QStringLiteral("US Łódź"),
                                  QStringLiteral("US Mielec"), QStringLiteral("US Sopot"), QStringLiteral("US Śrem")}));
}

QTEST_MAIN(TFMultiEditTest)
#include "TFMultiEdit_test.moc"
