// The payer's totals against sums worked out by hand: three PIT-11/8B taxpayers and two PIT-40
// ones, each box's sum from the amounts typed and those the form's calculation derives (row income
// never below zero, the PIT-40 tax by the scale, the due tax in whole złoty). An amount that is not
// one names its taxpayer and box and gives no sums.

#include "forms/RegisterTotals.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TaxpayerRecord Person(const char* surname, const char* firstName) {
    TaxpayerRecord r;
    r.nazwisko = surname;
    r.imie1 = firstName;
    return r;
}

RegisterCheckRequest AllOf(const TaxpayerRegister& taxpayers, FormKind kind) {
    RegisterCheckRequest request;
    request.choices.kind = kind;
    for (int i = 0; i < taxpayers.count(); ++i) request.indices.push_back(i);
    return request;
}

// Box -> sum as the data files write it.
std::map<int, QString> Sums(const RegisterTotals& totals) {
    std::map<int, QString> sums;
    for (const BoxTotal& total : totals.boxes) sums[total.box] = GroszeText(total.grosze);
    return sums;
}

TaxpayerRegister Pit11Register() {
    TaxpayerRegister taxpayers;
    TaxpayerRecord a = Person("ADAMSKA", "EWA");
    a.p11Box(34) = "120000,00";
    a.p11Box(35) = "3000,00";
    a.p11Box(37) = "9000,00";
    a.p11Box(52) = "5000,50";
    a.p11Box(53) = "1000,25";
    a.p11Box(36) = "1,00";  // a stale income: the form computes its own
    TaxpayerRecord b = Person("BORUCKI", "JAN");
    b.p11Box(34) = "100000,00";
    b.p11Box(35) = "1335,00";
    b.p11Box(37) = "7000,00";
    b.p11Box(38) = "500,10";
    b.p11Box(39) = "100,00";
    b.p11Box(40) = "1 234,5";  // as typed elsewhere: the form tidies it to 1234,50
    b.p11Box(72) = "250,99";
    TaxpayerRecord c = Person("CIESLAK", "OLA");
    c.p11Box(34) = "68000,00";
    c.p11Box(35) = "80000,00";  // costs above revenue: income 0,00
    c.p11Box(37) = "0,01";
    c.p40Box(35) = "999,99";    // another form's amount counts nowhere here
    for (const TaxpayerRecord* r : {&a, &b, &c}) taxpayers.Add(*r);
    return taxpayers;
}

}  // namespace

TEST(RegisterTotals, Pit11SumsEveryBoxTheFormsFill) {
    const TaxpayerRegister taxpayers = Pit11Register();
    const RegisterTotals totals = SumRegister(taxpayers, PayerRecord{}, AllOf(taxpayers, FormKind::Pit11));
    ASSERT_TRUE(totals.problems.empty());
    EXPECT_EQ(totals.taxpayers, 3);
    EXPECT_EQ(totals.formName, QStringLiteral("PIT-11/8B"));
    const std::map<int, QString> expected = {
        {34, "288000,00"}, {35, "84335,00"}, {36, "216065,10"}, {37, "16000,01"}, {38, "500,10"},
        {39, "100,00"},    {40, "1234,50"},  {41, "1234,50"},   {52, "5000,50"},  {53, "1000,25"},
        {54, "4000,25"},   {58, "0,00"},     {62, "0,00"},      {66, "0,00"},     {70, "0,00"},
        {72, "250,99"},    {73, "250,99"},
    };
    EXPECT_EQ(Sums(totals), expected);
    ASSERT_FALSE(totals.boxes.empty());
    EXPECT_EQ(totals.boxes.front().caption, QStringLiteral("Przychód – wynagrodzenie ze stosunku pracy…"));

    // Only the chosen taxpayers: BORUCKI alone.
    RegisterCheckRequest one = AllOf(taxpayers, FormKind::Pit11);
    one.indices = {1};
    const RegisterTotals single = SumRegister(taxpayers, PayerRecord{}, one);
    EXPECT_EQ(single.taxpayers, 1);
    EXPECT_EQ(Sums(single).at(36), QStringLiteral("99065,10"));
}

TEST(RegisterTotals, Pit40SumsTheComputedTaxAndTheDueTaxInWholeZloty) {
    TaxpayerRegister taxpayers;
    TaxpayerRecord a = Person("DUDEK", "ADAM");
    a.p40Box(35) = "40000,00";
    a.p40Box(36) = "1335,00";
    a.p40Box(38) = "5000,00";
    a.p40Box(66) = "5000,00";
    a.p40Box(73) = "2500,00";
    a.p40Box(69) = "1,00";  // typed over: the scale decides
    TaxpayerRecord b = Person("ELIASZ", "BEATA");
    b.p40Box(35) = "30000,00";
    taxpayers.Add(a);
    taxpayers.Add(b);
    const RegisterTotals totals = SumRegister(taxpayers, PayerRecord{}, AllOf(taxpayers, FormKind::Pit40));
    ASSERT_TRUE(totals.problems.empty());
    const std::map<int, QString> expected = {
        {35, "70000,00"}, {36, "1335,00"},  {37, "68665,00"}, {38, "5000,00"},  {52, "0,00"},
        {56, "0,00"},     {60, "0,00"},     {62, "70000,00"}, {63, "1335,00"},  {64, "68665,00"},
        {65, "5000,00"},  {66, "5000,00"},  {68, "63665,00"}, {69, "11036,19"}, {71, "11036,19"},
        {73, "2500,00"},  {74, "8536,00"},  {75, "5170,00"},  {76, "1634,00"},
    };
    EXPECT_EQ(Sums(totals), expected);
}

TEST(RegisterTotals, AnAmountThatIsNotOneNamesTheTaxpayerAndGivesNoSums) {
    TaxpayerRegister taxpayers = Pit11Register();
    taxpayers.at(2).p11Box(45) = "12x";    // summed as it stands: not an amount
    taxpayers.at(0).p11Box(53) = "abc";    // read by a formula: the calculation stops
    const RegisterTotals totals = SumRegister(taxpayers, PayerRecord{}, AllOf(taxpayers, FormKind::Pit11));
    EXPECT_TRUE(totals.boxes.empty());
    ASSERT_EQ(totals.problems.size(), 2u);
    EXPECT_EQ(totals.problems[0].position, 1);
    EXPECT_EQ(totals.problems[1].position, 3);
    EXPECT_EQ(totals.problems[1].box, 45);
    EXPECT_EQ(TotalsProblemText(totals.problems[1], taxpayers),
              QStringLiteral("Podatnik nr 3 (CIESLAK OLA), poz. 45: „12x” nie jest kwotą."));
}

TEST(RegisterTotals, ManyTaxpayersAddUpWithoutDriftAndTheListIsCp1250) {
    // 100,003 times 0,10 on every core: floating point would drift, whole grosze do not.
    TaxpayerRegister taxpayers;
    for (int i = 0; i < 100003; ++i) {
        TaxpayerRecord r = Person("NOWAK", "ANNA");
        r.p11Box(37) = "0,10";
        taxpayers.Add(r);
    }
    const RegisterTotals totals = SumRegister(taxpayers, PayerRecord{}, AllOf(taxpayers, FormKind::Pit11));
    EXPECT_EQ(Sums(totals).at(37), QStringLiteral("10000,30"));
    EXPECT_EQ(GroszeText(-123456789, true), QStringLiteral("-1\u00A0234\u00A0567,89"));

    PayerRecord payer;
    payer.nazwa = cp1250::fromUnicode(u"=ŁÓDZKA SPÓŁKA; S.A.");
    payer.NIP = "677-120-03-49";
    FindingCounts findings;
    findings.taxpayersWithFindings = 7;
    const std::string list = TotalsListText(totals, payer, &findings);
    EXPECT_EQ(cp1250::toUnicode(list).section(QStringLiteral("\r\n"), 0, 5),
              QStringLiteral("Płatnik;\"'=ŁÓDZKA SPÓŁKA; S.A.\"\r\nNIP płatnika;677-120-03-49\r\n"
                             "Formularz;PIT-11/8B;PIT118B_14\r\nLiczba podatników;100003\r\nPodatnicy z uwagami;7\r\n"
                             "Poz.;Opis;Suma"));
}
