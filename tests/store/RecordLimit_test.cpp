// The register's limit and what a record costs: no file can take the register beyond its limit,
// the file's records are refused as a whole and the register the user had stays.
#include "store/DataFileCommands.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerRegister.h"

#include "StoreTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using store_test::person;

std::string Section(int number, const std::string& surname) {
    return "[s" + std::to_string(number) + "]\r\nnazwisko=" + surname + "\r\nimie1=Jan\r\n";
}

std::string FileOf(int sections, int count) {
    std::string text;
    for (int n = 1; n <= sections; ++n) text += Section(n, "Nowak" + std::to_string(n));
    return text + "[Parametry]\r\nLiczbaRekordow=" + std::to_string(count) + "\r\n";
}

// A record costs memory in proportion to what it holds: an empty one a few hundred bytes (it
// was 1.8 KB, the widths of all its fields), short texts and amounts nothing beyond that, and a
// long text or a filled amount about its own bytes.
TEST(RecordMemory, GrowsWithWhatTheRecordHolds) {
    EXPECT_LE(sizeof(TaxpayerRecord), 336u);
    TaxpayerRecord record = person("A", "B");
    EXPECT_EQ(record.heapBytes(), 0u);
    record.us = std::string(100, 'U');
    record.p11Box(34) = "1234,56";
    record.p40Box(76) = "99999999999999999,99";
    EXPECT_LE(record.heapBytes(), 100u + 64u);
    EXPECT_EQ(record.p11Box(34), "1234,56");
    EXPECT_EQ(record.p40Box(76), "99999999999999999,99");
    EXPECT_TRUE(record.p11Box(35).empty());

    // Boxes set out of order, changed, emptied and copied read back as set.
    TaxpayerRecord copy = record;
    copy.p11Box(78) = "1,00";
    copy.p11Box(40) = "2,00";
    copy.p11Box(34) = "";
    copy.p11Box(40) = "33,00";
    EXPECT_EQ(copy.p11Box(34), "");
    EXPECT_EQ(copy.p11Box(40), "33,00");
    EXPECT_EQ(copy.p11Box(78), "1,00");
    EXPECT_EQ(record.p11Box(34), "1234,56");  // the copy owns its amounts
    EXPECT_FALSE(copy.p11 == record.p11);
    copy.p11Box(78) = "";
    copy.p11Box(40) = "";
    copy.p11Box(34) = "1234,56";
    EXPECT_TRUE(copy.p11 == record.p11);
    copy.p11Box(34) = std::string(30, '9');  // cut to the width of an amount
    EXPECT_EQ(copy.p11Box(34).size(), 20u);
}

TEST(RecordLimit, IsOneMillionAndSaysSoInPolish) {
    EXPECT_EQ(TaxpayerRegister().recordLimit(), 1'000'000);
    const QString message = RecordLimitMessage(kMaxTaxpayers);
    EXPECT_TRUE(message.contains(QStringLiteral("1\u00A0000\u00A0000"))) << message.toStdString();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Rejestr podatników może pomieścić najwyżej"))) << message.toStdString();
    // The noun agrees with the number.
    for (const auto& [limit, words] : {std::pair{1, "1 rekord,"}, std::pair{2, "2 rekordy,"}, std::pair{5, "5 rekordów,"},
                                       std::pair{22, "22 rekordy,"}, std::pair{12, "12 rekordów,"}})
        EXPECT_TRUE(RecordLimitMessage(limit).contains(QString::fromUtf8(words))) << words;

    TaxpayerRegister reg;
    reg.setRecordLimit(2);
    EXPECT_TRUE(reg.Add(person("A", "B")));
    EXPECT_FALSE(reg.Add(person("A", "")));  // refused for its names before the limit counts
    EXPECT_TRUE(reg.Add(person("C", "D")));
    EXPECT_THROW(reg.Add(person("E", "F")), RecordLimitError);
    EXPECT_THROW(reg.AddFilled([](TaxpayerRecord&) { ADD_FAILURE() << "no record is made"; }), RecordLimitError);
    EXPECT_EQ(reg.count(), 2);
}

// Files with more records than the register may hold, among them a hostile one of millions of
// sections in few bytes: the load fails with the limit's message when the limit is reached, and
// the register the user had stays as it was. A file of exactly the limit loads.
TEST(RecordLimit, DataFileBeyondTheLimitLeavesTheRegisterAsItWas) {
    QTemporaryDir dir;
    std::string tiny;
    for (int n = 1; n <= 300'000; ++n) tiny += "[s" + std::to_string(n) + "]\nnazwisko=A\nimie1=B\n";
    tiny += "[Parametry]\nLiczbaRekordow=300000\n";
    std::string repeated;  // one section written over and over, then more of them
    for (int n = 0; n < 200'000; ++n) repeated += "[s1]\nnazwisko=A\nimie1=B\n";
    for (int n = 2; n <= 12; ++n) repeated += "[S" + std::to_string(n) + "]\nnazwisko=C\nimie1=D\n";
    repeated += "[Parametry]\nLiczbaRekordow=12\n";

    struct Case {
        const char* what;
        std::string text;
        bool fits;
    };
    const Case cases[] = {
        {"eleven sections", FileOf(11, 11), false},
        {"ten sections", FileOf(10, 10), true},
        {"eleven sections, count ten", FileOf(11, 10), true},
        {"300,000 tiny sections", tiny, false},
        {"one section repeated, then eleven", repeated, false},
    };
    for (const Case& c : cases) {
        const QString file = dir.filePath(QStringLiteral("plik.txt"));
        store_test::writeBytes(file, c.text);
        TaxpayerRegister reg;
        reg.setRecordLimit(10);
        reg.Sort(TaxpayerSortKey::SortByImie);
        reg.Add(person("Zawada", "Anna"));
        reg.Add(person("Abel", "Olga"));

        const OpenTaxpayersResult opened = OpenTaxpayersFile(reg, file);
        if (c.fits) {
            EXPECT_TRUE(opened.usable) << c.what;
            EXPECT_EQ(reg.count(), 10) << c.what;
            continue;
        }
        EXPECT_FALSE(opened.usable) << c.what;
        EXPECT_TRUE(opened.refused) << c.what;
        EXPECT_EQ(opened.failure, RecordLimitMessage(10)) << c.what;
        ASSERT_EQ(reg.count(), 2) << c.what;
        EXPECT_EQ(reg.at(0).nazwisko, "Zawada") << c.what;
        EXPECT_EQ(reg.at(1).nazwisko, "Abel") << c.what;
        EXPECT_EQ(reg.sortKey(), TaxpayerSortKey::SortByImie) << c.what;
        EXPECT_EQ(reg.recordLimit(), 10) << c.what;
    }
}

}  // namespace
