// The register out to delimited text and back in through the delimited import: the longest
// register the record holds (every text at its full width, Polish letters, every amount filled
// to 20 characters), an awkward one (empty amounts, values beginning like a spreadsheet formula,
// blanks at the ends, quotes and the other separators inside values, every flag value 0 to 255),
// for the tab and the semicolon. Then what the format cannot hold: refused before writing, naming
// the taxpayers and fields, with another separator suggested.

#include "import/DelimitedExport.h"
#include "import/DelimitedImport.h"
#include "store/Cp1250.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Cp(const char* utf8) { return cp1250::fromUnicode(QString::fromUtf8(utf8)); }

// `width` bytes of a text made of `letters` (code page 1250), ending in `tail`.
std::string Filled(std::size_t width, const std::string& letters, const std::string& tail) {
    std::string text;
    while (text.size() + tail.size() < width) text += letters[text.size() % letters.size()];
    return text + tail;
}

// Every field the format holds, in one list: what must come back.
std::vector<std::string> Held(const TaxpayerRecord& r) {
    std::vector<std::string> fields = {r.nazwisko.str(), r.imie1.str(),  r.pesel.str(),       r.nip.str(),
                                       r.dataUr.str(),   r.us.str(),     r.kraj.str(),        r.wojewodztwo.str(),
                                       r.powiat.str(),   r.gmina.str(),  r.miejsc.str(),      r.ulica.str(),
                                       r.nrDomu.str(),   r.nrLok.str(),  r.kodPoczt.str(),    r.poczta.str(),
                                       std::to_string(r.pit11_33),       std::to_string(r.pit11_PITR),
                                       std::to_string(r.pit40_34),       std::to_string(r.pit40_NIP3),
                                       std::to_string(r.pit40_PITR)};
    for (std::size_t k = 0; k < r.p11.size(); ++k) fields.push_back(std::string(r.p11[k].view()));
    for (std::size_t k = 0; k < r.p40.size(); ++k) fields.push_back(std::string(r.p40[k].view()));
    return fields;
}

std::vector<std::vector<std::string>> Held(const TaxpayerRegister& taxpayers) {
    std::vector<std::vector<std::string>> all;
    for (int i = 0; i < taxpayers.count(); ++i) all.push_back(Held(taxpayers.at(i)));
    return all;
}

TaxpayerRegister Longest() {
    TaxpayerRegister taxpayers;
    const std::string polish = Cp("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        TaxpayerRecord r;
        r.nazwisko = Filled(50, polish, "NAZWISKO" + n);
        r.imie1 = Filled(50, polish, "IMIE" + n);
        r.pesel = "8005171234" + n;
        r.nip = "526-025-09-9" + n;
        r.dataUr = "1980-05-1" + n;
        r.us = Filled(100, polish, "US" + n);
        r.kraj = Filled(50, polish, "KRAJ" + n);
        r.wojewodztwo = Filled(50, polish, "WOJ" + n);
        r.powiat = Filled(50, polish, "POW" + n);
        r.gmina = Filled(50, polish, "GM" + n);
        r.miejsc = Filled(50, polish, "MI" + n);
        r.ulica = Filled(50, polish, "UL" + n);
        r.nrDomu = Filled(15, polish, "D" + n);
        r.nrLok = Filled(15, polish, "L" + n);
        r.kodPoczt = "44-14" + n + "XXXX";
        r.poczta = Filled(50, polish, "PO" + n);
        r.pit11_33 = static_cast<std::uint8_t>(1 + i);
        r.pit11_PITR = 2;
        r.pit40_34 = static_cast<std::uint8_t>(3 + i);
        r.pit40_NIP3 = 1;
        r.pit40_PITR = 1;
        for (int box = 34; box <= 78; ++box) r.p11Box(box) = "12345678901234" + std::to_string(box) + n + ",9";
        for (int box = 35; box <= 76; ++box) r.p40Box(box) = "98765432109876" + std::to_string(box) + n + ",1";
        r.pit11_od = "01-01-2006";  // not in the format: comes back empty
        taxpayers.Add(r);
    }
    return taxpayers;
}

TaxpayerRegister Awkward() {
    TaxpayerRegister taxpayers;
    const char* starts[] = {"=SUMA(A1:A2)", "+48 600 100 200", "-NOWAK", "@LISTA"};
    for (int flag = 0; flag < 256; ++flag) {
        TaxpayerRecord r;
        char surname[16];
        std::snprintf(surname, sizeof surname, "K%03d", flag);
        r.nazwisko = surname;
        r.imie1 = Cp(flag % 2 ? " Żaneta " : "Łucja \"Lu\" | ,");
        r.us = starts[flag % 4];
        r.ulica = Cp(starts[(flag + 1) % 4]);
        r.nip = flag % 3 ? "" : "526-025-09-95";
        r.pit11_33 = static_cast<std::uint8_t>(flag);
        r.pit11_PITR = static_cast<std::uint8_t>(255 - flag);
        r.pit40_34 = static_cast<std::uint8_t>((flag * 7) % 256);
        r.pit40_NIP3 = static_cast<std::uint8_t>(flag % 2);
        r.pit40_PITR = static_cast<std::uint8_t>((flag + 1) % 2);
        if (flag % 5 == 0) r.p11Box(34 + flag % 45) = "-1,5";  // other boxes stay empty
        if (flag % 7 == 0) r.p40Box(76) = "0,00";
        taxpayers.Add(r);
    }
    return taxpayers;
}

}  // namespace

TEST(DelimitedExport, ImportGivesBackTheSameRegister) {
    QTemporaryDir dir;
    for (const auto& [name, make] : {std::pair{"longest", &Longest}, std::pair{"awkward", &Awkward}}) {
        TaxpayerRegister original = make();
        original.Sort(TaxpayerSortKey::SortByNazwisko);  // the order the import sorts into
        for (char separator : {'\t', ';'}) {
            SCOPED_TRACE(std::string(name) + (separator == '\t' ? " tab" : " semicolon"));
            const QString file = dir.filePath(QStringLiteral("out.txt"));
            ExportDelimited(original, file, separator);

            QFile written(file);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            const QByteArray bytes = written.readAll();
            const QList<QByteArray> lines = bytes.split('\n');
            ASSERT_EQ(lines.size(), original.count() + 1);  // CR LF after every line
            for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
                ASSERT_TRUE(lines[i].endsWith(QByteArray(1, separator) + "\r")) << i;
                EXPECT_EQ(lines[i].count(separator), 108);
            }

            TaxpayerRegister back;
            ASSERT_TRUE(ImportDelimited(back, file, separator));
            EXPECT_EQ(Held(back), Held(original));
            for (int i = 0; i < back.count(); ++i) {
                EXPECT_TRUE(back.at(i).pit11_od.empty());
                EXPECT_EQ(back.at(i).id, 0);
            }
        }
    }
}

TEST(DelimitedExport, AValueHoldingTheSeparatorStopsItBeforeAnythingIsWritten) {
    QTemporaryDir dir;
    TaxpayerRegister taxpayers;
    TaxpayerRecord a;
    a.nazwisko = Cp("KOWALSKA;NOWAK");
    a.imie1 = "ANNA";
    a.p40Box(35) = "1;5";
    TaxpayerRecord b;
    b.nazwisko = "ZIELINSKI";
    b.imie1 = "JAN";
    b.ulica = "LIPOWA\t7";
    TaxpayerRecord c;
    c.nazwisko = "ZYGMUNT";
    c.imie1 = "OLA";
    c.gmina = "DWA\r\nWIERSZE";
    for (const TaxpayerRecord* r : {&a, &b, &c}) taxpayers.Add(*r);
    const QString file = dir.filePath(QStringLiteral("out.txt"));
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();

    struct Case {
        char separator;
        QStringList named;
        QString suggestion;
    };
    const Case cases[] = {
        {';', {QStringLiteral("nr 1 (KOWALSKA;NOWAK ANNA), Nazwisko: „KOWALSKA;NOWAK”"),
               QStringLiteral("nr 1 (KOWALSKA;NOWAK ANNA), PIT-40 poz. 35: „1;5”"),
               QStringLiteral("nr 3 (ZYGMUNT OLA), Gmina")},
         QStringLiteral("np. „|”")},
        {'\t', {QStringLiteral("nr 2 (ZIELINSKI JAN), Ulica: „LIPOWA\t7”"), QStringLiteral("nr 3 (ZYGMUNT OLA), Gmina")},
         QStringLiteral("np. „|”")},
        {',', {QStringLiteral("nr 3 (ZYGMUNT OLA), Gmina: „DWA\r\nWIERSZE”")}, QStringLiteral("lub koniec wiersza")},
    };
    for (const Case& test : cases) {
        try {
            ExportDelimited(taxpayers, file, test.separator);
            ADD_FAILURE() << "written with " << test.separator;
        } catch (const DelimitedExportError& error) {
            for (const QString& part : test.named) EXPECT_TRUE(error.message().contains(part)) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(test.suggestion)) << error.message().toStdString();
        }
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
        earlier.close();
    }
    EXPECT_EQ(FindDelimitedExportProblems(taxpayers, '|').size(), 1u);  // only the line end
}
