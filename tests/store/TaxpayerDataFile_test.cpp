#include "store/TaxpayerDataFile.h"

#include "store/DataFileCommands.h"
#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/PayerRecord.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <QFile>

#include <random>

namespace {

using store_test::cp;
using store_test::person;
using store_test::readBytes;
using store_test::writeBytes;

class TaxpayerDataFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // Loads text written to a file; the register starts with a record so emptying is visible.
    bool load(std::string_view text, TaxpayerRegister& reg) {
        writeBytes(path("in.txt"), text);
        reg.Add(person("Stary", "Rekord"));
        return LoadFromFile(reg, path("in.txt"));
    }

    QTemporaryDir dir_;
};

TaxpayerRecord fullRecord() {
    TaxpayerRecord r = person("Żółkiewski", "Stanisław", "80010112345");
    r.id = 77;
    r.nip = "123-456-78-90";
    r.dataUr = "1980-01-01";
    r.us = cp("Pierwszy Urząd Skarbowy w Łodzi");
    r.kraj = "POLSKA";
    r.wojewodztwo = cp("ŁÓDZKIE");
    r.powiat = cp("łódzki");
    r.gmina = cp("Łódź");
    r.ulica = cp("Piotrkowska");
    r.nrDomu = "12a";
    r.nrLok = "3";
    r.miejsc = cp("Łódź");
    r.kodPoczt = "90-001";
    r.poczta = cp("Łódź");
    r.pit11_33 = 4;
    r.pit40_34 = 5;
    r.pit11_PITR = 2;
    r.pit40_NIP3 = 1;
    r.pit40_PITR = 1;
    r.pit11_od = "01-01-2025";
    r.pit11_do = "31-12-2025";
    r.email = "s.zolkiewski@poczta.example.pl";
    r.p11Box(34) = "1234,56";
    r.p11Box(78) = "0,01";
    r.p40Box(35) = "-5,00";
    r.p40Box(76) = "99999999999999999,99";
    return r;
}

void expectSameExceptId(const TaxpayerRecord& a, const TaxpayerRecord& b) {
    EXPECT_EQ(a.nazwisko, b.nazwisko);
    EXPECT_EQ(a.imie1, b.imie1);
    EXPECT_EQ(a.pesel, b.pesel);
    EXPECT_EQ(a.nip, b.nip);
    EXPECT_EQ(a.dataUr, b.dataUr);
    EXPECT_EQ(a.us, b.us);
    EXPECT_EQ(a.kraj, b.kraj);
    EXPECT_EQ(a.wojewodztwo, b.wojewodztwo);
    EXPECT_EQ(a.powiat, b.powiat);
    EXPECT_EQ(a.gmina, b.gmina);
    EXPECT_EQ(a.ulica, b.ulica);
    EXPECT_EQ(a.nrDomu, b.nrDomu);
    EXPECT_EQ(a.nrLok, b.nrLok);
    EXPECT_EQ(a.miejsc, b.miejsc);
    EXPECT_EQ(a.kodPoczt, b.kodPoczt);
    EXPECT_EQ(a.poczta, b.poczta);
    EXPECT_EQ(a.pit11_33, b.pit11_33);
    EXPECT_EQ(a.pit40_34, b.pit40_34);
    EXPECT_EQ(a.pit11_PITR, b.pit11_PITR);
    EXPECT_EQ(a.pit40_NIP3, b.pit40_NIP3);
    EXPECT_EQ(a.pit40_PITR, b.pit40_PITR);
    EXPECT_EQ(a.pit11_od, b.pit11_od);
    EXPECT_EQ(a.pit11_do, b.pit11_do);
    EXPECT_EQ(a.email, b.email);
    EXPECT_EQ(a.p11, b.p11);
    EXPECT_EQ(a.p40, b.p40);
}

TEST_F(TaxpayerDataFileTest, SavingAndOpeningRestoresEveryFieldButTheId) {
    TaxpayerRegister reg;
    reg.Add(fullRecord());
    reg.Add(person("Abacki", "Jan"));
    reg.Sort(TaxpayerSortKey::SortByNazwisko);
    SaveToFile(reg, path("out.txt"));

    TaxpayerRegister back;
    ASSERT_TRUE(LoadFromFile(back, path("out.txt")));
    ASSERT_EQ(back.count(), 2);
    expectSameExceptId(back.at(1), fullRecord());
    EXPECT_EQ(back.at(1).id, 0);
    EXPECT_TRUE(back.at(0).p11Box(35).empty());
}

TEST_F(TaxpayerDataFileTest, WritesTheKeysInTheirOrderWithCrLf) {
    TaxpayerRegister reg;
    TaxpayerRecord first = person("Nowak", "Anna");
    first.p11Box(34) = "10,00";
    reg.Add(first);
    reg.Add(person("Zyta", "Ewa"));
    const std::string record1 =
        "[s1]\r\nnazwisko=Nowak\r\nimie1=Anna\r\nnip=\r\npesel=\r\ndataUr=\r\nulica=\r\nnrDomu=\r\nnrLok=\r\n"
        "miejsc=\r\nkraj=\r\nkodPoczt=\r\npoczta=\r\ngmina=\r\npowiat=\r\nwojewodztwo=\r\nus=\r\np11_34=10,00\r\n"
        "pit11_33=0\r\npit40_34=0\r\npit40_NIP3=0\r\npit40_PITR=0\r\npit11_PITR=0\r\npit11_od=\r\npit11_do=\r\n\r\n";
    const std::string text = TaxpayerFileText(reg);
    EXPECT_EQ(text.substr(0, record1.size()), record1);
    EXPECT_EQ(text.find("p11_", record1.size()), std::string::npos);  // no empty amounts for s2
    EXPECT_TRUE(text.ends_with("[s2]\r\nnazwisko=Zyta\r\nimie1=Ewa\r\nnip=\r\npesel=\r\ndataUr=\r\nulica=\r\nnrDomu=\r\n"
                               "nrLok=\r\nmiejsc=\r\nkraj=\r\nkodPoczt=\r\npoczta=\r\ngmina=\r\npowiat=\r\nwojewodztwo=\r\n"
                               "us=\r\npit11_33=0\r\npit40_34=0\r\npit40_NIP3=0\r\npit40_PITR=0\r\npit11_PITR=0\r\n"
                               "pit11_od=\r\npit11_do=\r\n\r\n[Parametry]\r\nLiczbaRekordow=2\r\n\r\n"));
    SaveToFile(reg, path("out.txt"));
    EXPECT_EQ(readBytes(path("out.txt")), text);
}

// The e-mail address is the last key of a section and stands only where there is one: a register
// without addresses is saved exactly as before. It is read as every other key.
TEST_F(TaxpayerDataFileTest, TheEmailKeyFollowsThePeriodAndOnlyWhenFilled) {
    TaxpayerRegister reg;
    TaxpayerRecord withAddress = person("Nowak", "Anna");
    withAddress.email = "anna.nowak@example.pl";
    reg.Add(withAddress);
    reg.Add(person("Zyta", "Ewa"));
    const std::string text = TaxpayerFileText(reg);
    EXPECT_NE(text.find("pit11_do=\r\nemail=anna.nowak@example.pl\r\n\r\n[s2]"), std::string::npos);
    EXPECT_EQ(text.find("email=", text.find("[s2]")), std::string::npos);

    TaxpayerRegister back;
    ASSERT_TRUE(load("[s1]\r\nnazwisko=Nowak\r\nimie1=Anna\r\n  EMAIL =  anna@example.pl  \r\n"
                     "[s2]\r\nnazwisko=Zyta\r\nimie1=Ewa\r\nEmail=" + std::string(300, 'e') + "@example.pl\r\n"
                     "[Parametry]\r\nLiczbaRekordow=2\r\n",
                     back));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(0).email, "anna@example.pl");
    EXPECT_EQ(back.at(1).email, std::string(254, 'e'));
}

// Several megabytes, written a piece at a time: the file is the same text as a whole, a line
// break inside a value becomes a space, and the file reads back to the same register.
TEST_F(TaxpayerDataFileTest, ALargeRegisterIsWrittenWholeAndReadsBack) {
    TaxpayerRegister reg;
    for (int i = 0; i < 9000; ++i) {
        TaxpayerRecord r = fullRecord();
        r.nazwisko = std::string("N").append(std::to_string(100000 + i));
        r.ulica = i % 2 ? "Dluga\r\n[s1]" : "Krotka\nx\ry";
        r.p40Box(76) = std::to_string(i) + "000000000000,00";
        reg.Add(r);
    }
    SaveToFile(reg, path("duzy.txt"));
    const std::string text = readBytes(path("duzy.txt"));
    EXPECT_GT(text.size(), std::size_t{3} << 20);
    EXPECT_EQ(text, TaxpayerFileText(reg));
    EXPECT_NE(text.find("ulica=Dluga  [s1]\r\n"), std::string::npos);
    EXPECT_NE(text.find("ulica=Krotka x y\r\n"), std::string::npos);

    TaxpayerRegister back;
    ASSERT_TRUE(LoadFromFile(back, path("duzy.txt")));
    ASSERT_EQ(back.count(), reg.count());
    for (int i = 0; i < reg.count(); i += 997) {
        EXPECT_EQ(back.at(i).nazwisko, reg.at(i).nazwisko);
        EXPECT_EQ(back.at(i).p40Box(76), reg.at(i).p40Box(76));
        EXPECT_EQ(back.at(i).p11, reg.at(i).p11);
    }
    EXPECT_EQ(TaxpayerFileText(back), text);  // the line breaks were written as spaces already
}

TEST_F(TaxpayerDataFileTest, SavingReplacesEverythingTheFileHeldIncludingThePayer) {
    TaxpayerRegister reg;
    reg.Add(person("Nowak", "Anna"));
    SaveToFile(reg, path("f.txt"));
    PayerRecord payer;
    payer.nazwa = "Firma";
    SaveToFile(payer, path("f.txt"));
    EXPECT_NE(readBytes(path("f.txt")).find("[Platnik]"), std::string::npos);
    // Writing the payer kept the taxpayer sections, "Platnik" after "Parametry".
    EXPECT_LT(readBytes(path("f.txt")).find("[Parametry]"), readBytes(path("f.txt")).find("[Platnik]"));
    SaveToFile(reg, path("f.txt"));
    EXPECT_EQ(readBytes(path("f.txt")), TaxpayerFileText(reg));
}

TEST_F(TaxpayerDataFileTest, ReaderToleranceFollowsTheIniRules) {
    TaxpayerRegister reg;
    ASSERT_TRUE(load("; zapisane ręcznie\r\n"
                     "[S1]\r\n  NAZWISKO =   Kowalski   \r\nImie1=Jan\r\nPIT11_33=300\r\npit40_34=x\r\n"
                     "pit11_PITR=0x102\r\nnieznany=1\r\n"
                     "[s2]\r\nnazwisko=Pierwsze\r\nimie1=Wystąpienie\r\n"
                     "[s3]\r\nimie1=BezNazwiska\r\n"
                     "[s2]\r\nnazwisko=Drugie\r\nimie1=Wystapienie\r\n"
                     "[s5]\r\nnazwisko=ZaLicznikiem\r\nimie1=X\r\n"
                     "[Parametry]\r\nliczbarekordow=4\r\n",
                     reg));
    ASSERT_EQ(reg.count(), 2);
    EXPECT_EQ(reg.at(0).nazwisko, "Drugie");
    EXPECT_EQ(reg.at(1).nazwisko, "Kowalski");
    EXPECT_EQ(reg.at(1).pit11_33, 44);
    EXPECT_EQ(reg.at(1).pit40_34, 0);
    EXPECT_EQ(reg.at(1).pit11_PITR, 2);
}

struct CountCase {
    const char* name;
    std::string parameters;
    bool loads;
    int records;  // after a failed load: the one record the register had before
};

class RecordCount : public TaxpayerDataFileTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(RecordCount, DecidesWhatIsRead) {
    const CountCase& c = GetParam();
    TaxpayerRegister reg;
    const std::string sections =
        "[s1]\r\nnazwisko=A\r\nimie1=a\r\n[s3]\r\nnazwisko=C\r\nimie1=c\r\n[s03]\r\nnazwisko=Zero\r\nimie1=z\r\n";
    EXPECT_EQ(load(sections + c.parameters, reg), c.loads);
    EXPECT_EQ(reg.count(), c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordCount,
    ::testing::Values(CountCase{"GapsAreSkipped", "[Parametry]\r\nLiczbaRekordow=3\r\n", true, 2},
                      CountCase{"BeyondTheCountIsNotRead", "[Parametry]\r\nLiczbaRekordow=2\r\n", true, 1},
                      CountCase{"Zero", "[Parametry]\r\nLiczbaRekordow=0\r\n", true, 0},
                      CountCase{"Negative", "[Parametry]\r\nLiczbaRekordow=-5\r\n", true, 0},
                      CountCase{"Hexadecimal", "[Parametry]\r\nLiczbaRekordow=0x3\r\n", true, 2},
                      CountCase{"NoParameters", "", true, 0},
                      CountCase{"NoCountKey", "[Parametry]\r\nInny=3\r\n", true, 0},
                      CountCase{"NotANumber", "[Parametry]\r\nLiczbaRekordow=abc\r\n", false, 1},
                      CountCase{"Empty", "[Parametry]\r\nLiczbaRekordow=\r\n", false, 1},
                      CountCase{"TooBigForAnInteger", "[Parametry]\r\nLiczbaRekordow=99999999999\r\n", false, 1},
                      CountCase{"HugeCountCostsNothing", "[Parametry]\r\nLiczbaRekordow=2147483647\r\n", true, 2}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(TaxpayerDataFileTest, ReadingSortsByTheRegistersOwnKey) {
    TaxpayerRegister reg;
    reg.Add(person("Zyta", "Adam"));
    reg.Add(person("Abel", "Zenon"));
    reg.Sort(TaxpayerSortKey::SortByImie);
    SaveToFile(reg, path("f.txt"));
    EXPECT_EQ(IniDocument::readFile(path("f.txt")).readString("s1", "nazwisko", ""), "Zyta");

    TaxpayerRegister back;  // sorts by surname
    ASSERT_TRUE(LoadFromFile(back, path("f.txt")));
    EXPECT_EQ(back.at(0).nazwisko, "Abel");
}

TEST_F(TaxpayerDataFileTest, LongValuesAreCutToTheFieldWidths) {
    TaxpayerRegister reg;
    const std::string longLine(10 * 1024 * 1024, 'x');
    // An amount fills its box to the full width; a longer one is refused, not cut
    // (AnAmountTooLongForItsBoxFailsTheLoad).
    ASSERT_TRUE(load("[s1]\r\nnazwisko=" + longLine + "\r\nimie1=Jan\r\npesel=123456789012345\r\np11_34=" +
                         std::string(20, '1') + "\r\n[Parametry]\r\nLiczbaRekordow=1\r\n",
                     reg));
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.at(0).nazwisko.size(), 50u);
    EXPECT_EQ(reg.at(0).pesel, "12345678901");
    EXPECT_EQ(reg.at(0).p11Box(34), std::string(20, '1'));
}

TEST_F(TaxpayerDataFileTest, AUtf8FileIsConvertedToCodePage1250) {
    TaxpayerRegister reg;
    ASSERT_TRUE(load("[s1]\r\nnazwisko=Żółć\r\nimie1=Jan\r\n[Parametry]\r\nLiczbaRekordow=1\r\n", reg));
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.at(0).nazwisko, cp("Żółć"));
    // Only a byte order mark makes UTF-8 certain when the code page lacks a character.
    ASSERT_TRUE(load("\xEF\xBB\xBF[s1]\r\nnazwisko=Żółć\r\nimie1=Jan 中\r\n[Parametry]\r\nLiczbaRekordow=1\r\n", reg));
    EXPECT_EQ(reg.at(0).imie1, "Jan ?");

    ASSERT_TRUE(load("\xEF\xBB\xBF[s1]\r\nnazwisko=Abc\r\nimie1=D\r\n[Parametry]\r\nLiczbaRekordow=1\r\n", reg));
    EXPECT_EQ(reg.count(), 1);

    // Code page 1250 text stays as it is, also where it happens to be valid UTF-8.
    ASSERT_TRUE(load(cp("[s1]\r\nnazwisko=GÓŁKA\r\nimie1=Łukasz\r\n[Parametry]\r\nLiczbaRekordow=1\r\n"), reg));
    EXPECT_EQ(reg.at(0).nazwisko, cp("GÓŁKA"));
    EXPECT_EQ(reg.at(0).imie1, cp("Łukasz"));
}

TEST_F(TaxpayerDataFileTest, BinaryAndTruncatedFilesDoNotBreakTheReader) {
    TaxpayerRegister reg;
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_NO_THROW(load(binary, reg));
    static constexpr char withNul[] = "[s1]\r\nnazwisko=A\0B\r\nimie1=x\r\n[Parametry]\r\nLiczbaRekordow=1";
    EXPECT_TRUE(load(std::string(withNul, sizeof withNul - 1), reg));
    EXPECT_EQ(reg.count(), 1);
    EXPECT_TRUE(load("[s1]\r\nnazwisko=Kowal", reg));
    EXPECT_TRUE(reg.empty());
}

TEST_F(TaxpayerDataFileTest, AMissingFileLoadsAsEmpty) {
    TaxpayerRegister reg;
    reg.Add(person("Stary", "Rekord"));
    EXPECT_TRUE(LoadFromFile(reg, path("brak.txt")));
    EXPECT_TRUE(reg.empty());
}

TEST_F(TaxpayerDataFileTest, FoldersDevicesAndUnreadableFilesFailWithAReason) {
    TaxpayerRegister reg;
    QString failure;
    EXPECT_FALSE(LoadFromFile(reg, dir_.path(), &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("folder"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(dir_.path())) << failure.toStdString();

    EXPECT_FALSE(LoadFromFile(reg, QStringLiteral("/dev/zero"), &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("zwykły plik"))) << failure.toStdString();

    writeBytes(path("secret.txt"), "[Parametry]\r\nLiczbaRekordow=0\r\n");
    QFile::setPermissions(path("secret.txt"), QFileDevice::WriteOwner);
    if (QFile(path("secret.txt")).open(QIODevice::ReadOnly)) GTEST_SKIP() << "running with root rights";
    EXPECT_FALSE(LoadFromFile(reg, path("secret.txt"), &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("Nie można odczytać"))) << failure.toStdString();
}

TEST_F(TaxpayerDataFileTest, AFileBeyondTheSizeLimitIsRefused) {
    QFile big(path("big.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(std::int64_t{300} * 1024 * 1024));  // sparse: no disk space used
    big.close();
    TaxpayerRegister reg;
    QString failure;
    EXPECT_FALSE(LoadFromFile(reg, path("big.txt"), &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("za duży"))) << failure.toStdString();
}

// An amount is never cut (what is left would be another number): a taxpayer with one longer than
// its box fails the load, which names the section, the taxpayer and the key, and leaves the
// register as it was. Texts longer than their fields are still cut, as the format wants. Both
// readers agree on every case.
TEST_F(TaxpayerDataFileTest, AnAmountTooLongForItsBoxFailsTheLoad) {
    const std::string tail = "\r\n[Parametry]\r\nLiczbaRekordow=3\r\n";
    const std::string first = "[s1]\r\nnazwisko=NOWAK\r\nimie1=JAN\r\np11_34=5,00\r\n";
    const std::string second = "[s2]\r\nnazwisko=" + cp("ŻAK") + "\r\nimie1=" + cp("ŁUCJA") + "\r\n";
    struct Case {
        const char* what;
        std::string lines;  // more lines of section s2
        const char* message;  // nullptr: loads
    };
    const Case cases[] = {
        {"21 characters", "p11_34=123456789012345678,99\r\n",
         "Podatnik z sekcji [s2] (ŻAK ŁUCJA): kwota p11_34 „123456789012345678,99” ma 21 znaków, a pole kwoty "
         "mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Pliku nie wczytano."},
        {"key in capitals, long value shown shortened", "P40_76 = " + std::string(41, '7') + ",00 \r\n",
         "Podatnik z sekcji [s2] (ŻAK ŁUCJA): kwota p40_76 „7777777777777777777777777777777777777777…” ma 44 "
         "znaki, a pole kwoty mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Pliku nie wczytano."},
        {"the lowest box of PIT-11/8B first", "p40_35=" + std::string(25, '1') + "\r\np11_78=" + std::string(22, '2') + "\r\n",
         "Podatnik z sekcji [s2] (ŻAK ŁUCJA): kwota p11_78 „2222222222222222222222” ma 22 znaki, a pole kwoty "
         "mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Pliku nie wczytano."},
        {"a later short value of the key wins", "p11_40=123456789012345678,99\r\np11_40=7,00\r\n", nullptr},
        {"a later long value of the key counts", "p11_40=7,00\r\np11_40=123456789012345678,99\r\n",
         "Podatnik z sekcji [s2] (ŻAK ŁUCJA): kwota p11_40 „123456789012345678,99” ma 21 znaków, a pole kwoty "
         "mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Pliku nie wczytano."},
        {"exactly 20 characters", "p40_35=12345678901234567,99\r\n", nullptr},
        {"a text longer than its field is cut", "us=" + std::string(150, 'U') + "\r\n", nullptr},
    };
    for (const Case& c : cases) {
        const std::string text = first + second + c.lines + tail;
        TaxpayerRegister reg;
        QString failure;
        writeBytes(path("in.txt"), text);
        reg.Add(person("Stary", "Rekord"));
        EXPECT_EQ(LoadFromFile(reg, path("in.txt"), &failure), c.message == nullptr) << c.what;
        TaxpayerRegister reference;
        QString referenceFailure;
        EXPECT_EQ(LoadFromDocument(reference, IniDocument::parse(text), &referenceFailure), c.message == nullptr) << c.what;
        EXPECT_EQ(referenceFailure, failure) << c.what;
        if (c.message) {
            EXPECT_EQ(failure.toStdString(), c.message) << c.what;
            ASSERT_EQ(reg.count(), 1) << c.what;  // the register as it was
            EXPECT_EQ(reg.at(0).nazwisko, "Stary") << c.what;
            continue;
        }
        EXPECT_EQ(reg.count(), 2) << c.what;
        EXPECT_EQ(TaxpayerFileText(reg), TaxpayerFileText(reference)) << c.what;
    }

    // The same in a section that is passed over (no first name) or beyond the count: nothing read.
    TaxpayerRegister reg;
    EXPECT_TRUE(load(first + "[s2]\r\nnazwisko=X\r\np11_34=" + std::string(30, '9') + "\r\n[s4]\r\nnazwisko=Y\r\n"
                     "imie1=Z\r\np11_34=" + std::string(30, '9') + tail, reg));
    ASSERT_EQ(reg.count(), 1);

    // Through the Open command: the message is shown as it is, not as a file without usable data.
    writeBytes(path("in.txt"), first + second + cases[0].lines + tail);
    TaxpayerRegister opened;
    opened.Add(person("Stary", "Rekord"));
    const OpenTaxpayersResult result = OpenTaxpayersFile(opened, path("in.txt"));
    EXPECT_FALSE(result.usable);
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(result.failure.toStdString(), cases[0].message);
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(TaxpayerDataFileTest, SavingIntoAMissingFolderOrOverAFolderThrowsAndNamesTheFile) {
    TaxpayerRegister reg;
    reg.Add(person("Nowak", "Anna"));
    try {
        SaveToFile(reg, path("brak/f.txt"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Nie można zapisać pliku"))) << error.what();
        EXPECT_TRUE(error.message().contains(QStringLiteral("nie istnieje"))) << error.what();
    }
    EXPECT_THROW(SaveToFile(reg, dir_.path()), FileError);
}

}  // namespace

namespace {

TEST(TaxpayerFileReader, AgreesWithTheDocumentReaderOnAwkwardFiles) {
    const std::string texts[] = {
        "[S1]\r\n NAZWISKO = A \r\nimie1=b\r\n[s1]\r\nnazwisko=C\r\nimie1=d\r\n[PARAMETRY]\r\nliczbaREKORDOW=1\r\n",
        "[s2]\nnazwisko=X\nimie1=y\n[Parametry]\nLiczbaRekordow=5\n[Parametry]\nLiczbaRekordow=2\r[s1]\rnazwisko=Z\rimie1=z",
        "[s1]\r\nnazwisko=A\r\nimie1=a\r\nNazwisko=B\r\n; nazwisko=C\r\n[s01]\r\nnazwisko=Q\r\nimie1=q\r\n"
        "[s3 ]\r\nnazwisko=R\r\nimie1=r\r\nP11_34=1\r\nP40_076=2\r\np40_76=3\r\n[Parametry]\r\nLiczbaRekordow=0x3\r\n",
        "[Parametry]\r\nLiczbaRekordow=1\r\n[s1]\r\n[x]\r\nnazwisko=N\r\nimie1=n\r\n",
        "[Parametry]\r\nLiczbaRekordow=zle\r\n[s1]\r\nnazwisko=N\r\nimie1=n\r\n",
        // Brackets that start no section: inside values, after text, alone, or not closed.
        "[s1]\r\nnazwisko=[s2]\r\nimie1=a [b]\r\nus = x[s3]\r\n[\r\n[s9\r\n x [s2]\r\n[Parametry]\r\nLiczbaRekordow=3\r\n"
        "[s2]\r\nnazwisko=B\r\nimie1=b\r\n",
        // Headers with blanks and control characters around them, lone CR and LF line ends, a
        // key line shaped like a section, "=" in values, keys with blanks and without a name.
        "\t [ s1 ]\t\rnazwisko\t= N = M \r\n\n\nimie1==i\n [a=b] \n=x\n;imie1=c\r\nimie1\r\n"
        "  [Parametry]  \r\n  LiczbaRekordow  =  1  ",
        // Keys in no particular order and case, repeated, unknown, very long; numbers of all kinds.
        "[s1]\r\npit11_do=31-12-2025\r\nIMIE1=X\r\nnazwisko=Y\r\nimie1=Z\r\nnieznany=1\r\n"
        "wojewodztwoxxxxxxxx=1\r\npit11_33=300\r\nPIT40_NIP3=0x1F\r\npit40_pitr=-1\r\npit11_PITR=x\r\n"
        "us=" + std::string(150, 'u') + "\r\np11_78=" + std::string(20, '9') + "\r\np40_35=12345678901,23\r\n"
        "p11_33=1\r\np40_77=1\r\np4_35=1\r\n[Parametry]\r\nLiczbaRekordow=1",
        // The same section number twice, out of order, and numbers past the count.
        "[s3]\r\nnazwisko=C\r\nimie1=c\r\n[s1]\r\nnazwisko=A\r\nimie1=a\r\n[s3]\r\nnazwisko=D\r\n"
        "[s2]\r\nnazwisko=B\r\nimie1=b\r\n[s4]\r\nnazwisko=E\r\nimie1=e\r\n[Parametry]\r\nLiczbaRekordow=3\r\n",
    };
    for (const std::string& text : texts) {
        TaxpayerRegister fast;
        TaxpayerRegister reference;
        EXPECT_EQ(LoadFromText(fast, text), LoadFromDocument(reference, IniDocument::parse(text))) << text;
        EXPECT_EQ(TaxpayerFileText(fast), TaxpayerFileText(reference)) << text;
    }
}

}  // namespace

namespace {

// Texts made at random of lines the reader cares about (headers, keys, comments, stray brackets
// and "=", blanks and line breaks of every kind, names in any case): the fast reader must end
// with the same register as the document reader every time.
TEST(TaxpayerFileReader, AgreesWithTheDocumentReaderOnRandomTexts) {
    const std::string_view sections[] = {"s1", "S2", "s3", " s1 ", "s01", "Parametry", "PARAMETRY", "x", "", "s4"};
    const std::string_view keys[] = {"nazwisko", "NAZWISKO", "imie1", " Imie1 ", "p11_34", "P40_76", "p40_77",
                                     "p11_35", "p11_78", "p40_35", "P11_36",
                                     "pit11_33", "LiczbaRekordow", "liczbarekordow", "wojewodztwo", "pit11_od",
                                     "", "[s2", ";nazwisko", "us"};
    const std::string_view values[] = {"Nowak", " Jan ", "3", "0x2", "-1", "1234,56", "\xA3\xF3" "d\x9F", "a=b",
                                       "[s1]", "", "12345678901234567890123"};
    const std::string_view breaks[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\n", " \t\r\n"};
    const std::string_view noise[] = {"[", "]", "[s1", "=", "; [s2]", "x [s3]", "\t", "[a=b]"};
    std::mt19937 random(1250);
    int withRecords = 0;
    for (int round = 0; round < 10000; ++round) {
        auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
        std::string text;
        const int lines = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < lines; ++i) {
            const auto kind = random() % 10;
            if (kind < 3) text.append(random() % 4 ? "" : " ").append("[").append(pick(sections)).append("]");
            else if (kind < 9) text.append(pick(keys)).append(random() % 4 ? "=" : " = ").append(pick(values));
            else text.append(pick(noise));
            text.append(pick(breaks));
        }
        // Mostly with a record count that lets records through, before or after the rest.
        if (random() % 4) {
            const std::string count = "[Parametry]" + std::string(pick(breaks)) + "LiczbaRekordow=3" + std::string(pick(breaks));
            text = random() % 2 ? count + text : text + count;
        }
        TaxpayerRegister fast;
        TaxpayerRegister reference;
        QString fastFailure;
        QString referenceFailure;
        ASSERT_EQ(LoadFromText(fast, text, &fastFailure), LoadFromDocument(reference, IniDocument::parse(text), &referenceFailure))
            << text;
        ASSERT_EQ(TaxpayerFileText(fast), TaxpayerFileText(reference)) << text;
        ASSERT_EQ(fastFailure, referenceFailure) << text;  // also which amount was too long, and whose
        withRecords += fast.empty() && !fastFailure.contains(QStringLiteral("kwota")) ? 0 : 1;
    }
    EXPECT_GT(withRecords, 200);  // the pieces do make records (or refused amounts) often enough to compare them
}

// Amount lines in box order, out of order, repeated far more often than a section has boxes, and
// emptied again: the fast reader keeps the last value of each box, as the document reader does.
TEST(TaxpayerFileReader, AmountLinesInAnyOrderAndNumber) {
    std::string ascending = "[s1]\nnazwisko=A\nimie1=B\n";
    for (int box = 34; box <= 78; ++box) ascending += "p11_" + std::to_string(box) + "=" + std::to_string(box) + ",00\n";
    std::string descending = "[s1]\nnazwisko=A\nimie1=B\n";
    for (int box = 76; box >= 35; --box) descending += "p40_" + std::to_string(box) + "=" + std::to_string(box) + ",50\n";
    std::string repeated = "[s1]\nnazwisko=A\nimie1=B\np11_35=7,00\n";
    for (int i = 0; i < 500; ++i) repeated += "p11_34=" + std::to_string(i) + ",00\np11_40=\n";
    repeated += "p11_35=\np11_36=1,00\n";
    for (const std::string& section : {ascending, descending, repeated}) {
        const std::string text = section + "[Parametry]\nLiczbaRekordow=1\n";
        TaxpayerRegister fast;
        TaxpayerRegister reference;
        ASSERT_TRUE(LoadFromText(fast, text));
        ASSERT_TRUE(LoadFromDocument(reference, IniDocument::parse(text)));
        ASSERT_EQ(fast.count(), 1);
        EXPECT_EQ(TaxpayerFileText(fast), TaxpayerFileText(reference));
        EXPECT_TRUE(fast.at(0).p11 == reference.at(0).p11 && fast.at(0).p40 == reference.at(0).p40);
    }
}

}  // namespace
