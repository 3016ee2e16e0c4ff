#include "store/PayerRecord.h"

#include "store/FileErrors.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

namespace {

using store_test::cp;
using store_test::readBytes;
using store_test::writeBytes;

class PayerFileTest : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(QStringLiteral("platnik.txt")); }
    QTemporaryDir dir_;
};

PayerRecord samplePayer() {
    PayerRecord payer;
    payer.NIP = "123-456-78-90";
    payer.regon = "123456789";
    payer.rodzaj = 1;
    payer.nazwa = cp("Przedsiębiorstwo Żółtej Łodzi");
    payer.kraj = "POLSKA";
    payer.wojewodztwo = cp("ŁÓDZKIE");
    payer.powiat = "x";
    payer.gmina = "y";
    payer.ulica = "Polna";
    payer.nrDomu = "1";
    payer.nrLok = "2";
    payer.miejscowosc = cp("Łódź");
    payer.kodPoczt = "90-001";
    payer.poczta = cp("Łódź");
    return payer;
}

TEST_F(PayerFileTest, WritesSectionPlatnikInKeyOrderAndReadsItBack) {
    SaveToFile(samplePayer(), file());
    EXPECT_EQ(readBytes(file()),
              cp("[Platnik]\r\nrodzaj=1\r\nnazwa=Przedsiębiorstwo Żółtej Łodzi\r\nkraj=POLSKA\r\nwojewodztwo=ŁÓDZKIE\r\n"
                 "powiat=x\r\ngmina=y\r\nulica=Polna\r\nnrDomu=1\r\nnrLok=2\r\nmiejscowosc=Łódź\r\nkodPoczt=90-001\r\n"
                 "poczta=Łódź\r\nNIP=123-456-78-90\r\n\r\n"));
    PayerRecord back;
    back.regon = "keep";
    LoadFromFile(back, file());
    const PayerRecord expected = samplePayer();
    EXPECT_EQ(back.regon, "keep");
    EXPECT_EQ(back.rodzaj, expected.rodzaj);
    EXPECT_EQ(back.NIP, expected.NIP);
    EXPECT_EQ(back.nazwa, expected.nazwa);
    EXPECT_EQ(back.wojewodztwo, expected.wojewodztwo);
    EXPECT_EQ(back.miejscowosc, expected.miejscowosc);
    EXPECT_EQ(back.poczta, expected.poczta);
    EXPECT_EQ(back.nrLok, expected.nrLok);
}

TEST_F(PayerFileTest, KindIsReadWhateverTheKeysCaseAndKeepsTheLowEightBits) {
    const std::pair<const char*, int> cases[] = {
        {"rodzaj=2", 2}, {"RODZAJ=2", 2}, {"Rodzaj=258", 2}, {"rodzaj=0x1", 1}, {"x=1", 0}};
    for (const auto& [line, kind] : cases) {
        writeBytes(file(), std::string("[platnik]\r\n") + line + "\r\n");
        PayerRecord payer = samplePayer();
        LoadFromFile(payer, file());
        EXPECT_EQ(payer.rodzaj, kind) << line;
        EXPECT_TRUE(payer.nrLok.empty()) << "a missing key empties its field";
        EXPECT_EQ(payer.regon, "123456789");
    }
}

TEST_F(PayerFileTest, AKindThatIsNotANumberLeavesTheRecordUnchanged) {
    writeBytes(file(), "[Platnik]\r\nrodzaj=osoba\r\nnazwa=Inna\r\n");
    PayerRecord payer = samplePayer();
    EXPECT_THROW(LoadFromFile(payer, file()), ConversionError);
    EXPECT_EQ(payer.nazwa, samplePayer().nazwa);
    EXPECT_EQ(payer.rodzaj, 1);
}

TEST_F(PayerFileTest, AnAbsentFileOrSectionEmptiesEverythingButRegon) {
    PayerRecord payer = samplePayer();
    LoadFromFile(payer, file());
    EXPECT_TRUE(payer.nazwa.empty());
    EXPECT_TRUE(payer.NIP.empty());
    EXPECT_EQ(payer.rodzaj, 0);
    EXPECT_EQ(payer.regon, "123456789");
}

TEST_F(PayerFileTest, SavingKeepsOtherSectionsNormalisedAndReplacesKeysInPlace) {
    writeBytes(file(),
               "; komentarz\r\n[Parametry]\r\n  LiczbaRekordow = 0 \r\n\r\n"
               "[PLATNIK]\r\nRodzaj=2\r\nwlasny=1\r\nbez rownosci\r\n");
    SaveToFile(samplePayer(), file());
    const std::string text = readBytes(file());
    EXPECT_TRUE(text.starts_with("[Parametry]\r\nLiczbaRekordow=0\r\n\r\n[PLATNIK]\r\nrodzaj=1\r\nwlasny=1\r\n"
                                 "bez rownosci\r\nnazwa="))
        << text;
    EXPECT_TRUE(text.ends_with("NIP=123-456-78-90\r\n\r\n"));
}

TEST_F(PayerFileTest, LongValuesAreCut) {
    writeBytes(file(), "[Platnik]\r\nnrDomu=" + std::string(40, '9') + "\r\n");
    PayerRecord payer;
    LoadFromFile(payer, file());
    EXPECT_EQ(payer.nrDomu.size(), 15u);
}

}  // namespace
