// The names of the taxpayers' own PDF files: the person's name, namesakes told apart, the same
// name for a person whatever the register's order.

#include "formvel/TaxpayerPdfFileNames.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

namespace {

TaxpayerRecord Person(const QString& surname, const QString& name, const char* born = "", const char* pesel = "",
                      const char* street = "") {
    TaxpayerRecord r;
    r.nazwisko = cp1250::fromUnicode(surname);
    r.imie1 = cp1250::fromUnicode(name);
    r.dataUr = born;
    r.pesel = pesel;
    r.ulica = street;
    return r;
}

QStringList NamesOf(const std::vector<TaxpayerRecord>& records) {
    TaxpayerRegister taxpayers;
    for (const TaxpayerRecord& r : records) taxpayers.Add(r);
    return TaxpayerPdfFileNames(taxpayers);
}

// One register with every kind of likeness; each record's expected name beside it.
const std::vector<std::pair<TaxpayerRecord, QString>>& Register() {
    static const std::vector<std::pair<TaxpayerRecord, QString>> all = {
        {Person(QStringLiteral("ŻÓŁĆ"), QStringLiteral("ŁUCJA"), "1975-01-02", "75010212345"), QStringLiteral("ŻÓŁĆ_ŁUCJA.pdf")},
        // Namesakes told apart by the birth date; letter case does not make another person.
        {Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"), "1980-05-17", "80051712345"),
         QStringLiteral("NOWAK_ANNA_1980-05-17.pdf")},
        {Person(QStringLiteral("Nowak"), QStringLiteral("Anna"), "1991-11-30", "91113012345"),
         QStringLiteral("Nowak_Anna_1991-11-30.pdf")},
        // Born the same day: the PESEL too.
        {Person(QStringLiteral("KOT"), QStringLiteral("ALA"), "1970-03-04", "70030411111"),
         QStringLiteral("KOT_ALA_1970-03-04_70030411111.pdf")},
        {Person(QStringLiteral("KOT"), QStringLiteral("ALA"), "1970-03-04", "70030422222"),
         QStringLiteral("KOT_ALA_1970-03-04_70030422222.pdf")},
        // Alike in all three: a number in the order of the records' contents ("DŁUGA" < "KRÓTKA").
        {Person(QStringLiteral("LIS"), QStringLiteral("JAN"), "", "", "KRÓTKA"), QStringLiteral("LIS_JAN_2.pdf")},
        {Person(QStringLiteral("LIS"), QStringLiteral("JAN"), "", "", "DŁUGA"), QStringLiteral("LIS_JAN_1.pdf")},
        // What a file name cannot hold.
        {Person(QStringLiteral("AC/DC"), QStringLiteral("BON\tJOVI"), "", ""), QStringLiteral("AC_DC_BON_JOVI.pdf")},
        {Person(QStringLiteral("O'NEIL-SMITH"), QStringLiteral("MARY  ANN"), "", ""), QStringLiteral("O'NEIL-SMITH_MARY_ANN.pdf")},
        {Person(QStringLiteral("..\\X:Y*?"), QStringLiteral("<A>|\"B\""), "", ""), QStringLiteral(".._X_Y___A_B_.pdf")},
    };
    return all;
}

TEST(TaxpayerPdfFileNames, NameEachPersonAndTellNamesakesApart) {
    std::vector<TaxpayerRecord> records;
    QStringList expected;
    for (const auto& [record, name] : Register()) {
        records.push_back(record);
        expected << name;
    }
    EXPECT_EQ(NamesOf(records), expected);
}

// Every order of the register gives every person the same name.
TEST(TaxpayerPdfFileNames, DoNotDependOnTheRegistersOrder) {
    const auto& all = Register();
    std::vector<std::size_t> order(all.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        std::shuffle(order.begin(), order.end(), random);
        std::vector<TaxpayerRecord> records;
        for (const std::size_t i : order) records.push_back(all[i].first);
        const QStringList names = NamesOf(records);
        for (std::size_t k = 0; k < order.size(); ++k)
            ASSERT_EQ(names[static_cast<int>(k)], all[order[k]].second) << "round " << round;
    }
}

TEST(TaxpayerPdfFileNames, StayUniqueWhenANumberMeetsAnotherName) {
    const QStringList names = NamesOf({Person(QStringLiteral("KOT"), QStringLiteral("ALA")),
                                       Person(QStringLiteral("KOT"), QStringLiteral("ALA")),
                                       Person(QStringLiteral("KOT"), QStringLiteral("ALA 1")),
                                       Person(QString(QChar(0x20AC)).repeated(60), QStringLiteral("Ł").repeated(50))});
    EXPECT_EQ(names.mid(0, 3), (QStringList{"KOT_ALA_2.pdf", "KOT_ALA_3.pdf", "KOT_ALA_1.pdf"}));
    EXPECT_LE(names[3].toUtf8().size(), 255);  // a long name is cut to fit a file name
}

}  // namespace
