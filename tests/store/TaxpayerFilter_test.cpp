#include "store/TaxpayerFilter.h"

#include "store/Cp1250.h"
#include "store/TaxpayerRegister.h"

#include <gtest/gtest.h>

namespace {

TaxpayerRecord taxpayer(const char* nazwisko, const char* imie, const char* pesel, const char* nip,
                        const char* us = "") {
    TaxpayerRecord record;
    record.nazwisko = cp1250::fromUnicode(QString::fromUtf8(nazwisko));
    record.imie1 = cp1250::fromUnicode(QString::fromUtf8(imie));
    record.pesel = pesel;
    record.nip = nip;
    record.us = cp1250::fromUnicode(QString::fromUtf8(us));
    return record;
}

struct Case {
    const char* text;
    const char* nazwisko;
    const char* imie;
    const char* pesel;
    const char* nip;
    bool found;
};

// What the search finds; the PESEL and the NIP of each row belong to nobody else's row.
const Case kCases[] = {
    {"", "NOWAK", "JAN", "80010112345", "111-222-33-44", true},
    {"   ", "NOWAK", "JAN", "80010112345", "111-222-33-44", true},
    {"kowal", "KOWALSKI", "JAN", "80010112346", "", true},
    {"  NoWaK ", "NOWAK", "EWA", "80010112347", "", true},
    {"walsk", "KOWALSKI", "PIOTR", "80010112348", "", true},
    {"lodz", "ŁÓDŹ", "ANNA", "80010112349", "", true},
    {"ŁÓDŹ", "LODZ", "ANNA", "80010112350", "", true},
    {"żółć", "ZOLCINSKI", "ADAM", "80010112351", "", true},
    {"zdzis", "KRÓL", "ZDZISŁAW", "80010112352", "", true},
    {"śląsk", "ŚLĄSKA", "OLGA", "80010112353", "", true},
    {"ñowak", "NOWAKOWSKI", "IGOR", "80010112354", "", true},     // the tilde goes like the Polish marks
    {"ив", "IWANOW", "IWAN", "80010112355", "", false},           // letters the code page lacks
    {"ko-wal", "KOWALSKA", "ZOFIA", "80010112356", "", false},    // dashes count in names
    {"-", "NOWAK-KOWALSKA", "ZOFIA", "80010112357", "", true},
    {"-", "NOWAK", "ZOFIA", "80010112358", "123-456-78-90", false},  // a dash alone is no NIP
    {"0101123", "MAJ", "EDWARD", "85010112359", "", true},
    {"1234567890", "MAJ", "FELIKS", "86010112360", "123-456-78-90", true},
    {"123-45", "MAJ", "GUSTAW", "87010112361", "1234567891", true},
    {"56 78", "MAJ", "HENRYK", "88010112362", "123-456-78-92", true},
    {"456-7", "MAJ", "IRENA", "89010112363", "123 456 78 93", true},
    {"9999", "MAJ", "JULIA", "90010112364", "123-456-78-94", false},
    {"nowy", "MAJ", "KAROL", "91010112365", "123-456-78-95", false},
};

TEST(TaxpayerFilter, FindsByNamePeselAndNip) {
    for (const Case& c : kCases) {
        const TaxpayerFilter filter(QString::fromUtf8(c.text));
        EXPECT_EQ(filter.matches(taxpayer(c.nazwisko, c.imie, c.pesel, c.nip)), c.found)
            << "\"" << c.text << "\" in " << c.nazwisko << " " << c.imie << " " << c.pesel << " " << c.nip;
    }
}

TEST(TaxpayerFilter, LooksOnlyAtTheFourFieldsAndKeepsTheRegistersOrder) {
    TaxpayerRegister taxpayers;
    taxpayers.Add(taxpayer("ZAWADA", "ADAM", "70010100001", "", "US Kraków"));
    taxpayers.Add(taxpayer("KRAKOWSKI", "BOGDAN", "70010100002", ""));
    taxpayers.Add(taxpayer("ABEL", "CEZARY", "70010100003", ""));
    taxpayers.Add(taxpayer("NOWAK", "KRAKUS", "70010100004", ""));
    TaxpayerSearchText text;
    text.build(taxpayers);
    EXPECT_TRUE(text.follows(taxpayers));
    std::vector<int> positions = {7, 8, 9};
    TaxpayerFilter(u"krak").collect(text, positions);
    EXPECT_EQ(positions, (std::vector<int>{1, 3}));  // the tax office is not searched
    TaxpayerFilter(u"70010100003").collect(text, positions);
    EXPECT_EQ(positions, std::vector<int>{2});
    TaxpayerFilter(u"ив").collect(text, positions);
    EXPECT_TRUE(positions.empty());
    taxpayers.DeleteAt(0);
    EXPECT_FALSE(text.follows(taxpayers));
    EXPECT_TRUE(TaxpayerFilter(u" ").empty());
    EXPECT_TRUE(TaxpayerFilter(u" ").matches(taxpayers.at(0)));
    EXPECT_FALSE(TaxpayerFilter(u"ив").empty());
}

}  // namespace
