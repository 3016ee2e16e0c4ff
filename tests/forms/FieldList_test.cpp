// The field lists of PIT-11/8B and PIT-40: the edition symbols, the coded boxes, the birth date,
// the lines left out and the order of every line.

#include "forms/FieldList.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TaxpayerRecord sampleTaxpayer() {
    TaxpayerRecord record;
    record.nazwisko = "NOWAK";
    record.imie1 = "ANNA";
    record.nip = "676-234-51-89";
    record.dataUr = "1970-01-31";
    record.us = "US KRAK\xD3W";  // code page 1250 goes through as bytes
    record.pit11_od = "01-01-2006";
    record.pit11_do = "31-12-2006";
    record.pit11_33 = 1;
    record.pit40_34 = 1;
    record.pit11_PITR = 1;
    record.pit40_NIP3 = 1;
    record.pit40_PITR = 1;
    return record;
}

PayerRecord samplePayer() {
    PayerRecord payer;
    payer.NIP = "677-120-03-49";
    payer.rodzaj = 1;
    payer.nazwa = "FIRMA";
    return payer;
}

struct Case {
    const char* name;
    FormKind kind;
    std::function<void(TaxpayerRecord&, PayerRecord&, FieldListChoices&)> change;
    QByteArrayList present;  // lines the list holds
    QByteArrayList absent;   // line beginnings it must not hold
};

int indexOf(const QByteArrayList& lines, const QByteArray& line) { return static_cast<int>(lines.indexOf(line)); }

bool hasPrefix(const QByteArrayList& lines, const QByteArray& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& line) { return line.startsWith(prefix); });
}

QByteArrayList build(FormKind kind, const TaxpayerRecord* taxpayer, const PayerRecord& payer,
                     FieldListChoices choices, std::optional<QByteArray>* symbol = nullptr) {
    EditionSymbols symbols;
    SetEditionSymbols(symbols, 1);
    choices.kind = kind;
    QByteArrayList lines{"p999=left over"};
    const auto result = BuildFieldList(lines, choices, taxpayer, payer, symbols);
    if (symbol) *symbol = result;
    return lines;
}

}  // namespace

TEST(FieldList, EditionSymbolsFollowTheFormYear) {
    EditionSymbols symbols;
    SetEditionSymbols(symbols, 0);
    EXPECT_EQ(symbols.pit11, "PIT118B_C");
    EXPECT_EQ(symbols.pit40, "PIT40_13");
    SetEditionSymbols(symbols, 1);
    EXPECT_EQ(symbols.pit11, "PIT118B_14");
    EXPECT_EQ(symbols.pit40, "PIT40_14");
    for (int other : {-1, 2}) {
        SetEditionSymbols(symbols, other);
        EXPECT_EQ(symbols.pit11, "PIT118B_14") << other;
        EXPECT_EQ(symbols.pit40, "PIT40_14") << other;
    }
}

TEST(FieldList, SymbolAndNoLinesWithoutATaxpayer) {
    const PayerRecord payer = samplePayer();
    std::optional<QByteArray> symbol;
    EXPECT_TRUE(build(FormKind::Pit11, nullptr, payer, {}, &symbol).isEmpty());
    EXPECT_EQ(symbol, QByteArray("PIT118B_14"));
    EXPECT_TRUE(build(FormKind::Pit40, nullptr, payer, {}, &symbol).isEmpty());
    EXPECT_EQ(symbol, QByteArray("PIT40_14"));
    const TaxpayerRecord taxpayer = sampleTaxpayer();
    EXPECT_TRUE(build(FormKind::None, &taxpayer, payer, {}, &symbol).isEmpty());
    EXPECT_EQ(symbol, std::nullopt);
}

TEST(FieldList, EdgeCases) {
    using K = FormKind;
    const Case cases[] = {
        {"birth date PIT-11", K::Pit11, {}, {"p22=31-01 1970"}, {}},
        {"PIT-8B struck out", K::Pit11, [](auto&, auto&, auto& c) { c.strikePit11 = false; },
         {"pSKR.01=00", "pSKR.02=01"}, {}},
        {"birth date PIT-40", K::Pit40, {}, {"p21=31-01 1970"}, {}},
        {"short birth date", K::Pit11, [](auto& t, auto&, auto&) { t.dataUr = "1970-1-31"; }, {"p22=1970-1-31"}, {}},
        {"empty birth date", K::Pit11, [](auto& t, auto&, auto&) { t.dataUr = ""; }, {"p22="}, {}},
        {"costs 2 is the fourth box", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_33 = 2; }, {"p33=00010"}, {}},
        {"costs 3 is the third box", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_33 = 3; }, {"p33=00100"}, {}},
        {"costs not chosen", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_33 = 0; }, {"p33="}, {}},
        {"PIT-R 2", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_PITR = 2; }, {"p79=001"}, {}},
        {"PIT-R not chosen", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_PITR = 0; }, {"p79="}, {}},
        {"PIT-40 costs 5", K::Pit40, [](auto& t, auto&, auto&) { t.pit40_34 = 5; }, {"p34=000001"}, {}},
        {"PIT-40 costs 6", K::Pit40, [](auto& t, auto&, auto&) { t.pit40_34 = 6; }, {"p34="}, {}},
        {"NIP-3 and PIT-R attached", K::Pit40, {}, {"p32=01", "p33=01", "p34=010000"}, {}},
        {"NIP-3 and PIT-R not attached", K::Pit40,
         [](auto& t, auto&, auto&) { t.pit40_NIP3 = 0; t.pit40_PITR = 2; }, {}, {"p32=", "p33="}},
        {"payer kind 1 on PIT-11", K::Pit11, {}, {"p7=010", "p8=FIRMA"}, {}},
        {"payer kind 2 on PIT-40", K::Pit40, [](auto&, auto& p, auto&) { p.rodzaj = 2; }, {"p6=001", "p7=FIRMA"}, {}},
        {"payer kind 0 on PIT-11", K::Pit11, [](auto&, auto& p, auto&) { p.rodzaj = 0; }, {}, {"p7="}},
        {"payer kind 0 on PIT-40", K::Pit40, [](auto&, auto& p, auto&) { p.rodzaj = 0; }, {"p7=FIRMA"}, {"p6="}},
        {"blank period mask", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_od = "  -  -    "; t.pit11_do = " "; },
         {}, {"p4=", "p5="}},
        {"empty period", K::Pit11, [](auto& t, auto&, auto&) { t.pit11_od = ""; }, {"p4=", "p5=31-12-2006"}, {}},
        {"empty tax year", K::Pit40, {}, {"p4=    "}, {}},
        {"code page 1250 office", K::Pit40, {}, {"p5=US KRAK\xD3W"}, {}},
        {"person filling in PIT-11", K::Pit11,
         [](auto&, auto&, auto& c) { c.fillerFirstName = "JAN"; c.fillerSurname = "\xA3OSI\xA5"; },
         {"p80=JAN", "p81=\xA3OSI\xA5"}, {}},
        {"person filling in PIT-40", K::Pit40, [](auto&, auto&, auto& c) { c.fillerFirstName = "JAN"; },
         {"p77=JAN", "p78="}, {}},
    };
    const PayerRecord basePayer = samplePayer();
    for (const Case& c : cases) {
        TaxpayerRecord taxpayer = sampleTaxpayer();
        PayerRecord payer = basePayer;
        FieldListChoices choices;
        if (c.change) c.change(taxpayer, payer, choices);
        const QByteArrayList lines = build(c.kind, &taxpayer, payer, choices);
        EXPECT_FALSE(lines.contains("p999=left over")) << c.name;  // the list is emptied first
        for (const QByteArray& line : c.present)
            EXPECT_TRUE(lines.contains(line)) << c.name << ": " << line.toStdString() << "\n" << lines.join('|').toStdString();
        for (const QByteArray& prefix : c.absent) EXPECT_FALSE(hasPrefix(lines, prefix)) << c.name << ": " << prefix.toStdString();
    }
}

TEST(FieldList, OnlyFilledAmountsInBoxOrderBetweenTheCodesAndThePerson) {
    TaxpayerRecord taxpayer = sampleTaxpayer();
    taxpayer.p11Box(45) = "12,50";
    QByteArrayList lines = build(FormKind::Pit11, &taxpayer, samplePayer(), {});
    const int pitr = indexOf(lines, "p79=010");
    ASSERT_GE(pitr, 0);
    EXPECT_EQ(lines.mid(pitr, 3), (QByteArrayList{"p79=010", "p45=12,50", "p80="}));

    taxpayer.p11Box(45) = "";
    taxpayer.p40Box(76) = "1,00";
    taxpayer.p40Box(35) = "2,00";
    lines = build(FormKind::Pit40, &taxpayer, samplePayer(), {});
    const int costs = indexOf(lines, "p34=010000");
    ASSERT_GE(costs, 0);
    EXPECT_EQ(lines.mid(costs, 4), (QByteArrayList{"p34=010000", "p35=2,00", "p76=1,00", "p77="}));
    EXPECT_FALSE(hasPrefix(lines, "p45="));
}

