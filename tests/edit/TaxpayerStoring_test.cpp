#include "edit/TaxpayerFormValues.h"
#include "edit/TaxpayerStoring.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

namespace {

// A form as the dialog reads it when only the names were typed: masked fields untouched.
TaxpayerFormValues NamesOnly(const char* surname, const char* name) {
    TaxpayerFormValues v;
    v.nazwisko = QString::fromUtf8(surname);
    v.imie1 = QString::fromUtf8(name);
    v.nip = QStringLiteral("   -   -  -  ");
    v.dataUr = QStringLiteral("  -  -    ");
    v.kodPoczt = QStringLiteral("  -   ");
    v.pit11_od = QStringLiteral("  -  -    ");
    v.pit11_do = QStringLiteral("  -  -    ");
    return v;
}

std::string Cp(const char* utf8) {
    return cp1250::fromUnicode(QString::fromUtf8(utf8));
}

TaxpayerRecord Person(const char* surname, const char* name, const char* pesel) {
    TaxpayerRecord r;
    r.nazwisko = surname;
    r.imie1 = name;
    r.pesel = pesel;
    return r;
}

TEST(TaxpayerFormValuesTest, UntouchedMaskedFieldsStoreAsEmptyExceptThePostalCode) {
    const TaxpayerRecord r = RecordFromFormValues(NamesOnly("KOWALSKI", "JAN"));
    EXPECT_EQ(r.nazwisko, "KOWALSKI");
    EXPECT_TRUE(r.nip.empty());
    EXPECT_TRUE(r.dataUr.empty());
    EXPECT_TRUE(r.pit11_od.empty());
    EXPECT_TRUE(r.pit11_do.empty());
    EXPECT_EQ(r.kodPoczt, "  -   ");
    EXPECT_EQ(r.pit11_PITR, 0);
    EXPECT_EQ(r.pit11_33, 0);
    EXPECT_EQ(r.pit40_34, 0);
    EXPECT_EQ(r.id, 0);
}

TEST(TaxpayerFormValuesTest, BirthDateShowsDayFirstAndStoresYearFirst) {
    TaxpayerRecord stored = Person("KOWALSKI", "JAN", "");
    stored.dataUr = "1980-05-12";
    TaxpayerFormValues v = FormValuesFromRecord(stored);
    EXPECT_EQ(v.dataUr, QStringLiteral("12-05-1980"));
    EXPECT_EQ(RecordFromFormValues(v).dataUr, "1980-05-12");

    stored.dataUr = "12-05-1980";  // not year-first: shown empty
    EXPECT_TRUE(FormValuesFromRecord(stored).dataUr.isEmpty());
}

TEST(TaxpayerFormValuesTest, EveryFieldSurvivesTheRoundTrip) {
    TaxpayerRecord r = Person("", "", "80051212345");
    r.nazwisko = Cp("ŻÓŁW");
    r.imie1 = Cp("ŁUCJA");
    r.id = 77;
    r.nip = "123-456-78-90";
    r.us = Cp("Urząd Skarbowy w Łodzi");
    r.kraj = "POLSKA";
    r.wojewodztwo = Cp("łódzkie");
    r.powiat = "P";
    r.gmina = "G";
    r.ulica = "U";
    r.nrDomu = "1";
    r.nrLok = "2";
    r.miejsc = "M";
    r.kodPoczt = "90-001";
    r.poczta = "PO";
    r.pit11_od = "01-01-2006";
    r.pit11_do = "31-12-2006";
    r.pit11_33 = 4;
    r.pit40_34 = 5;
    r.pit11_PITR = 2;
    r.pit40_NIP3 = 1;
    r.pit40_PITR = 1;
    r.p11Box(34) = "5000,00";
    r.p11Box(78) = "1,00";
    r.p40Box(35) = "abc";  // not a number: kept as it is
    r.p40Box(76) = "2,00";
    const TaxpayerRecord back = RecordFromFormValues(FormValuesFromRecord(r));
    EXPECT_EQ(back.id, 0);  // the form has no identifier
    EXPECT_EQ(back.nip, r.nip);
    EXPECT_EQ(back.us, r.us);
    EXPECT_EQ(back.nazwisko, r.nazwisko);
    EXPECT_EQ(back.wojewodztwo, r.wojewodztwo);
    EXPECT_EQ(back.kodPoczt, r.kodPoczt);
    EXPECT_EQ(back.pit11_od, r.pit11_od);
    EXPECT_EQ(back.pit11_do, r.pit11_do);
    EXPECT_EQ(back.pit11_33, 4);
    EXPECT_EQ(back.pit40_34, 5);
    EXPECT_EQ(back.pit11_PITR, 2);
    EXPECT_EQ(back.pit40_NIP3, 1);
    EXPECT_EQ(back.pit40_PITR, 1);
    EXPECT_EQ(back.p11, r.p11);
    EXPECT_EQ(back.p40, r.p40);
}

TEST(TaxpayerFormValuesTest, LongTextsAreCutToTheFieldWidths) {
    TaxpayerFormValues v = NamesOnly("K", "J");
    v.nazwisko = QString(60, u'A');
    v.us = QString(120, u'U');
    const TaxpayerRecord r = RecordFromFormValues(v);
    EXPECT_EQ(r.nazwisko.size(), 50u);
    EXPECT_EQ(r.us.size(), 100u);
}

TEST(TaxpayerStoringTest, NamesAreRequiredButBlanksCount) {
    EXPECT_TRUE(HasRequiredNames(NamesOnly(" ", " ")));
    EXPECT_FALSE(HasRequiredNames(NamesOnly("", "JAN")));
    EXPECT_FALSE(HasRequiredNames(NamesOnly("KOWALSKI", "")));
}

TEST(TaxpayerStoringTest, WithoutCurrentTheRecordIsAddedAndSorted) {
    TaxpayerRegister reg;
    reg.Add(Person("ZAWADA", "ADAM", "1"));
    reg.ClearCurrent();
    ASSERT_TRUE(StoreTaxpayer(reg, Person("ABEL", "EWA", "2")));
    ASSERT_EQ(reg.count(), 2);
    EXPECT_EQ(reg.at(0).nazwisko, "ABEL");
    EXPECT_EQ(reg.at(1).nazwisko, "ZAWADA");
}

TEST(TaxpayerStoringTest, EditingReplacesTheCurrentRecordIdIncluded) {
    TaxpayerRegister reg;
    TaxpayerRecord imported = Person("NOWAK", "ANNA", "1");
    imported.id = 42;
    imported.ulica = "STARA";
    reg.Add(imported);
    reg.Add(Person("ZYCH", "OLA", "2"));
    ASSERT_TRUE(reg.SelectByIndex(0));
    ASSERT_TRUE(StoreTaxpayer(reg, Person("NOWAK", "ANNA", "1")));
    ASSERT_EQ(reg.count(), 2);
    EXPECT_EQ(reg.at(0).id, 0);
    EXPECT_TRUE(reg.at(0).ulica.empty());
}

TEST(TaxpayerStoringTest, AHandAddedDuplicateMergesIntoTheOlderRecord) {
    TaxpayerRegister reg;
    TaxpayerRecord older = Person("KOWALSKI", "JAN", "80051212345");
    older.p11Box(34) = "100,00";
    reg.Add(older);
    reg.ClearCurrent();
    TaxpayerRecord added = Person("KOWALSKI", "JAN", "80051212345");
    added.ulica = "NOWA";
    added.p11Box(34) = "999,00";
    ASSERT_TRUE(StoreTaxpayer(reg, added));
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.at(0).ulica, "NOWA");
    EXPECT_EQ(reg.at(0).p11Box(34), "100,00");
}

TEST(TaxpayerStoringTest, ARecordWithoutNamesChangesNothing) {
    TaxpayerRegister reg;
    reg.Add(Person("NOWAK", "ANNA", "1"));
    ASSERT_TRUE(reg.SelectByIndex(0));
    EXPECT_FALSE(StoreTaxpayer(reg, Person("", "ANNA", "1")));
    EXPECT_EQ(reg.at(0).nazwisko, "NOWAK");
}

class SharedFieldsTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* surname : {"A", "B", "C", "D", "E"}) {
            TaxpayerRecord r = Person(surname, "X", "");
            r.poczta = "OLD";
            r.kodPoczt = "11-111";
            r.miejsc = "TOWN";
            reg.Add(r);
        }
    }
    TaxpayerRegister reg;
};

TEST_F(SharedFieldsTest, OnlyFilledFieldsOfSelectedRowsChange) {
    SharedTaxpayerFields f;
    f.poczta = QStringLiteral("ŁÓDŹ");
    f.kodPoczt = QStringLiteral("  -   ");  // untouched mask
    f.pit11_od = QStringLiteral("0 -  -    ");  // typed partly: stored as it stands
    EXPECT_EQ(ApplySharedFields(reg, {1, 3, 4}, f), 3);
    for (int i = 0; i < reg.count(); ++i) {
        const bool selected = i == 1 || i == 3 || i == 4;
        EXPECT_EQ(reg.at(i).poczta, selected ? Cp("ŁÓDŹ") : "OLD") << i;
        EXPECT_EQ(reg.at(i).pit11_od, selected ? "0 -  -    " : "") << i;
        EXPECT_EQ(reg.at(i).kodPoczt, "11-111") << i;
        EXPECT_EQ(reg.at(i).miejsc, "TOWN") << i;
    }
    EXPECT_EQ(reg.currentIndex(), 1);  // the topmost selected record
}

TEST_F(SharedFieldsTest, EmptyFieldsChangeNoRecord) {
    SharedTaxpayerFields f;
    f.kodPoczt = QStringLiteral("  -   ");
    f.pit11_od = QStringLiteral("  -  -    ");
    f.pit11_do = QStringLiteral("  -  -    ");
    EXPECT_FALSE(f.anyFilled());
    EXPECT_EQ(ApplySharedFields(reg, {0, 1, 2}, f), 0);
    EXPECT_EQ(reg.at(0).poczta, "OLD");
    EXPECT_EQ(reg.at(0).kodPoczt, "11-111");
}

TEST_F(SharedFieldsTest, PositionsOutsideTheRegisterArePassedOver) {
    SharedTaxpayerFields f;
    f.gmina = QStringLiteral("G");
    EXPECT_EQ(ApplySharedFields(reg, {7, 2, -1}, f), 1);
    EXPECT_EQ(reg.at(2).gmina, "G");
    EXPECT_EQ(reg.currentIndex(), 2);
}

}  // namespace
