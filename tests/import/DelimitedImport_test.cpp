#include "import/DelimitedImport.h"

#include "store/FileErrors.h"
#include "store/OverlongAmount.h"

#include "PlatnikTestAccess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A complete line of 108 values, each followed by the separator.
std::string FullLine(char sep, const std::string& surname, const std::string& name,
                     const std::string& flags = "1|2|3|1|1") {
    std::string line = surname + sep + name + sep;
    for (const char* v : {"80031512370", "526-000-12-00", "1980-03-15", "Urząd Skarbowy Warszawa-Wola", "POLSKA",
                          "MAZOWIECKIE", "warszawski", "Warszawa", "Warszawa", "Długa", "7", "2", "00-950", "Warszawa"})
        line += Cp(v) + sep;
    std::string f = flags;
    for (char& c : f)
        if (c == '|') c = sep;
    line += f + sep;
    for (int box = 34; box <= 78; ++box) line += std::to_string(box) + ",00" + sep;
    for (int box = 35; box <= 76; ++box) line += std::to_string(box) + ",50" + sep;
    return line;
}

TaxpayerRecord Zawada() {
    TaxpayerRecord record;
    record.nazwisko = "ZAWADA";
    record.imie1 = "ANNA";
    record.pesel = "75110245621";
    return record;
}

TEST(TakeField, SplitsAtTheFirstSeparatorOnly) {
    std::string_view rest = "a;b;";
    EXPECT_EQ(TakeField(rest, ';'), "a");
    EXPECT_EQ(rest, "b;");
    EXPECT_EQ(TakeField(rest, ';'), "b");
    EXPECT_EQ(TakeField(rest, ';'), "");
    rest = "bez separatora";
    EXPECT_EQ(TakeField(rest, ';'), "");
    EXPECT_EQ(rest, "bez separatora");
}

TEST(ImportDelimited, CompleteLineFillsEveryField) {
    TaxpayerRegister taxpayers;
    ASSERT_TRUE(ImportDelimitedText(taxpayers, FullLine('\t', Cp("ŻAK"), Cp("ŁUKASZ")) + "\r\n", '\t'));
    ASSERT_EQ(taxpayers.count(), 1);
    const TaxpayerRecord& r = taxpayers.at(0);
    EXPECT_EQ(r.nazwisko, Cp("ŻAK"));
    EXPECT_EQ(r.imie1, Cp("ŁUKASZ"));
    EXPECT_EQ(r.nip, "526-000-12-00");  // stored as written
    EXPECT_EQ(r.us, Cp("Urząd Skarbowy Warszawa-Wola"));
    EXPECT_EQ(r.kraj, "POLSKA");
    EXPECT_EQ(r.wojewodztwo, "MAZOWIECKIE");
    EXPECT_EQ(r.powiat, "warszawski");
    EXPECT_EQ(r.gmina, "Warszawa");
    EXPECT_EQ(r.miejsc, "Warszawa");
    EXPECT_EQ(r.ulica, Cp("Długa"));
    EXPECT_EQ(r.nrDomu, "7");
    EXPECT_EQ(r.nrLok, "2");
    EXPECT_EQ(r.kodPoczt, "00-950");
    EXPECT_EQ(r.poczta, "Warszawa");
    EXPECT_EQ(r.pit11_33, 1);
    EXPECT_EQ(r.pit11_PITR, 2);
    EXPECT_EQ(r.pit40_34, 3);
    EXPECT_EQ(r.pit40_NIP3, 1);
    EXPECT_EQ(r.pit40_PITR, 1);
    EXPECT_EQ(r.p11Box(34), "34,00");
    EXPECT_EQ(r.p11Box(78), "78,00");
    EXPECT_EQ(r.p40Box(35), "35,50");
    EXPECT_EQ(r.p40Box(76), "76,50");
    EXPECT_EQ(r.id, 0);
    EXPECT_TRUE(r.pit11_od.empty() && r.pit11_do.empty());
}

struct LineCase {
    const char* what;
    std::string text;
    char separator;
    int added;
};

TEST(ImportDelimited, OddFiles) {
    const std::string longName(80, 'X');
    const LineCase cases[] = {
        {"last value without a separator is lost", "KOWALSKI;JAN", ';', 0},
        {"names each followed by the separator", "KOWALSKI;JAN;", ';', 1},
        {"empty lines", "\r\n\r\n\n", ';', 0},
        {"empty file", "", ';', 0},
        {"LF and lone CR line ends", "A;B;\nC;D;\rE;F;", ';', 3},
        {"space as separator", "NOWAK ANNA ", ' ', 1},
        {"wrong separator chosen", "NOWAK;ANNA;", ',', 0},
        {"binary bytes", std::string("\0\xff;\x01;\r\n", 7), ';', 1},
        {"value longer than its field is cut", longName + "|" + longName + "|", '|', 1},
        {"more than 108 values", FullLine(',', "A", "B") + "nadmiar,jeszcze,", ',', 1},
    };
    for (const LineCase& c : cases) {
        TaxpayerRegister taxpayers;
        const bool imported = ImportDelimitedText(taxpayers, c.text, c.separator);
        EXPECT_EQ(taxpayers.count(), c.added) << c.what;
        EXPECT_EQ(imported, c.added > 0) << c.what;
    }
    TaxpayerRegister cut;
    ImportDelimitedText(cut, longName + "|" + longName + "|", '|');
    EXPECT_EQ(cut.at(0).nazwisko.size(), 50u);
}

TEST(ImportDelimited, FlagValues) {
    struct Case {
        const char* flags;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {"|||||", true, nullptr},  // empty flags are 0
        {"0|4|5|1|255", true, nullptr},
        {"+2|0|0|0|0", true, nullptr},
        {"x|0|0|0|0", false, "'x' is not a valid integer value"},
        {"1|2,5|0|0|0", false, "'2,5' is not a valid integer value"},
        {"1| 2|0|0|0", true, nullptr},
        {"1|2 |0|0|0", false, "'2 ' is not a valid integer value"},
        {"1|  |0|0|0", false, "'  ' is not a valid integer value"},
        {"0|0|0|0|256", false, "'256' is not within the range 0 to 255"},
        {"0|0|-1|0|0", false, "'-1' is not within the range 0 to 255"},
        {"0|0|99999999999999999999|0|0", false, "'99999999999999999999' is not within the range 0 to 255"},
    };
    for (const Case& c : cases) {
        TaxpayerRegister taxpayers;
        const std::string text = FullLine(';', "NOWAK", "JAN") + "\r\n" + FullLine(';', "ADAMSKI", "PIOTR", c.flags);
        if (c.ok) {
            EXPECT_TRUE(ImportDelimitedText(taxpayers, text, ';')) << c.flags;
            continue;
        }
        try {
            ImportDelimitedText(taxpayers, text, ';');
            ADD_FAILURE() << "accepted " << c.flags;
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.message().toStdString(), c.message);
        }
        // The line before stays; the register is not re-sorted after the failure.
        ASSERT_EQ(taxpayers.count(), 1) << c.flags;
        EXPECT_EQ(taxpayers.at(0).nazwisko, "NOWAK");
    }
}

TEST(ImportDelimited, AppendsToTheRegisterThenSortsAndMerges) {
    TaxpayerRegister taxpayers;
    TaxpayerRecord existing;
    TaxpayerRegister::ClearRecord(existing);
    existing.nazwisko = "ZAWADA";
    existing.imie1 = "ANNA";
    existing.pesel = "75110245621";
    taxpayers.Add(existing);
    const std::string text = "NOWAK;JAN;\r\nZAWADA;ANNA;75110245621;;;;;;;;;Kwiatowa;\r\nNOWAK;JAN;\r\n";
    ASSERT_TRUE(ImportDelimitedText(taxpayers, text, ';'));
    // The two NOWAK JAN lines have nothing that marks them as one person: both stay.
    ASSERT_EQ(taxpayers.count(), 3);
    EXPECT_EQ(taxpayers.at(0).nazwisko, "NOWAK");
    EXPECT_EQ(taxpayers.at(1).nazwisko, "NOWAK");
    EXPECT_EQ(taxpayers.at(2).nazwisko, "ZAWADA");
    EXPECT_EQ(taxpayers.at(2).ulica, "Kwiatowa");  // taken from the merged line
}

TEST(ImportDelimited, FromFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dane.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(Cp("ŚLIWA\tBOŻENA\t\r\n")));
    file.close();
    TaxpayerRegister taxpayers;
    EXPECT_TRUE(ImportDelimited(taxpayers, path, '\t'));
    EXPECT_EQ(taxpayers.at(0).nazwisko, Cp("ŚLIWA"));

    EXPECT_THROW(ImportDelimited(taxpayers, dir.filePath(QStringLiteral("brak.txt")), '\t'), FileError);
    EXPECT_THROW(ImportDelimited(taxpayers, dir.path(), '\t'), FileError);
    EXPECT_EQ(taxpayers.count(), 1);
}

// The file of the issue ("A;B;" over and over), kept small by a small limit: the import stops
// when the limit is reached, adds none of the file's taxpayers, and sorts and merges nothing.
TEST(ImportDelimited, FileBeyondTheLimitAddsNothing) {
    TaxpayerRegister taxpayers;
    taxpayers.setRecordLimit(1000);
    taxpayers.Add(Zawada());
    taxpayers.Add(Zawada());  // a duplicate the import's merge would fold
    std::string text;
    for (int i = 0; i < 1'800'000; ++i) text += "A;B;\r\n";
    try {
        ImportDelimitedText(taxpayers, text, ';');
        FAIL() << "the whole file was taken";
    } catch (const RecordLimitError& error) {
        EXPECT_EQ(error.message(), RecordLimitMessage(1000));
    }
    ASSERT_EQ(taxpayers.count(), 2);
    EXPECT_EQ(taxpayers.at(1).nazwisko, "ZAWADA");
    // Exactly up to the limit is fine.
    text.resize(998 * 6);
    EXPECT_TRUE(ImportDelimitedText(taxpayers, text, ';'));
    EXPECT_EQ(taxpayers.count(), 1000 - 1);  // the two ZAWADA records folded into one
}

// A line with the two names, the values 3 to 21 empty, PIT-11/8B amounts of 1,00 and PIT-40
// amounts of 2,00, except `value` in box `box` of the form chosen by `pit11`.
std::string AmountLine(const std::string& surname, const std::string& name, bool pit11, int box, const std::string& value) {
    std::string line = surname + ";" + name + ";" + std::string(19, ';');
    for (int b = 34; b <= 78; ++b) line += (pit11 && b == box ? value : std::string("1,00")) + ";";
    for (int b = 35; b <= 76; ++b) line += (!pit11 && b == box ? value : std::string("2,00")) + ";";
    return line;
}

// An amount is never cut: a taxpayer with one too long for its box stops the import, which keeps
// nothing of the file and says where, who and which box. Texts are still cut (OddFiles).
TEST(ImportDelimited, AnAmountTooLongForItsBoxAddsNothing) {
    const std::string digits45 = "123456789012345678901234567890123456789012,50";
    struct Case {
        const char* what;
        std::string line;  // the second of three lines
        const char* message;  // nullptr: imported
    };
    const Case cases[] = {
        {"21 characters", AmountLine("ADAMSKI", "PIOTR", true, 34, "123456789012345678,99"),
         "Podatnik z wiersza 2 (ADAMSKI PIOTR): kwota p11_34 „123456789012345678,99” ma 21 znaków, a pole kwoty "
         "mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Nie zaimportowano żadnego podatnika z tego pliku."},
        {"last PIT-40 box, shown shortened", AmountLine("ADAMSKI", "PIOTR", false, 76, digits45),
         "Podatnik z wiersza 2 (ADAMSKI PIOTR): kwota p40_76 „1234567890123456789012345678901234567890…” ma 45 "
         "znaków, a pole kwoty mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Nie zaimportowano żadnego "
         "podatnika z tego pliku."},
        {"22 characters of blanks around an amount", AmountLine("ADAMSKI", "PIOTR", true, 78, " 12345678901234567,5  "),
         "Podatnik z wiersza 2 (ADAMSKI PIOTR): kwota p11_78 „ 12345678901234567,5  ” ma 22 znaki, a pole kwoty "
         "mieści najwyżej 20 – po obcięciu byłaby inną kwotą. Nie zaimportowano żadnego podatnika z tego pliku."},
        {"exactly 20 characters", AmountLine("ADAMSKI", "PIOTR", true, 34, "12345678901234567,99"), nullptr},
        {"a line refused for its names is passed over", AmountLine("ADAMSKI", "", true, 34, digits45), nullptr},
    };
    for (const Case& c : cases) {
        TaxpayerRegister taxpayers;
        taxpayers.Add(Zawada());
        const std::string text = AmountLine("NOWAK", "JAN", true, 34, "5,00") + "\r\n" + c.line + "\r\n" +
                                 AmountLine("BAKAL", "EWA", false, 35, "6,00") + "\r\n";
        if (!c.message) {
            EXPECT_TRUE(ImportDelimitedText(taxpayers, text, ';')) << c.what;
            EXPECT_EQ(taxpayers.count(), c.line.find("PIOTR") != std::string::npos ? 4 : 3) << c.what;
            continue;
        }
        try {
            ImportDelimitedText(taxpayers, text, ';');
            ADD_FAILURE() << "accepted: " << c.what;
        } catch (const OverlongAmountError& error) {
            EXPECT_EQ(error.message().toStdString(), c.message) << c.what;
        }
        ASSERT_EQ(taxpayers.count(), 1) << c.what;  // the lines before it are gone too
        EXPECT_EQ(taxpayers.at(0).nazwisko, "ZAWADA") << c.what;
    }
    // An amount of exactly 20 characters is kept as it is.
    TaxpayerRegister whole;
    ImportDelimitedText(whole, AmountLine("ADAMSKI", "PIOTR", true, 34, "12345678901234567,99") + "\r\n", ';');
    EXPECT_EQ(whole.at(0).p11Box(34), "12345678901234567,99");
}

}  // namespace
