// The check of a register before printing: one table of mistakes, each made in an otherwise clean
// register of two taxpayers and a payer, and the one finding it must give.

#include "edit/AmountCalculations.h"
#include "forms/FindingControls.h"
#include "forms/FindingsList.h"
#include "forms/PdfPasswords.h"
#include "forms/RegisterCheck.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// Every field distinct; NIPs, PESEL numbers and amounts that check out.
TaxpayerRecord firstTaxpayer() {
    TaxpayerRecord r;
    r.nazwisko = cp1250::fromUnicode(u"ŻÓŁTOWSKI");
    r.imie1 = "PIOTR";
    r.nip = "676-234-51-89";
    r.pesel = "80051712345";
    r.dataUr = "1980-05-17";
    r.us = "US GLIWICE";
    r.kraj = "POLSKA";
    r.wojewodztwo = cp1250::fromUnicode(u"ŚLĄSKIE");
    r.powiat = "GLIWICKI";
    r.gmina = "PILCHOWICE";
    r.ulica = "LIPOWA";
    r.nrDomu = "7";
    r.nrLok = "2";
    r.miejsc = "STANICA";
    r.kodPoczt = "44-145";
    r.poczta = "PILCHOWICE";
    r.pit11_od = "01-02-2006";
    r.pit11_do = "30-11-2006";
    r.pit11_33 = 1;
    r.pit40_34 = 2;
    r.p11Box(34) = "48000,00";
    r.p11Box(35) = "1335,00";
    r.p11Box(36) = "46665,00";
    r.p11Box(37) = "5412,00";
    r.p40Box(35) = "36000,00";
    r.p40Box(36) = "1668,72";
    r.p40Box(37) = "34331,28";
    r.p40Box(72) = "2700,00";
    r.p40Box(73) = "2500,00";
    return r;
}

TaxpayerRecord secondTaxpayer() {
    TaxpayerRecord r;
    r.nazwisko = "NOWAK";
    r.imie1 = "ANNA";
    r.nip = "526-025-09-95";
    r.pesel = "02270803624";
    r.dataUr = "2002-07-08";
    r.us = "US KRAKOW";
    r.kodPoczt = "31-147";
    return r;
}

PayerRecord samplePayer() {
    PayerRecord p;
    p.NIP = "677-120-03-49";
    p.rodzaj = 1;
    p.nazwa = "WAWELSKI SP. Z O.O.";
    p.kodPoczt = "31-010";
    return p;
}

struct Sample {
    TaxpayerRegister taxpayers;
    PayerRecord payer = samplePayer();
    RegisterCheckRequest request;
};

struct Case {
    const char* name;
    FormKind kind;
    std::function<void(TaxpayerRecord& first, TaxpayerRecord& second, PayerRecord&, RegisterCheckRequest&)> change;
    // The one finding expected (position, line "Poz. X: …" beginning), or none when `text` is empty.
    int position;
    const char* text;
    const char* control;  // where a double click leads: the control's name
    std::size_t count = 1;  // findings in all, the expected one first
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void none(TaxpayerRecord&, TaxpayerRecord&, PayerRecord&, RegisterCheckRequest&) {}

const Case kCases[] = {
    {"clean PIT-11/8B", FormKind::Pit11, none, 0, "", ""},
    {"clean PIT-40", FormKind::Pit40, none, 0, "", ""},
    {"NIP of ten zeros", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.nip = "000-000-00-00"; }, 1,
     "Poz. 19: NIP nie może składać się z samych zer.", "eNIP"},
    {"period starts before the edition's year", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.pit11_od = "01-12-2005"; }, 1,
     "Poz. 4: data spoza roku 2006, za który jest ten formularz.", "eOd", 2},  // and one year no more
    {"whole period after the edition's year (2005)", FormKind::Pit11,
     [](auto&, auto&, auto&, auto& r) { r.yearIndex = 0; }, 1, "Poz. 4: data spoza roku 2005", "eOd", 2},
    {"tax year not the edition's, once", FormKind::Pit40, [](auto&, auto&, auto&, auto& r) { r.choices.taxYear = "2005"; },
     0, "Poz. 4: rok podatkowy 2005 nie jest rokiem 2006", "eRok"},
    {"health contribution deducted above the one paid", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(73) = "2700,01";
         RecomputeRecord(a);
     }, 1,
     "Poz. 73: odliczona składka zdrowotna jest wyższa niż zapłacona (poz. 72).", "f73"},
    {"health contribution deducted above the tax", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(35) = "3000,00";  // an income on which no tax falls
         a.p40Box(36) = "1000,00";
         RecomputeRecord(a);
     }, 1,
     "Poz. 73: odliczona składka zdrowotna jest wyższa niż podatek (poz. 71).", "f73"},
    {"surname in small letters, data unchanged", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.nazwisko = cp1250::fromUnicode(u"Żółtowski"); }, 1,
     "Poz. 20: formularz wypełnia się dużymi literami.", "eNazwisko"},
    {"taxpayer's locality in small letters, PIT-40", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) { a.miejsc = "Stanica"; }, 1,
     "Poz. 29: formularz wypełnia się dużymi literami.", "eMiejscowosc"},
    {"payer's name in small letters, once", FormKind::Pit40,
     [](auto&, auto&, auto& p, auto&) { p.nazwa = "Wawelski sp. z o.o."; }, 0,
     "Poz. 7: formularz wypełnia się dużymi literami.", "eNazwa"},
    {"the tax office keeps its own letters", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.us = cp1250::fromUnicode(u"Urząd Skarbowy w Gliwicach"); }, 0, "", ""},
    {"amounts not in Fiskon's form that agree go the form's way and pass", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(35) = "36000";
         a.p40Box(73) = "2500,0";
     }, 0, "", ""},
    {"computed box not in Fiskon's form found by the form's calculation", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) { a.p40Box(37) = "34331,3"; }, 1,
     "Poz. 37: kwota niezgodna z wyliczeniem – powinno być 34 331,28", "f37"},
    {"amount contradicting its sum", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.p11Box(36) = "46000,00"; }, 1,
     "Poz. 36: kwota niezgodna z wyliczeniem – powinno być 46 665,00", "e36"},
    {"PESEL check digit", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.pesel = "80051712346"; }, 1,
     "PESEL: nieprawidłowy numer PESEL – cyfra kontrolna się nie zgadza.", "ePESEL"},
    {"PESEL too short", FormKind::Pit40, [](auto& a, auto&, auto&, auto&) { a.pesel = "8005171234"; }, 1,
     "PESEL: numer PESEL „8005171234” musi składać się z 11 cyfr", "ePESEL"},
    {"birth date against PESEL, PIT-11/8B", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.dataUr = "1980-05-18"; },
     1, "Poz. 22: data urodzenia niezgodna z numerem PESEL (według niego 17-05-1980).", "eDataUr"},
    {"birth date against PESEL, PIT-40, 2000s", FormKind::Pit40,
     [](auto& a, auto& b, auto&, auto&) {
         a.pesel = b.pesel;
         b.pesel.clear();
     },
     1, "Poz. 21: data urodzenia niezgodna z numerem PESEL (według niego 08-07-2002).", "eDataUr"},
    {"NIP of an unchecked taxpayer", FormKind::Pit11, [](auto&, auto& b, auto&, auto&) { b.nip = "6762345189"; }, 1,
     "Poz. 19: ten sam NIP ma też podatnik nr 2 (NOWAK ANNA).", "eNIP"},
    {"the same PESEL", FormKind::Pit40, [](auto&, auto& b, auto&, auto&) { b.pesel = "80051712345"; }, 1,
     "PESEL: ten sam numer PESEL ma też podatnik nr 2 (NOWAK ANNA).", "ePESEL"},
    {"payer's NIP wrong, once for two taxpayers", FormKind::Pit11,
     [](auto&, auto&, auto& p, auto& r) {
         p.NIP = "677-120-03-48";
         r.indices = {0, 1};
     },
     0, "Poz. 1: nieprawidłowy NIP – cyfra kontrolna się nie zgadza.", "eNIP"},
    {"payer's NIP missing", FormKind::Pit40, [](auto&, auto&, auto& p, auto&) { p.NIP.clear(); }, 0,
     "Poz. 1: nie wypełniono wymaganego pola", "eNIP"},
    {"payer's postal code, PIT-40 address", FormKind::Pit40, [](auto&, auto&, auto& p, auto&) { p.kodPoczt = "31010"; }, 0,
     "Poz. 16: kod pocztowy musi mieć postać 00-000.", "eKodPocztowy"},
    {"a taxpayer left out is not checked", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto& r) {
         a.kodPoczt = "1";
         r.indices = {1};
     },
     0, "", ""},
};

class RegisterCheckTest : public ::testing::TestWithParam<Case> {};

TEST_P(RegisterCheckTest, GivesTheOneFinding) {
    const Case& c = GetParam();
    TaxpayerRecord first = firstTaxpayer();
    RecomputeRecord(first);  // the derived boxes as the edit form leaves them
    TaxpayerRecord second = secondTaxpayer();
    Sample sample;
    sample.request.choices.kind = c.kind;
    sample.request.choices.taxYear = "2006";
    sample.request.indices = {0};
    c.change(first, second, sample.payer, sample.request);
    sample.taxpayers.Add(first);
    sample.taxpayers.Add(second);

    std::vector<RegisterFinding> findings = CheckRegister(sample.taxpayers, sample.payer, sample.request);
    if (*c.text == 0) {
        for (const RegisterFinding& f : findings) ADD_FAILURE() << f.position << " " << f.text().toStdString();
        return;
    }
    ASSERT_EQ(findings.size(), c.count) << (findings.empty() ? std::string() : findings.back().text().toStdString());
    const RegisterFinding& finding = findings.front();
    EXPECT_EQ(finding.position, c.position);
    EXPECT_TRUE(finding.text().startsWith(QString::fromUtf8(c.text))) << finding.text().toStdString();
    EXPECT_EQ(ControlForFinding(c.kind, finding).name, QString::fromLatin1(c.control));
}

INSTANTIATE_TEST_SUITE_P(Mistakes, RegisterCheckTest, ::testing::ValuesIn(kCases),
                         [](const auto& test) {
                             std::string name;
                             for (const char* p = test.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// Ten digits and the PESEL check digit that fits them.
std::string withCheckDigit(const std::string& ten) {
    static const int weights[10] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
    int sum = 0;
    for (std::size_t i = 0; i < 10; ++i) sum += weights[i] * (ten[i] - '0');
    return ten + char('0' + (10 - sum % 10) % 10);
}

// A number the register's check refuses cannot lock a taxpayer's PDF either, and one it accepts
// can: one rule for both. Dates are impossible also with a fitting check digit.
TEST(RegisterCheck, APdfIsLockedOnlyWithNumbersTheCheckAccepts) {
    struct Case {
        const char* what;
        PdfProtection protection;
        std::string number;
        const char* refusal;  // how the PDF batch refuses it; nullptr: accepted by both
    };
    const Case cases[] = {
        {"month 13", PdfProtection::Pesel, withCheckDigit("8013171234"),
         "nie ma 11 cyfr z możliwą datą urodzenia na początku"},
        {"30 February", PdfProtection::Pesel, withCheckDigit("8002301234"), "z możliwą datą urodzenia"},
        {"29 February of a year that is not leap", PdfProtection::Pesel, withCheckDigit("8102291234"),
         "z możliwą datą urodzenia"},
        {"30 February of the 2000s (month + 20)", PdfProtection::Pesel, withCheckDigit("0422301234"),
         "z możliwą datą urodzenia"},
        {"month 13 of the 2000s (33)", PdfProtection::Pesel, withCheckDigit("0433011234"), "z możliwą datą urodzenia"},
        {"month 0", PdfProtection::Pesel, withCheckDigit("8000101234"), "z możliwą datą urodzenia"},
        {"check digit", PdfProtection::Pesel, "80051712346", "nie ma 11 cyfr z właściwą cyfrą kontrolną"},
        {"29 February 2004 (month + 20)", PdfProtection::Pesel, withCheckDigit("0422291234"), nullptr},
        {"1 December 1899 (month + 80)", PdfProtection::Pesel, withCheckDigit("9992011234"), nullptr},
        {"NIP of zeros with hyphens", PdfProtection::Nip, "000-000-00-00", "NIP „000-000-00-00” składa się z samych zer"},
        {"NIP of zeros", PdfProtection::Nip, "0000000000", "składa się z samych zer"},
        {"NIP check digit", PdfProtection::Nip, "676-234-51-88", "nie ma 10 cyfr z właściwą cyfrą kontrolną"},
        {"NIP of nine digits", PdfProtection::Nip, "676-234-51-8", "nie ma 10 cyfr z właściwą cyfrą kontrolną"},
        {"NIP", PdfProtection::Nip, "526-025-09-95", nullptr},
    };
    for (const Case& c : cases) {
        TaxpayerRecord taxpayer = firstTaxpayer();
        RecomputeRecord(taxpayer);
        taxpayer.dataUr.clear();  // no finding for a birth date that differs from the number's
        if (c.protection == PdfProtection::Pesel) taxpayer.pesel = c.number;
        else taxpayer.nip = c.number;
        Sample sample;
        sample.taxpayers.Add(taxpayer);
        sample.request.choices.kind = FormKind::Pit11;
        sample.request.choices.taxYear = "2006";
        sample.request.indices = {0};
        const std::vector<RegisterFinding> findings = CheckRegister(sample.taxpayers, sample.payer, sample.request);
        const bool checkRefuses = std::any_of(findings.begin(), findings.end(), [&](const RegisterFinding& f) {
            return f.position == 1 && (c.protection == PdfProtection::Pesel ? f.key == "pesel" : f.box == 19);  // NIP
        });
        EXPECT_EQ(checkRefuses, c.refusal != nullptr) << c.what;
        const QString problem = PdfSecretProblem(c.protection, sample.taxpayers.at(0));
        if (c.refusal)
            EXPECT_TRUE(problem.contains(QString::fromUtf8(c.refusal))) << c.what << ": " << problem.toStdString();
        else
            EXPECT_TRUE(problem.isEmpty()) << c.what << ": " << problem.toStdString();
    }
}

// A taxpayer's findings follow the form's boxes, whatever check made them; PESEL's come last.
TEST(RegisterCheck, ATaxpayersFindingsComeInBoxOrder) {
    const std::pair<FormKind, std::vector<QString>> cases[] = {
        {FormKind::Pit11, {"19", "31", "36", "PESEL"}},
        {FormKind::Pit40, {"18", "30", "37", "69", "PESEL"}},
    };
    for (const auto& [kind, boxes] : cases) {
        TaxpayerRecord first = firstTaxpayer();
        RecomputeRecord(first);
        first.p11Box(36) = "46000,00";
        first.p40Box(37) = "34000,00";
        first.p40Box(69) = "1,00";
        first.pesel = "80051712346";
        first.kodPoczt = "44145";
        first.nip = "000-000-00-00";
        Sample sample;
        sample.taxpayers.Add(first);
        sample.request.choices.kind = kind;
        sample.request.choices.taxYear = "2006";
        sample.request.indices = {0};
        std::vector<QString> found;
        for (const FindingRow& row : MakeFindingRows(CheckRegister(sample.taxpayers, sample.payer, sample.request),
                                                     sample.taxpayers, sample.payer))
            found.push_back(row.box);
        EXPECT_EQ(found, boxes);
    }
}

TEST(FindingsList, SavedTextIsCodePage1250WithQuotedFieldsAndNoFormulas) {
    TaxpayerRegister taxpayers;
    TaxpayerRecord record = firstTaxpayer();
    record.nazwisko = cp1250::fromUnicode(u"ŁĄCKI;\"JR\"");
    taxpayers.Add(record);
    RegisterFinding finding;
    finding.position = 1;
    finding.box = 19;
    finding.key = "p19";
    finding.label = QStringLiteral("Poz. 19");
    finding.description = QStringLiteral("opis");
    record.imie1 = "=HYPERLINK(1)";
    taxpayers.Add(record);
    finding.position = 2;
    EXPECT_EQ(FindingsListText(MakeFindingRows({finding}, taxpayers, samplePayer())),
              cp1250::fromUnicode(QStringLiteral("Lp.;Nazwisko;Imię;Poz.;Opis\r\n2;\"ŁĄCKI;\"\"JR\"\"\";'=HYPERLINK(1);19;opis\r\n")));
}

}  // namespace
