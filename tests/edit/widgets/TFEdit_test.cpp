#include "EditRig.h"

#include "edit/widgets/MaskedText.h"
#include "support/Mnemonics.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

class TFEditTest : public QObject {
    Q_OBJECT

private slots:
    void untouchedMaskedFieldsReadAsBlanksAndHyphens();
    void typedLettersBecomeCapitalsAndForeignCharactersAreRefused();
    void computedBoxesAreReadOnlyColouredAndSkippedByTab();
    void leavingAnAmountBoxNormalisesIt_data();
    void leavingAnAmountBoxNormalisesIt();
    void leavingARevenueBoxRecomputesThePit11Page();
    void aWholePit40PassFromTypedBoxes();
    void aTypedTaxIsReplacedAndAPageChangeRecomputes();
    void storedTextThatIsNotANumberGivesAMessageAndStaysIntact();
    void addingWithOnlyNamesStoresEmptyMaskedFields();
    void missingNamesAreRefusedAndNothingIsStored();
    void editingShowsTheRecordAndStoresItBack();
    void unknownVoivodeshipAndChoicesOpenUnselected();
    void clearAllAsksAndCancelKeepsTheRecord();
    void enterInAnAmountBoxStoresTheCleanedAmount();
    void confirmingADuplicateMergesIt();
    void confirmedOfficesGrowTheListOnce();
    void anInvalidBirthDateDoesNotOpenThePicker_data();
    void anInvalidBirthDateDoesNotOpenThePicker();
    void thePickerWritesTheChosenDate();
    void closingThePickerWithoutOkKeepsTheField_data();
    void closingThePickerWithoutOkKeepsTheField();
    void anUnreadableOfficeFileIsReportedAndTypingStillWorks();
    void everyPageAnswersToItsOwnAltKeys();
    void copyingFromThePit11AsksOnlyBeforeReplacingTypedAmounts();
    void theOfficeBoxOffersOfficesHoldingAnyPartOfTheName();
    void tabOnTheLastPageFollowsReadingOrder();
    void ctrlZInAnAmountBoxUndoesTheTypingThoughTheBoxWasCleanedUp();
};

void TFEditTest::untouchedMaskedFieldsReadAsBlanksAndHyphens() {
    EditRig rig;
    rig.edit->FormShow();
    QCOMPARE(MaskedFieldText(*rig.find("eNIP")), QStringLiteral("   -   -  -  "));
    QCOMPARE(MaskedFieldText(*rig.find("eKodPocztowy")), QStringLiteral("  -   "));
    QCOMPARE(MaskedFieldText(*rig.find("eDataUr")), QStringLiteral("  -  -    "));
    QCOMPARE(MaskedFieldText(*rig.find("eOd")), QStringLiteral("  -  -    "));

    QLineEdit* nip = rig.find("eNIP");
    QTest::keyClicks(nip, QStringLiteral("1234"));
    QCOMPARE(MaskedFieldText(*nip), QStringLiteral("123-4  -  -  "));
    nip->setText(QStringLiteral("1234567890"));  // an imported NIP without hyphens
    QCOMPARE(MaskedFieldText(*nip), QStringLiteral("123-456-78-90"));
    QVERIFY(!MaskedFieldFilled(MaskedFieldText(*rig.find("eDataUr"))));
}

void TFEditTest::typedLettersBecomeCapitalsAndForeignCharactersAreRefused() {
    EditRig rig;
    rig.edit->FormShow();
    QLineEdit* surname = rig.find("eNazwisko");
    TypeKeys(surname, QStringLiteral("żółć-Øx"));
    QCOMPARE(surname->text(), QStringLiteral("ŻÓŁĆ-X"));  // Ø has no code page 1250 byte

    auto* office = rig.find<QComboBox>("eUS");
    TypeKeys(office->lineEdit(), QStringLiteral("Urząd w Łodzi"));
    QCOMPARE(office->currentText(), QStringLiteral("Urząd w Łodzi"));  // the office keeps its case

    QLineEdit* street = rig.find("eUlica");
    street->insert(QStringLiteral("ul. Ωmega"));  // a paste with a foreign letter is refused whole
    QCOMPARE(street->text(), QString());
    QCOMPARE(rig.find("ePESEL")->maxLength(), 11);
    QCOMPARE(rig.find("eNazwisko")->maxLength(), 50);
}

void TFEditTest::computedBoxesAreReadOnlyColouredAndSkippedByTab() {
    EditRig rig;
    for (const char* name : {"e36", "e41", "e73", "f37", "f62", "f65", "f68", "f71"}) {
        QLineEdit* box = rig.find(name);
        QVERIFY2(box->isReadOnly(), name);
        QCOMPARE(box->focusPolicy(), Qt::ClickFocus);
        QVERIFY2(box->styleSheet().contains(QStringLiteral("#87CEEB")), name);
    }
    QVERIFY(rig.find("f74")->styleSheet().contains(QStringLiteral("#C0DCC0")));
    for (const char* name : {"f75", "f76"}) {
        QVERIFY(!rig.find(name)->isReadOnly());
        QCOMPARE(rig.find(name)->focusPolicy(), Qt::ClickFocus);
    }
    for (const char* name : {"e34", "e37", "e75", "f35", "f69", "f73"}) {
        QVERIFY2(!rig.find(name)->isReadOnly(), name);
        QVERIFY2(rig.find(name)->styleSheet().isEmpty(), name);
    }
    QCOMPARE(rig.find("e34")->toolTip(), QStringLiteral("p34"));
    QCOMPARE(rig.find("f35")->toolTip(), QStringLiteral("p35"));
    QCOMPARE(rig.find("e38")->toolTip(),
             QStringLiteral("p38 Należy wykazać przychody, do których zastosowano odliczenie\r\n"
                            "kosztów uzyskania przychodów na podstawie art.22 ust.9 pkt.3 ustawy"));
}

void TFEditTest::leavingAnAmountBoxNormalisesIt_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");
    QTest::newRow("empty stays empty") << "e37" << "" << "" << false;
    QTest::newRow("whole") << "e37" << "12" << "12,00" << false;
    QTest::newRow("one decimal") << "e75" << "12,5" << "12,50" << false;
    QTest::newRow("dot and blank") << "e34" << "1 234.5" << "1234,50" << false;
    QTest::newRow("minus dropped") << "f35" << "-100" << "100,00" << false;
    QTest::newRow("letters") << "f66" << "abc" << "0,00" << true;
    QTest::newRow("two separators") << "e74" << "1.234,56" << "0,00" << true;
    QTest::newRow("to pay box") << "f75" << "7.5" << "7,50" << false;
}

void TFEditTest::leavingAnAmountBoxNormalisesIt() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    EditRig rig;
    rig.edit->FormShow();
    TypeAndLeave(rig.find(box.toLatin1().constData()), typed);
    QCOMPARE(rig.text(box.toLatin1().constData()), shown);
    QCOMPARE(rig.ui.count(UiCall::Message, QStringLiteral("Wpisano nieprawidłową wartość liczbową!")), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(rig.ui.last().title, QStringLiteral("Błąd"));
        QCOMPARE(rig.ui.last().icon, MessageIcon::Warning);
    }
}

void TFEditTest::leavingARevenueBoxRecomputesThePit11Page() {
    EditRig rig;
    rig.edit->FormShow();
    rig.find("e35")->setText(QStringLiteral("1000,00"));
    rig.find("e38")->setText(QStringLiteral("300,00"));
    rig.find("e39")->setText(QStringLiteral("100,00"));
    rig.find("e52")->setText(QStringLiteral("50,00"));
    rig.find("e72")->setText(QStringLiteral("7,00"));
    TypeAndLeave(rig.find("e34"), QStringLiteral("5000"));
    QCOMPARE(rig.text("e36"), QStringLiteral("4200,00"));
    QCOMPARE(rig.text("e41"), QString());  // copies of empty boxes stay empty
    QCOMPARE(rig.text("e54"), QStringLiteral("50,00"));  // the whole page, not only the row
    QCOMPARE(rig.text("e73"), QStringLiteral("7,00"));

    TypeAndLeave(rig.find("e35"), QStringLiteral("9000"));  // costs above revenue
    QCOMPARE(rig.text("e36"), QStringLiteral("0,00"));

    rig.find("e40")->setText(QStringLiteral("5,00"));
    TypeAndLeave(rig.find("e37"), QStringLiteral("1"));  // an advance box recomputes nothing
    QCOMPARE(rig.text("e41"), QString());
    QCOMPARE(rig.text("e37"), QStringLiteral("1,00"));
}

void TFEditTest::aWholePit40PassFromTypedBoxes() {
    EditRig rig;
    rig.edit->FormShow();
    TypeAndLeave(rig.find("f35"), QStringLiteral("40000"));
    TypeAndLeave(rig.find("f36"), QStringLiteral("1335"));
    TypeAndLeave(rig.find("f38"), QStringLiteral("5000"));
    TypeAndLeave(rig.find("f66"), QStringLiteral("5000"));
    TypeAndLeave(rig.find("f73"), QStringLiteral("2500"));
    const std::pair<const char*, const char*> expected[] = {
        {"f37", "38665,00"}, {"f42", ""},         {"f45", ""},         {"f48", ""},
        {"f52", "0,00"},     {"f56", "0,00"},     {"f60", "0,00"},     {"f62", "40000,00"},
        {"f63", "1335,00"},  {"f64", "38665,00"}, {"f65", "5000,00"},  {"f68", "33665,00"},
        {"f69", "5866,27"},  {"f71", "5866,27"},  {"f74", "3366"},     {"f75", "0,00"},
        {"f76", "1634,00"},
    };
    for (const auto& [box, value] : expected)
        QVERIFY2(rig.text(box) == QString::fromLatin1(value), qPrintable(QStringLiteral("%1 = %2").arg(box, rig.text(box))));
    QCOMPARE(rig.ui.calls.size(), std::size_t{0});
}

void TFEditTest::aTypedTaxIsReplacedAndAPageChangeRecomputes() {
    EditRig rig;
    rig.edit->FormShow();
    rig.find("f35")->setText(QStringLiteral("30000,00"));  // typed but not left
    TypeAndLeave(rig.find("f69"), QStringLiteral("1"));
    QCOMPARE(rig.text("f69"), QStringLiteral("5169,92"));

    rig.find("f35")->setText(QStringLiteral("50000,00"));
    rig.find("e34")->setText(QStringLiteral("10,00"));
    rig.find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    QCOMPARE(rig.text("f69"), QStringLiteral("10397,28"));
    QCOMPARE(rig.text("e36"), QStringLiteral("10,00"));
}

void TFEditTest::storedTextThatIsNotANumberGivesAMessageAndStaysIntact() {
    EditRig rig;
    TaxpayerRecord stored = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"));
    stored.p40Box(35) = Cp(QStringLiteral("12 zł"));
    stored.p40Box(37) = "1,00";
    rig.workspace.taxpayers.Add(stored);
    rig.edit->FormShow();
    QCOMPARE(rig.text("f35"), QStringLiteral("12 zł"));  // shown as stored, not recomputed

    TypeAndLeave(rig.find("f36"), QStringLiteral("5"));
    QCOMPARE(rig.ui.count(UiCall::Message), 1);
    QCOMPARE(rig.ui.last().title, QStringLiteral("Błąd"));
    QVERIFY2(rig.ui.last().text.contains(QStringLiteral("12 zł")), qPrintable(rig.ui.last().text));
    QCOMPARE(rig.text("f37"), QStringLiteral("1,00"));  // the pass stopped before writing it

    rig.edit->btnOKClick();
    QCOMPARE(rig.edit->result(), int(QDialog::Accepted));
    QCOMPARE(rig.workspace.taxpayers.at(0).p40Box(35), Cp(QStringLiteral("12 zł")));
    QCOMPARE(rig.workspace.taxpayers.at(0).p40Box(36), std::string_view("5,00"));
}

void TFEditTest::addingWithOnlyNamesStoresEmptyMaskedFields() {
    EditRig rig;
    rig.workspace.taxpayers.Add(Person(QStringLiteral("ZAWADA"), QStringLiteral("ADAM")));
    rig.workspace.taxpayers.ClearCurrent();  // the Add command
    rig.edit->FormShow();
    QCOMPARE(rig.text("eNazwisko"), QString());
    QVERIFY(rig.find<QRadioButton>("rbP11R1")->isChecked());
    rig.find("eNazwisko")->insert(QStringLiteral("abel"));
    rig.find("eImie")->insert(QStringLiteral("ewa"));
    rig.edit->btnOKClick();

    QCOMPARE(rig.edit->result(), int(QDialog::Accepted));
    QCOMPARE(rig.workspace.taxpayers.count(), 2);
    const TaxpayerRecord& added = rig.workspace.taxpayers.at(0);  // re-sorted before ZAWADA
    QCOMPARE(added.nazwisko, std::string_view("ABEL"));
    QCOMPARE(added.imie1, std::string_view("EWA"));
    QVERIFY(added.nip.empty() && added.dataUr.empty() && added.pit11_od.empty() && added.pit11_do.empty());
    QCOMPARE(added.kodPoczt, std::string_view("  -   "));
    QCOMPARE(int(added.pit11_PITR), 0);
    QCOMPARE(int(added.pit11_33), 0);
    QCOMPARE(int(added.pit40_34), 0);
    QVERIFY(!rig.workspace.taxpayersSaved);
    QCOMPARE(rig.view.refreshes, (std::vector<ViewMode>{ViewMode::vmNone, ViewMode::vmTabela}));
}

void TFEditTest::missingNamesAreRefusedAndNothingIsStored() {
    EditRig rig;
    rig.edit->FormShow();
    rig.edit->setResult(-1);
    rig.find("eNazwisko")->insert(QStringLiteral("KOWALSKI"));
    rig.find("eUlica")->insert(QStringLiteral("DŁUGA"));
    rig.edit->btnOKClick();
    QCOMPARE(rig.ui.count(UiCall::Message, QStringLiteral("Pola Nazwisko i Imie muszą być wypełnione. Proszę je wypełnić")), 1);
    QCOMPARE(rig.ui.last().title, QStringLiteral("Informacja"));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Information);
    QCOMPARE(rig.edit->result(), -1);  // still open
    QVERIFY(rig.workspace.taxpayers.empty());
    QVERIFY(rig.workspace.taxpayersSaved);
    QVERIFY(rig.view.refreshes.empty());
    QCOMPARE(rig.text("eUlica"), QStringLiteral("DŁUGA"));  // everything as typed

    rig.find("eImie")->insert(QStringLiteral(" "));  // a blank counts as filled
    rig.edit->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
}

void TFEditTest::editingShowsTheRecordAndStoresItBack() {
    EditRig rig;
    TaxpayerRecord r = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"), "80051212345");
    r.id = 42;
    r.dataUr = "1980-05-12";
    r.nip = "123-456-78-90";
    r.kodPoczt = "90-001";
    r.wojewodztwo = Cp(QStringLiteral("łódzkie"));
    r.pit11_od = "01-01-2006";
    r.pit11_33 = 2;
    r.pit40_34 = 3;
    r.pit11_PITR = 2;
    r.pit40_NIP3 = 1;
    r.p11Box(34) = "5000,00";
    r.p11Box(36) = "123,00";  // a stale computed value: opening does not recompute
    r.email = "anna.nowak@firma.pl";
    rig.workspace.taxpayers.Add(Person(QStringLiteral("ABEL"), QStringLiteral("EWA")));
    rig.workspace.taxpayers.Add(r);
    rig.workspace.taxpayers.SelectByIndex(1);
    rig.view.mode = ViewMode::vmTabela;
    rig.edit->FormShow();

    QCOMPARE(MaskedFieldText(*rig.find("eDataUr")), QStringLiteral("12-05-1980"));
    QCOMPARE(MaskedFieldText(*rig.find("eNIP")), QStringLiteral("123-456-78-90"));
    QCOMPARE(rig.find<QComboBox>("eWoj")->currentText(), QStringLiteral("ŁÓDZKIE"));
    QCOMPARE(MaskedFieldText(*rig.find("eOd")), QStringLiteral("01-01-2006"));
    QCOMPARE(MaskedFieldText(*rig.find("eDo")), QStringLiteral("  -  -    "));
    QVERIFY(rig.find<QRadioButton>("RB2")->isChecked());
    QVERIFY(rig.find<QRadioButton>("RB_3")->isChecked());
    QVERIFY(rig.find<QRadioButton>("rbP11R3")->isChecked());
    QVERIFY(rig.find<QCheckBox>("cbNIP3")->isChecked());
    QVERIFY(!rig.find<QCheckBox>("cbPITR")->isChecked());
    QCOMPARE(rig.text("e36"), QStringLiteral("123,00"));
    QCOMPARE(rig.find<QTabWidget>("PageControl1")->currentIndex(), 0);

    QCOMPARE(rig.text("eEmail"), QStringLiteral("anna.nowak@firma.pl"));

    // An address without "@" (or with a letter the data file cannot hold) is refused by name.
    {
        const QSignalBlocker quiet(rig.find<QTabWidget>("PageControl1"));  // no recomputation
        rig.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    }
    for (const QString& bad : {QStringLiteral("anna.nowak.firma.pl"), QStringLiteral("jose@españa.es")}) {
        rig.ui.clearCalls();
        rig.find("eEmail")->setText(bad);
        rig.edit->btnOKClick();
        QCOMPARE(rig.ui.count(UiCall::Message), 1);
        QVERIFY2(rig.ui.last().text.startsWith(QStringLiteral("Pole „E-mail (do przekazania PIT)” nie zawiera poprawnego "
                                                              "adresu e-mail: ")),
                 qPrintable(rig.ui.last().text));
        QCOMPARE(rig.find<QTabWidget>("PageControl1")->currentIndex(), 0);  // where the field is
    }
    QVERIFY(rig.ui.last().text.contains(QStringLiteral("znaku „ñ” nie można zapisać")));
    QCOMPARE(rig.workspace.taxpayers.at(1).email, std::string_view("anna.nowak@firma.pl"));  // nothing stored
    QVERIFY(rig.view.refreshes.empty());

    rig.find("eEmail")->setText(QStringLiteral("  Anna.Nowak@Łódź.pl "));
    rig.find<QRadioButton>("RB_5")->setChecked(true);
    rig.edit->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.count(), 2);
    const TaxpayerRecord& back = rig.workspace.taxpayers.at(1);
    QCOMPARE(back.id, 0);  // the form has no identifier
    QCOMPARE(back.dataUr, std::string_view("1980-05-12"));
    QCOMPARE(back.nip, std::string_view("123-456-78-90"));
    QCOMPARE(back.wojewodztwo, Cp(QStringLiteral("ŁÓDZKIE")));
    QCOMPARE(back.pit11_od, std::string_view("01-01-2006"));
    QVERIFY(back.pit11_do.empty());
    QCOMPARE(int(back.pit40_34), 5);
    QCOMPARE(int(back.pit11_33), 2);
    QCOMPARE(back.email, Cp(QStringLiteral("Anna.Nowak@Łódź.pl")));  // letter case kept, blanks gone
    QCOMPARE(back.p11Box(36), std::string_view("123,00"));  // confirming does not recompute either
    QCOMPARE(rig.view.refreshes, std::vector<ViewMode>{ViewMode::vmTabela});
}

void TFEditTest::unknownVoivodeshipAndChoicesOpenUnselected() {
    EditRig rig;
    TaxpayerRecord r = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"));
    r.wojewodztwo = "BAWARIA";
    r.dataUr = "12-05-1980";  // not year-first
    r.pit11_33 = 9;
    r.pit40_34 = 0;
    r.pit11_PITR = 0;
    r.pit40_PITR = 1;
    rig.workspace.taxpayers.Add(r);
    rig.edit->FormShow();
    QCOMPARE(rig.find<QComboBox>("eWoj")->currentIndex(), -1);
    QCOMPARE(MaskedFieldText(*rig.find("eDataUr")), QStringLiteral("  -  -    "));
    QVERIFY(rig.find<QCheckBox>("cbPITR")->isChecked());
    QVERIFY(rig.find<QRadioButton>("rbP11R1")->isChecked());
    for (const char* name : {"RB1", "RB2", "RB3", "RB4", "RB_1", "RB_5"})
        QVERIFY2(!rig.find<QRadioButton>(name)->isChecked(), name);
    rig.edit->btnOKClick();
    const TaxpayerRecord& back = rig.workspace.taxpayers.at(0);
    QVERIFY(back.wojewodztwo.empty());
    QVERIFY(back.dataUr.empty());
    QCOMPARE(int(back.pit11_33), 0);
    QCOMPARE(int(back.pit40_PITR), 1);
}

void TFEditTest::clearAllAsksAndCancelKeepsTheRecord() {
    EditRig rig;
    TaxpayerRecord r = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"));
    r.p11Box(34) = "1,00";
    r.us = "US Zabrze";
    rig.workspace.taxpayers.Add(r);
    rig.edit->FormShow();

    rig.ui.answers.push_back(false);
    rig.find<QPushButton>("Button1")->click();
    QCOMPARE(rig.ui.count(UiCall::Ask, QStringLiteral("Czy na pewno usunąć informacje z wszystkich pól")), 1);
    QCOMPARE(rig.ui.last().title, QStringLiteral("Pytanie"));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Question);
    QCOMPARE(rig.text("eNazwisko"), QStringLiteral("NOWAK"));

    rig.ui.answers.push_back(true);
    rig.find<QPushButton>("Button1")->click();
    QCOMPARE(rig.text("eNazwisko"), QString());
    QCOMPARE(rig.text("e34"), QString());
    QCOMPARE(rig.find<QComboBox>("eUS")->currentText(), QString());

    rig.find<QPushButton>("btnAnuluj")->click();
    QCOMPARE(rig.edit->result(), int(QDialog::Rejected));
    QCOMPARE(rig.workspace.taxpayers.at(0).nazwisko, std::string_view("NOWAK"));
    QCOMPARE(rig.workspace.taxpayers.at(0).p11Box(34), std::string_view("1,00"));
    QVERIFY(rig.workspace.taxpayersSaved);
    QVERIFY(rig.view.refreshes.empty());
}

void TFEditTest::enterInAnAmountBoxStoresTheCleanedAmount() {
    EditRig rig;
    rig.edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.edit.get()));
    rig.find("eNazwisko")->insert(QStringLiteral("A"));
    rig.find("eImie")->insert(QStringLiteral("B"));
    rig.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    QLineEdit* revenue = rig.find("f35");
    revenue->setFocus();
    revenue->insert(QStringLiteral("1 000.5"));
    QTest::keyClick(revenue, Qt::Key_Return);
    QCOMPARE(rig.edit->result(), int(QDialog::Accepted));
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
    QCOMPARE(rig.workspace.taxpayers.at(0).p40Box(35), std::string_view("1000,50"));
    QCOMPARE(rig.workspace.taxpayers.at(0).p40Box(37), std::string_view("1000,50"));
}

void TFEditTest::confirmingADuplicateMergesIt() {
    EditRig rig;
    TaxpayerRecord older = Person(QStringLiteral("KOWALSKI"), QStringLiteral("JAN"), "80051212345");
    older.p11Box(34) = "100,00";
    rig.workspace.taxpayers.Add(older);
    rig.workspace.taxpayers.ClearCurrent();
    rig.edit->FormShow();
    rig.find("eNazwisko")->insert(QStringLiteral("KOWALSKI"));
    rig.find("eImie")->insert(QStringLiteral("JAN"));
    rig.find("ePESEL")->insert(QStringLiteral("80051212345"));
    rig.find("eUlica")->insert(QStringLiteral("NOWA"));
    rig.find("e34")->setText(QStringLiteral("999,00"));
    rig.edit->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
    QCOMPARE(rig.workspace.taxpayers.at(0).ulica, std::string_view("NOWA"));
    QCOMPARE(rig.workspace.taxpayers.at(0).p11Box(34), std::string_view("100,00"));
}

void TFEditTest::confirmedOfficesGrowTheListOnce() {
    EditRig rig;
    QStringList copies;
    QObject::connect(rig.edit.get(), &TFEdit::taxOfficesChanged, [&](const QStringList& list) { copies = list; });
    auto confirm = [&](const QString& office) {
        rig.workspace.taxpayers.ClearCurrent();
        rig.edit->FormShow();
        rig.find("eNazwisko")->insert(QStringLiteral("A"));
        rig.find("eImie")->insert(QStringLiteral("B"));
        rig.find<QComboBox>("eUS")->setEditText(office);
        rig.edit->btnOKClick();
    };
    confirm(QStringLiteral("US Łódź-Bałuty"));
    const QStringList grown{QStringLiteral("US Zabrze"), QStringLiteral("US Gliwice"), QStringLiteral("US Łódź-Bałuty")};
    QCOMPARE(rig.edit->taxOffices().entries(), grown);
    QCOMPARE(copies, grown);
    QCOMPARE(rig.find<QComboBox>("eUS")->count(), 3);
    QCOMPARE(rig.find<QComboBox>("eUS")->itemText(2), QStringLiteral("US Łódź-Bałuty"));
    confirm(QStringLiteral("us łódź-bałuty"));
    confirm(QString());
    QCOMPARE(rig.edit->taxOffices().entries(), grown);
    int withoutOffice = 0;
    for (int i = 0; i < rig.workspace.taxpayers.count(); ++i)
        withoutOffice += rig.workspace.taxpayers.at(i).us.empty() ? 1 : 0;
    QCOMPARE(withoutOffice, 1);
}

void TFEditTest::anInvalidBirthDateDoesNotOpenThePicker_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("no such day") << "31022006";
    QTest::newRow("nonsense") << "99999999";
    QTest::newRow("month missing") << "12";
}

void TFEditTest::anInvalidBirthDateDoesNotOpenThePicker() {
    QFETCH(QString, typed);
    EditRig rig;
    rig.edit->FormShow();
    QTest::keyClicks(rig.find("eDataUr"), typed);
    bool pickerShown = false;
    QTimer::singleShot(0, [&] {
        pickerShown = rig.calendar.isVisible();
        rig.calendar.reject();
    });
    rig.find<QToolButton>("SpeedButton1")->click();
    QCOMPARE(rig.ui.count(UiCall::Message), 1);
    QVERIFY(rig.ui.last().text.contains(QStringLiteral("nie jest prawidłową datą")));
    QVERIFY(!pickerShown);
    QVERIFY(!rig.calendar.isVisible());
    QCoreApplication::processEvents();
}

void TFEditTest::thePickerWritesTheChosenDate() {
    EditRig rig;
    rig.edit->FormShow();
    rig.find("eDataUr")->setText(QStringLiteral("12-05-1980"));
    QDate shownAtStart;
    QTimer::singleShot(0, [&] {
        auto* calendar = rig.calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar"));
        shownAtStart = calendar->selectedDate();
        calendar->setSelectedDate(QDate(1981, 6, 3));
        rig.calendar.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    rig.find<QToolButton>("SpeedButton1")->click();
    QCOMPARE(shownAtStart, QDate(1980, 5, 12));
    QCOMPARE(MaskedFieldText(*rig.find("eDataUr")), QStringLiteral("03-06-1981"));

    // An empty field opens on 1 January of the form year; a filled one on its date.
    QTimer::singleShot(0, [&] {
        shownAtStart = rig.calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar"))->selectedDate();
        rig.calendar.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    rig.find<QToolButton>("btn2")->click();
    QCOMPARE(shownAtStart, QDate(2006, 1, 1));
    QCOMPARE(MaskedFieldText(*rig.find("eDo")), QStringLiteral("01-01-2006"));
    rig.edit->setFormYear(2025);
    rig.find("eOd")->setText(QStringLiteral("15-03-2006"));
    for (const char* button : {"btn1", "btn2", "SpeedButton1"}) {
        rig.find("eDataUr")->clear();
        QTimer::singleShot(0, [&] {
            shownAtStart = rig.calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar"))->selectedDate();
            rig.calendar.reject();
        });
        rig.find<QToolButton>(button)->click();
        QCOMPARE(shownAtStart, QString::fromLatin1(button) == QLatin1String("btn1") ? QDate(2006, 3, 15)
                               : QString::fromLatin1(button) == QLatin1String("btn2") ? QDate(2006, 1, 1)
                                                                                      : QDate(2025, 1, 1));
    }
    // F4 in the field opens the picker too (the buttons are no Tab stops).
    QTimer::singleShot(0, [&] {
        shownAtStart = rig.calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar"))->selectedDate();
        rig.calendar.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    QTest::keyClick(rig.find("eOd"), Qt::Key_F4);
    QCOMPARE(shownAtStart, QDate(2006, 3, 15));
    QCOMPARE(rig.calendar.windowTitle(), QStringLiteral("Wybierz"));
}

// Escape or closing the window is no choice: the field keeps what it held, a blank field stays
// blank (the picker's start date, today for the period, is not written as if it had been picked),
// even after another date was clicked in the calendar.
void TFEditTest::closingThePickerWithoutOkKeepsTheField_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("escape");
    const QString blank = QStringLiteral("  -  -    ");
    QTest::newRow("birth date, Escape") << "SpeedButton1" << "eDataUr" << "12-05-1980" << true;
    QTest::newRow("blank birth date, window closed") << "SpeedButton1" << "eDataUr" << blank << false;
    QTest::newRow("Od, Escape") << "btn1" << "eOd" << "01-02-2024" << true;
    QTest::newRow("blank Od, Escape") << "btn1" << "eOd" << blank << true;
    QTest::newRow("Do, window closed") << "btn2" << "eDo" << "31-12-2024" << false;
    QTest::newRow("blank Do, window closed") << "btn2" << "eDo" << blank << false;
}

void TFEditTest::closingThePickerWithoutOkKeepsTheField() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(bool, escape);
    EditRig rig;
    rig.edit->FormShow();
    QLineEdit* box = rig.find(field.toLatin1().constData());
    box->setText(before);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = rig.calendar.isVisible();
        auto* calendar = rig.calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar"));
        calendar->setSelectedDate(QDate(2003, 7, 9));
        if (escape)
            QTest::keyClick(rig.calendar.focusWidget() ? rig.calendar.focusWidget() : calendar, Qt::Key_Escape);
        else
            rig.calendar.close();
    });
    rig.find<QToolButton>(button.toLatin1().constData())->click();
    QVERIFY(shown);
    QVERIFY(!rig.calendar.isVisible());
    QCOMPARE(MaskedFieldText(*box), before);
    QCOMPARE(rig.ui.count(UiCall::Message), 0);

    // Confirming stores what the fields show, not a date the picker never gave.
    rig.find("eNazwisko")->setText(QStringLiteral("NOWAK"));
    rig.find("eImie")->setText(QStringLiteral("ANNA"));
    rig.edit->btnOKClick();
    QCOMPARE(rig.workspace.taxpayers.count(), 1);
    const TaxpayerRecord& stored = rig.workspace.taxpayers.at(0);
    const std::string_view kept = field == QLatin1String("eDataUr") ? stored.dataUr.view()
                                  : field == QLatin1String("eOd")   ? stored.pit11_od.view()
                                                                    : stored.pit11_do.view();
    const QString expected = before == QLatin1String("  -  -    ") ? QString()
                             : field == QLatin1String("eDataUr")    ? QStringLiteral("1980-05-12")
                                                                    : before;
    QCOMPARE(cp1250::toUnicode(kept), expected);
}

void TFEditTest::anUnreadableOfficeFileIsReportedAndTypingStillWorks() {
    ScriptedUserInterface ui;
    Workspace workspace;
    FakeMainView view;
    TFCalendar calendar;
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("us.lst")));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray("US A\n\0\x01\x02" "binary", 14));
    file.close();
    TFEdit edit(workspace, view, ui, calendar, {file.fileName()});
    QCOMPARE(ui.count(UiCall::Message), 1);
    QCOMPARE(edit.taxOffices().entries(), QStringList{QStringLiteral("US A")});
    edit.FormShow();
    edit.findChild<QComboBox*>(QStringLiteral("eUS"))->setEditText(QStringLiteral("US B"));
    QCOMPARE(edit.formValues().us, QStringLiteral("US B"));
}

// Tabs, buttons and the first page's captions each have an Alt key of their own, unique on every
// page; a caption's key takes the focus to its field, also where the field stands in a group with
// a button.
void TFEditTest::everyPageAnswersToItsOwnAltKeys() {
    EditRig rig;
    rig.edit->show();
    rig.edit->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.edit.get()));
    auto* pages = rig.edit->findChild<QTabWidget*>("PageControl1");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        const QStringList doubled = DoubledMnemonics(*rig.edit);
        QVERIFY2(doubled.isEmpty(), qPrintable(pages->tabText(page) + QStringLiteral(": ") + doubled.join(QStringLiteral("; "))));
    }
    pages->setCurrentIndex(0);
    for (const QLabel* label : pages->widget(0)->findChildren<QLabel*>())
        if (label->buddy()) QVERIFY2(label->text().contains(u'&'), qPrintable(label->text()));
    QTest::keyClick(rig.edit.get(), Qt::Key_D, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), rig.find("eDataUr"));
    QTest::keyClick(rig.edit.get(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), rig.find("eEmail"));
}

// Amounts typed on the PIT-11/8B page go to their PIT-40 boxes (several PIT-11/8B rows into one
// where the PIT-40 has one row for them); the PIT-40 page recomputes. Empty boxes are filled
// without a question; amounts of the PIT-40's own are replaced only on Yes.
void TFEditTest::copyingFromThePit11AsksOnlyBeforeReplacingTypedAmounts() {
    EditRig rig;
    rig.edit->show();
    rig.edit->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.edit.get()));
    const std::pair<const char*, const char*> pit11[] = {{"e34", "40000,00"}, {"e35", "1335,00"}, {"e37", "5000,00"},
                                                          {"e52", "100,00"},  {"e56", "20,50"},   {"e75", "5000,00"},
                                                          {"e76", "2500,00"}, {"e72", "7,00"},    {"e49", "3,00"}};
    for (const auto& [box, value] : pit11)
        rig.find(box)->setText(QString::fromLatin1(value));
    rig.find("f70")->setText(QStringLiteral("11,00"));  // a box no PIT-11/8B amount goes to
    auto* pages = rig.find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(2);
    auto* button = rig.find<QPushButton>("btnPrzepisz");
    QCOMPARE(button->accessibleName(), QStringLiteral("Przepisz kwoty z PIT-11/8B"));
    QTest::keyClick(rig.edit.get(), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(rig.text("f35"), QStringLiteral("40000,00"));  // the Alt key clicks the button
    QCOMPARE(rig.ui.count(UiCall::Ask), 0);
    const std::pair<const char*, const char*> filled[] = {
        {"f35", "40000,00"}, {"f36", "1335,00"}, {"f38", "5000,00"}, {"f50", "120,50"}, {"f58", "10,00"},
        {"f66", "5000,00"},  {"f72", "2500,00"}, {"f70", "11,00"},   {"f37", "38665,00"}, {"f64", "38795,50"},
        {"f68", "33796,00"}, {"f39", ""},
    };
    for (const auto& [box, value] : filled)
        QVERIFY2(rig.text(box) == QString::fromLatin1(value), qPrintable(QStringLiteral("%1 = %2").arg(box, rig.text(box))));

    // The same again changes nothing and asks nothing; a changed PIT-11/8B amount asks.
    button->click();
    QCOMPARE(rig.ui.count(UiCall::Ask), 0);
    rig.find("e34")->setText(QStringLiteral("30000,00"));
    rig.find("e40")->setText(QStringLiteral("9,00"));
    rig.ui.answers.push_back(false);
    button->click();
    QCOMPARE(rig.ui.count(UiCall::Ask), 1);
    QVERIFY2(rig.ui.last().text.contains(QStringLiteral("Zastąpić je kwotami z PIT-11/8B?")), qPrintable(rig.ui.last().text));
    QCOMPARE(rig.ui.last().icon, MessageIcon::Question);
    QCOMPARE(rig.text("f35"), QStringLiteral("40000,00"));  // No: kept
    QCOMPARE(rig.text("f41"), QStringLiteral("9,00"));      // an empty box filled all the same
    rig.ui.answers.push_back(true);
    button->click();
    QCOMPARE(rig.ui.count(UiCall::Ask), 2);
    QCOMPARE(rig.text("f35"), QStringLiteral("30000,00"));
    QCOMPARE(rig.text("f37"), QStringLiteral("28665,00"));
}

void TFEditTest::theOfficeBoxOffersOfficesHoldingAnyPartOfTheName() {
    EditRig rig(QStringLiteral("Pierwszy Urząd Skarbowy w Gdyni\nUrząd Skarbowy w Zabrzu\nDrugi Urząd Skarbowy w Gdyni\n"
                               "Urząd Skarbowy Łódź-Bałuty\n").toUtf8());
    rig.edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.edit.get()));
    auto* office = rig.find<QComboBox>("eUS");
    office->lineEdit()->setFocus();
    QCompleter* completer = office->completer();
    QVERIFY(completer);
    const auto offered = [&] {
        QStringList shown;
        for (int row = 0; row < completer->completionModel()->rowCount(); ++row)
            shown << completer->completionModel()->index(row, 0).data().toString();
        return shown;
    };
    const QStringList gdynia{QStringLiteral("Pierwszy Urząd Skarbowy w Gdyni"), QStringLiteral("Drugi Urząd Skarbowy w Gdyni")};
    for (const QString& typed : {QStringLiteral("gdyni"), QStringLiteral("GDYNI")}) {
        office->lineEdit()->clear();
        TypeKeys(office->lineEdit(), typed);
        QCOMPARE(offered(), gdynia);  // in the list's order
        QVERIFY(completer->popup()->isVisible());
    }
    office->lineEdit()->clear();
    TypeKeys(office->lineEdit(), QStringLiteral("lodz"));
    QCOMPARE(offered(), QStringList{QStringLiteral("Urząd Skarbowy Łódź-Bałuty")});
    completer->popup()->setCurrentIndex(completer->completionModel()->index(0, 0));
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(rig.edit->formValues().us, QStringLiteral("Urząd Skarbowy Łódź-Bałuty"));

    office->lineEdit()->clear();
    TypeKeys(office->lineEdit(), QStringLiteral("Urząd w Łomży"));  // no such office: kept as typed
    QCOMPARE(offered(), QStringList());
    QCOMPARE(rig.edit->formValues().us, QStringLiteral("Urząd w Łomży"));
}

// Tab on "Pozostałe" goes down the page as it reads: the PIT-R choice, "Od", "Do" (the picker
// buttons between them are no stops), the attachments, the costs.
void TFEditTest::tabOnTheLastPageFollowsReadingOrder() {
    EditRig rig;
    rig.edit->show();
    rig.edit->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.edit.get()));
    rig.find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    rig.find<QRadioButton>("rbP11R1")->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 5; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"rbP11R1", "eOd", "eDo", "cbNIP3", "cbPITR", "RB_1"}));
}

// Ctrl+Z in an amount box undoes what was typed there, also after leaving the box cleaned it
// up and recomputed the page, and wins over the program's own Ctrl+Z while the box has the focus.
void TFEditTest::ctrlZInAnAmountBoxUndoesTheTypingThoughTheBoxWasCleanedUp() {
    EditRig rig;
    QWidget mainWindow;
    auto* undo = new QAction(QStringLiteral("Cofnij"), &mainWindow);
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutContext(Qt::ApplicationShortcut);
    mainWindow.addAction(undo);
    int programUndos = 0;
    QObject::connect(undo, &QAction::triggered, [&] { ++programUndos; });
    TaxpayerRecord stored = Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"));
    stored.p11Box(34) = "5000,00";
    rig.workspace.taxpayers.Add(stored);
    rig.edit->show();
    rig.edit->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.edit.get()));
    rig.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    QLineEdit* box = rig.find("e34");
    const auto undoUntilStored = [&] {
        QStringList undone;
        for (int step = 0; step < 6 && box->text() != QLatin1String("5000,00"); ++step) {
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
            undone << box->text();
        }
        return undone;
    };
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("7000"));
    QVERIFY(!undoUntilStored().isEmpty());
    QCOMPARE(box->text(), QStringLiteral("5000,00"));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("7000"));
    rig.find("e35")->setFocus();  // leaving cleans it up and recomputes
    QCOMPARE(box->text(), QStringLiteral("7000,00"));
    QCOMPARE(rig.text("e36"), QStringLiteral("7000,00"));
    box->setFocus();
    const QStringList undone = undoUntilStored();
    QVERIFY(!undone.isEmpty());
    QCOMPARE(undone.front(), QStringLiteral("7000"));  // first the clean-up, then the typing
    QCOMPARE(box->text(), QStringLiteral("5000,00"));
    QCOMPARE(programUndos, 0);
}

QTEST_MAIN(TFEditTest)
#include "TFEdit_test.moc"
