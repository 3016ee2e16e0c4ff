// The check of a register before printing: one table of mistakes, each made in an otherwise clean
// register of two taxpayers and a payer, and the one finding it must give.

#include "edit/AmountCalculations.h"
#include "forms/FindingControls.h"
#include "forms/FindingFixes.h"
#include "forms/FindingsList.h"
#include "forms/PdfPasswords.h"
#include "forms/RegisterCheck.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>

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
    FindingKind findingKind = FindingKind::Required;  // what the window counts it under
    std::size_t count = 1;  // findings in all, the expected one first
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void none(TaxpayerRecord&, TaxpayerRecord&, PayerRecord&, RegisterCheckRequest&) {}

const Case kCases[] = {
    {"clean PIT-11/8B", FormKind::Pit11, none, 0, "", ""},
    {"clean PIT-40", FormKind::Pit40, none, 0, "", ""},
    {"NIP of ten zeros", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.nip = "000-000-00-00"; }, 1,
     "Poz. 19: NIP nie może składać się z samych zer.", "eNIP", FindingKind::Nip},
    {"period starts before the edition's year", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.pit11_od = "01-12-2005"; }, 1,
     "Poz. 4: data spoza roku 2006, za który jest ten formularz.", "eOd",
     FindingKind::Period, 2},  // and one year no more
    {"whole period after the edition's year (2005)", FormKind::Pit11,
     [](auto&, auto&, auto&, auto& r) { r.yearIndex = 0; }, 1, "Poz. 4: data spoza roku 2005", "eOd",
     FindingKind::Period, 2},
    {"tax year not the edition's, once", FormKind::Pit40, [](auto&, auto&, auto&, auto& r) { r.choices.taxYear = "2005"; },
     0, "Poz. 4: rok podatkowy 2005 nie jest rokiem 2006", "eRok", FindingKind::TaxYear},
    {"health contribution deducted above the one paid", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(73) = "2700,01";
         RecomputeRecord(a);
     }, 1,
     "Poz. 73: odliczona składka zdrowotna jest wyższa niż zapłacona (poz. 72).", "f73",
     FindingKind::HealthContribution},
    {"health contribution deducted above the tax", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(35) = "3000,00";  // an income on which no tax falls
         a.p40Box(36) = "1000,00";
         RecomputeRecord(a);
     }, 1,
     "Poz. 73: odliczona składka zdrowotna jest wyższa niż podatek (poz. 71).", "f73", FindingKind::HealthContribution},
    // The form prints the calculated tax in box 71: the deduction is judged against that one, and
    // the register's empty box 71 is a finding of its own.
    {"health contribution judged against the tax the form prints", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) { a.p40Box(71) = ""; }, 1, "Poz. 71: kwota niezgodna z wyliczeniem", "f71",
     FindingKind::Calculation},
    {"surname in small letters, data unchanged", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.nazwisko = cp1250::fromUnicode(u"Żółtowski"); }, 1,
     "Poz. 20: formularz wypełnia się dużymi literami.", "eNazwisko", FindingKind::Capitals},
    {"taxpayer's locality in small letters, PIT-40", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) { a.miejsc = "Stanica"; }, 1,
     "Poz. 29: formularz wypełnia się dużymi literami.", "eMiejscowosc", FindingKind::Capitals},
    {"payer's name in small letters, once", FormKind::Pit40,
     [](auto&, auto&, auto& p, auto&) { p.nazwa = "Wawelski sp. z o.o."; }, 0,
     "Poz. 7: formularz wypełnia się dużymi literami.", "eNazwa", FindingKind::Capitals},
    {"the tax office keeps its own letters", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto&) { a.us = cp1250::fromUnicode(u"Urząd Skarbowy w Gliwicach"); }, 0, "", ""},
    {"amounts not in Fiskon's form that agree go the form's way and pass", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) {
         a.p40Box(35) = "36000";
         a.p40Box(73) = "2500,0";
     }, 0, "", ""},
    {"computed box not in Fiskon's form found by the form's calculation", FormKind::Pit40,
     [](auto& a, auto&, auto&, auto&) { a.p40Box(37) = "34331,3"; }, 1,
     "Poz. 37: kwota niezgodna z wyliczeniem – powinno być 34 331,28", "f37", FindingKind::Calculation},
    {"amount contradicting its sum", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.p11Box(36) = "46000,00"; }, 1,
     "Poz. 36: kwota niezgodna z wyliczeniem – powinno być 46 665,00", "e36", FindingKind::Calculation},
    {"PIT-11 struck out while box 34 shows wages", FormKind::Pit11,
     [](auto&, auto&, auto&, auto& r) { r.choices.strikePit11 = true; }, 1,
     "Poz. 34: na formularzu skreślono PIT-11, a poz. 34 wykazuje wynagrodzenie ze stosunku pracy.", "e34",
     FindingKind::StruckPit11Wages},
    {"PIT-11 struck out, box 34 at 0", FormKind::Pit11,
     [](auto& a, auto&, auto&, auto& r) {
         a.p11Box(34) = "0,00";
         r.choices.strikePit11 = true;
         RecomputeRecord(a);
     }, 0, "", ""},
    {"PESEL check digit", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.pesel = "80051712346"; }, 1,
     "PESEL: nieprawidłowy numer PESEL – cyfra kontrolna się nie zgadza.", "ePESEL", FindingKind::Pesel},
    {"PESEL too short", FormKind::Pit40, [](auto& a, auto&, auto&, auto&) { a.pesel = "8005171234"; }, 1,
     "PESEL: numer PESEL „8005171234” musi składać się z 11 cyfr", "ePESEL", FindingKind::Pesel},
    {"birth date against PESEL, PIT-11/8B", FormKind::Pit11, [](auto& a, auto&, auto&, auto&) { a.dataUr = "1980-05-18"; },
     1, "Poz. 22: data urodzenia niezgodna z numerem PESEL (według niego 17-05-1980).", "eDataUr",
     FindingKind::BirthDateAgainstPesel},
    {"birth date against PESEL, PIT-40, 2000s", FormKind::Pit40,
     [](auto& a, auto& b, auto&, auto&) {
         a.pesel = b.pesel;
         b.pesel.clear();
     },
     1, "Poz. 21: data urodzenia niezgodna z numerem PESEL (według niego 08-07-2002).", "eDataUr",
     FindingKind::BirthDateAgainstPesel},
    {"NIP of an unchecked taxpayer", FormKind::Pit11, [](auto&, auto& b, auto&, auto&) { b.nip = "6762345189"; }, 1,
     "Poz. 19: ten sam NIP ma też podatnik nr 2 (NOWAK ANNA).", "eNIP", FindingKind::SharedNip},
    {"the same PESEL", FormKind::Pit40, [](auto&, auto& b, auto&, auto&) { b.pesel = "80051712345"; }, 1,
     "PESEL: ten sam numer PESEL ma też podatnik nr 2 (NOWAK ANNA).", "ePESEL", FindingKind::SharedPesel},
    {"payer's NIP wrong, once for two taxpayers", FormKind::Pit11,
     [](auto&, auto&, auto& p, auto& r) {
         p.NIP = "677-120-03-48";
         r.indices = {0, 1};
     },
     0, "Poz. 1: nieprawidłowy NIP – cyfra kontrolna się nie zgadza.", "eNIP", FindingKind::Nip},
    {"payer's NIP missing", FormKind::Pit40, [](auto&, auto&, auto& p, auto&) { p.NIP.clear(); }, 0,
     "Poz. 1: nie wypełniono wymaganego pola", "eNIP", FindingKind::Required},
    {"payer's postal code, PIT-40 address", FormKind::Pit40, [](auto&, auto&, auto& p, auto&) { p.kodPoczt = "31010"; }, 0,
     "Poz. 16: kod pocztowy musi mieć postać 00-000.", "eKodPocztowy", FindingKind::PostalCode},
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
    sample.request.choices.strikePit11 = false;  // the sample's wages make its form a PIT-11
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
    EXPECT_EQ(finding.kind, c.findingKind);
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
        sample.request.choices.strikePit11 = false;
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

// Every field of a record by name, the amounts as "p11_34" and "p40_35".
std::map<std::string, std::string> fieldsOf(const TaxpayerRecord& r) {
    std::map<std::string, std::string> fields = {
        {"imie1", r.imie1.str()},   {"nazwisko", r.nazwisko.str()}, {"pesel", r.pesel.str()},
        {"nip", r.nip.str()},       {"dataUr", r.dataUr.str()},     {"us", r.us.str()},
        {"kraj", r.kraj.str()},     {"wojewodztwo", r.wojewodztwo.str()}, {"powiat", r.powiat.str()},
        {"gmina", r.gmina.str()},   {"ulica", r.ulica.str()},       {"nrDomu", r.nrDomu.str()},
        {"nrLok", r.nrLok.str()},   {"miejsc", r.miejsc.str()},     {"kodPoczt", r.kodPoczt.str()},
        {"poczta", r.poczta.str()}, {"pit11_od", r.pit11_od.str()}, {"pit11_do", r.pit11_do.str()},
        {"email", r.email.str()},   {"id", std::to_string(r.id)},   {"pit11_33", std::to_string(r.pit11_33)},
        {"pit40_34", std::to_string(r.pit40_34)}, {"pit11_PITR", std::to_string(r.pit11_PITR)},
        {"pit40_NIP3", std::to_string(r.pit40_NIP3)}, {"pit40_PITR", std::to_string(r.pit40_PITR)},
    };
    r.p11.forEachFilled([&](std::size_t k, std::string_view text) {
        fields["p11_" + std::to_string(TaxpayerRecord::kFirstP11Box + static_cast<int>(k))] = text;
    });
    r.p40.forEachFilled([&](std::size_t k, std::string_view text) {
        fields["p40_" + std::to_string(TaxpayerRecord::kFirstP40Box + static_cast<int>(k))] = text;
    });
    return fields;
}

// A record as imported: names and address in mixed case, Polish letters among them, and every
// field its own value.
TaxpayerRecord importedTaxpayer() {
    TaxpayerRecord r = firstTaxpayer();
    r.id = 4711;
    r.nazwisko = cp1250::fromUnicode(u"Żółtowski-Łęcki");
    r.imie1 = cp1250::fromUnicode(u"Piotr Ścibor");
    r.us = cp1250::fromUnicode(u"Urząd Skarbowy w Gliwicach");
    r.kraj = "Polska";
    r.wojewodztwo = cp1250::fromUnicode(u"śląskie");
    r.powiat = "gliwicki";
    r.gmina = "Pilchowice";
    r.ulica = cp1250::fromUnicode(u"ul. Źródlana");
    r.nrDomu = "7a";
    r.nrLok = "2b";
    r.miejsc = cp1250::fromUnicode(u"Stanica Śl.");
    r.kodPoczt = "44-145";
    r.poczta = cp1250::fromUnicode(u"Pilchowice ąę");
    r.email = "Piotr.Zoltowski@Example.pl";
    r.pit11_PITR = 2;
    r.pit40_NIP3 = 1;
    r.pit40_PITR = 1;
    RecomputeRecord(r);
    return r;
}

// Each fix on one record: the fields it must change and, by comparison of every other field,
// nothing else; a second run changes nothing.
TEST(FindingFixes, ChangeWhatTheFindingIsAboutAndNothingElse) {
    const FormLayout& pit11 = *FindFormLayout("PIT118B_14");
    const FormLayout& pit40 = *FindFormLayout("PIT40_14");
    const FormLayout& pit11Of2005 = *FindFormLayout("PIT118B_C");
    const std::map<std::string, std::string> capitals = {
        {"nazwisko", cp1250::fromUnicode(u"ŻÓŁTOWSKI-ŁĘCKI")}, {"imie1", cp1250::fromUnicode(u"PIOTR ŚCIBOR")},
        {"kraj", "POLSKA"}, {"wojewodztwo", cp1250::fromUnicode(u"ŚLĄSKIE")}, {"powiat", "GLIWICKI"},
        {"gmina", "PILCHOWICE"}, {"ulica", cp1250::fromUnicode(u"UL. ŹRÓDLANA")}, {"nrDomu", "7A"}, {"nrLok", "2B"},
        {"miejsc", cp1250::fromUnicode(u"STANICA ŚL.")}, {"poczta", cp1250::fromUnicode(u"PILCHOWICE ĄĘ")},
    };
    struct Case {
        const char* what;
        FindingFix fix;
        const FormLayout* layout;
        std::function<void(TaxpayerRecord&)> before;
        std::map<std::string, std::string> changed;  // the fields the fix writes, and their values
    };
    const auto period = [](const char* from, const char* to) {
        return [from, to](TaxpayerRecord& r) {
            r.pit11_od = from;
            r.pit11_do = to;
        };
    };
    const Case cases[] = {
        {"capitals, PIT-11/8B", FindingFix::Capitals, &pit11, {}, capitals},
        {"capitals, PIT-40", FindingFix::Capitals, &pit40, {}, capitals},
        {"capitals already", FindingFix::Capitals, &pit11, [](TaxpayerRecord& r) { r = firstTaxpayer(); }, {}},
        {"period begun the year before", FindingFix::Period, &pit11, period("01-12-2005", "30-11-2006"),
         {{"pit11_od", "01-01-2006"}}},
        {"last year's period", FindingFix::Period, &pit11, period("01-03-2005", "31-12-2005"),
         {{"pit11_od", "01-01-2006"}, {"pit11_do", "31-12-2006"}}},
        {"period running into the next year", FindingFix::Period, &pit11, period("01-02-2006", "31-01-2007"),
         {{"pit11_do", "31-12-2006"}}},
        {"dates reversed", FindingFix::Period, &pit11, period("30-11-2006", "01-02-2006"),
         {{"pit11_od", "01-02-2006"}, {"pit11_do", "30-11-2006"}}},
        {"a day that does not exist, the end not given", FindingFix::Period, &pit11, period("31-02-2006", "  -  -    "),
         {{"pit11_od", "01-01-2006"}}},
        {"this year's period on the 2005 form", FindingFix::Period, &pit11Of2005, {},
         {{"pit11_od", "01-01-2005"}, {"pit11_do", "31-12-2005"}}},
        {"period right", FindingFix::Period, &pit11, {}, {}},
        {"PIT-40 has no period", FindingFix::Period, &pit40, period("01-01-2005", "31-12-2005"), {}},
        {"computed boxes of both pages", FindingFix::Recompute, &pit11,
         [](TaxpayerRecord& r) {
             r.p11Box(36) = "1,00";
             r.p40Box(37) = "";
         },
         {{"p11_36", "46665,00"}, {"p40_37", "34331,28"}}},
        {"computed boxes right", FindingFix::Recompute, &pit40, {}, {}},
    };
    for (const Case& c : cases) {
        TaxpayerRecord record = importedTaxpayer();
        if (c.before) c.before(record);
        std::map<std::string, std::string> expected = fieldsOf(record);
        for (const auto& [field, value] : c.changed) expected[field] = value;
        EXPECT_EQ(ApplyFindingFix(c.fix, *c.layout, record), !c.changed.empty()) << c.what;
        EXPECT_EQ(fieldsOf(record), expected) << c.what;
        EXPECT_FALSE(ApplyFindingFix(c.fix, *c.layout, record)) << c.what << ": the second time";
    }

    // An amount that cannot be read: the record as it was, and why.
    TaxpayerRecord unreadable = importedTaxpayer();
    unreadable.p11Box(34) = "48 000,00 zł";
    unreadable.p11Box(36) = "1,00";
    const auto before = fieldsOf(unreadable);
    EXPECT_THROW(RecomputeComputedBoxes(unreadable), ConversionError);
    EXPECT_EQ(fieldsOf(unreadable), before);
}

// A NIP with a fitting check digit made from a serial number.
std::string nipOf(int serial) {
    static const int weights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    for (int next = serial;; next += 1000) {
        const std::string digits = std::to_string(100000000 + next);
        int sum = 0;
        for (int i = 0; i < 9; ++i) sum += weights[i] * (digits[static_cast<std::size_t>(i)] - '0');
        if (sum % 11 != 10) return digits + char('0' + sum % 11);
    }
}

// What a finding is, its wording aside (the fixes change the names other findings quote).
using FindingKey = std::tuple<int, FindingKind, int, QByteArray>;
std::multiset<FindingKey> keysOf(const std::vector<RegisterFinding>& findings) {
    std::multiset<FindingKey> keys;
    for (const RegisterFinding& f : findings) keys.insert({f.position, f.kind, f.box, f.key});
    return keys;
}

// A generated register with findings of many kinds, checked for each form: each fix for all, in
// turn, takes its kind's findings away, every one, and no other finding comes or goes; the changes
// go through the workspace's one step. A record the recomputation cannot read is named and kept.
TEST(FindingFixes, EachFixForAllTakesItsKindAwayAndNothingElse) {
    for (const FormKind form : {FormKind::Pit11, FormKind::Pit40}) {
        SCOPED_TRACE(form == FormKind::Pit11 ? "PIT-11/8B" : "PIT-40");
        Workspace workspace;
        workspace.payer = samplePayer();
        workspace.payer.nazwa = "Wawelski sp. z o.o.";  // the payer's capitals: no taxpayer's fix
        for (int i = 0; i < 240; ++i) {
            TaxpayerRecord r = firstTaxpayer();
            r.nazwisko = cp1250::fromUnicode(QString::fromUtf8(i % 3 == 0 ? "Kowalczyk-Łęcka%1" : "KOWALCZYK%1").arg(i));
            r.imie1 = cp1250::fromUnicode(i % 4 == 0 ? u"Łucja" : u"ŁUCJA");
            r.ulica = i % 5 == 0 ? "Lipowa" : "LIPOWA";
            r.nip = nipOf(i);
            r.pesel = withCheckDigit("8005" + std::to_string(10 + i % 18) + std::to_string(1000 + i));
            r.dataUr = i % 13 == 0 ? "1980-06-01" : "1980-05-" + std::to_string(10 + i % 18);
            r.kodPoczt = i % 11 == 0 ? "44145" : "44-145";
            r.p11Box(34) = std::to_string(40000 + i) + ",00";
            if (i % 4 == 1) r.p11Box(34) = "";  // no wages: no finding for PIT-11 struck out
            r.p40Box(35) = std::to_string(30000 + 7 * i) + ",00";
            RecomputeRecord(r);
            if (i % 7 == 0) r.p11Box(36) = "1,00";
            if (i % 7 == 3) r.p40Box(69) = "1,00";
            if (i % 6 == 0) r.pit11_od = "01-01-2005";
            if (i % 8 == 0) r.pit11_do = "31-02-2006";
            if (i % 9 == 0) r.p11Box(37) = "-5,00";
            if (i == 100) r.p40Box(36) = "1 000 zł";  // cannot be read: no formula of either page runs
            ASSERT_TRUE(workspace.taxpayers.Add(r));
        }
        RegisterCheckRequest request;
        request.choices.kind = form;
        request.choices.taxYear = "2006";
        for (int i = 0; i < workspace.taxpayers.count(); ++i) request.indices.push_back(i);
        const FormLayout& layout = *RequestedFormLayout(request);

        std::vector<RegisterFinding> findings = CheckRegister(workspace.taxpayers, workspace.payer, request);
        const auto kinds = form == FormKind::Pit11 ? std::vector{FindingKind::StruckPit11Wages, FindingKind::PostalCode,
                                                                 FindingKind::BirthDateAgainstPesel, FindingKind::NegativeAmount}
                                                   : std::vector{FindingKind::PostalCode, FindingKind::NotAmount,
                                                                 FindingKind::BirthDateAgainstPesel};
        for (const FindingKind kind : kinds)
            EXPECT_TRUE(std::any_of(findings.begin(), findings.end(), [kind](const auto& f) { return f.kind == kind; }))
                << "the register lacks findings of kind " << static_cast<int>(kind);
        std::vector<std::pair<FindingFix, FindingKind>> fixes = {{FindingFix::Capitals, FindingKind::Capitals},
                                                                 {FindingFix::Recompute, FindingKind::Calculation}};
        if (form == FormKind::Pit11) fixes.insert(fixes.begin() + 1, {FindingFix::Period, FindingKind::Period});
        for (const auto& [fix, kind] : fixes) {
            std::vector<const RegisterFinding*> all;
            std::multiset<FindingKey> others;
            for (const RegisterFinding& f : findings) {
                all.push_back(&f);
                if (f.kind != kind || f.position == 0) others.insert({f.position, f.kind, f.box, f.key});
            }
            const std::vector<int> positions = TaxpayersToFix(fix, all);
            ASSERT_FALSE(positions.empty()) << FixStepName(fix).toStdString();
            EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
            const auto revision = workspace.revision.value();
            const FixOutcome outcome = FixTaxpayers(workspace, fix, layout, positions);
            EXPECT_EQ(outcome.changed, static_cast<int>(positions.size())) << FixStepName(fix).toStdString();
            EXPECT_TRUE(outcome.refused.isEmpty());
            EXPECT_FALSE(workspace.taxpayersSaved);
            EXPECT_NE(workspace.revision.value(), revision);

            findings = CheckRegister(workspace.taxpayers, workspace.payer, request);
            EXPECT_EQ(keysOf(findings), others) << FixStepName(fix).toStdString();
        }
        // The payer's capitals are the payer form's to mend: still there, once.
        EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                                [](const RegisterFinding& f) { return f.kind == FindingKind::Capitals; }),
                  1);
        // The unreadable amount: named, the record as it was.
        const auto before = fieldsOf(workspace.taxpayers.at(100));
        const FixOutcome refused = FixTaxpayers(workspace, FindingFix::Recompute, layout, {99, 100});
        EXPECT_EQ(refused.changed, 0);
        ASSERT_EQ(refused.refused.size(), 1);
        EXPECT_TRUE(refused.refused.front().startsWith(QStringLiteral("Podatnik nr 101 (KOWALCZYK100 ŁUCJA): ")))
            << refused.refused.front().toStdString();
        EXPECT_EQ(fieldsOf(workspace.taxpayers.at(100)), before);
    }
}

}  // namespace
