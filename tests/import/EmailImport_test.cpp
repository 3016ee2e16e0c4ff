// The list of e-mail addresses: the address rules, then one list read in each encoding and line
// end, every kind of problem named by its line, and the changes applied only when asked.

#include "edit/EmailAddress.h"
#include "import/EmailImport.h"
#include "store/Cp1250.h"

#include <gtest/gtest.h>

namespace {

std::string Cp(const char* utf8) {
    return cp1250::fromUnicode(QString::fromUtf8(utf8));
}

TaxpayerRecord Person(const char* surname, const char* name, const char* pesel, const char* email = "") {
    TaxpayerRecord record;
    record.nazwisko = Cp(surname);
    record.imie1 = Cp(name);
    record.pesel = pesel;
    record.email = Cp(email);
    return record;
}

// In this order, as added: NOWAK 0, KOWALSKI 1, ZIELIŃSKA 2, MAZUR 3 and 4, ŁUCKA 5, DUDA 6.
Workspace Register() {
    Workspace workspace;
    for (const TaxpayerRecord& r :
         {Person("NOWAK", "ANNA", "80051212345"), Person("KOWALSKI", "JAN", "75020354321", "stary@firma.pl"),
          Person("ZIELIŃSKA", "EWA", "90123198765"), Person("MAZUR", "PIOTR", "66010112345"),
          Person("MAZUR", "OLGA", "66010112345"), Person("ŁUCKA", "ZOFIA", "01230167890", "zofia@dom.pl"),
          Person("DUDA", "OLAF", "55030398761", "olaf@duda.pl")})
        EXPECT_TRUE(workspace.taxpayers.Add(r));
    workspace.taxpayersSaved = true;
    return workspace;
}

const char* const kList[] = {
    "80051212345;anna.nowak@firma.pl",               // 1: a change
    "",                                              // 2: passed over
    "  75020354321 ;  Jan.Kowalski@Łódź.pl  ",       // 3: a change, trimmed, letter case kept
    "90123198765;ewa@zielinska.pl",                  // 4: with 8, two addresses for one PESEL
    "11111111111;obcy@nikt.pl",                      // 5: nobody has it
    "66010112345;mazur@dom.pl",                      // 6: two taxpayers have it
    "01230167890;zofia@dom.pl",                      // 7: already so
    "90123198765;ewa.z@gmail.com",                   // 8
    "12345678901 brak.srednika@x.pl",                // 9: no ";"
    "22222222222;bez-malpy.pl",                      // 10: no "@"
    ";ktos@x.pl",                                    // 11: no PESEL
    "33333333333;",                                  // 12: no address
    "   ",                                           // 13: blanks only, passed over
    "55030398761;OLAF@duda.pl",                      // 14: with 15 the same address: one change
    "55030398761;olaf@Duda.pl",                      // 15
};

struct Encoding {
    const char* name;
    bool utf8;
    bool bom;
    const char* lineEnd;
};

class EmailListEncodings : public testing::TestWithParam<Encoding> {};

TEST_P(EmailListEncodings, NamesEachProblemByLineAndChangesOnlyWhenApplied) {
    const Encoding& encoding = GetParam();
    std::string bytes = encoding.bom ? "\xEF\xBB\xBF" : "";
    for (const char* line : kList) bytes += (encoding.utf8 ? std::string(line) : Cp(line)) + encoding.lineEnd;

    Workspace workspace = Register();
    const EmailImportPlan plan = PlanEmailImport(workspace.taxpayers, bytes);
    EXPECT_FALSE(plan.empty);
    EXPECT_EQ(plan.unchanged, 1);
    std::vector<QString> problems;
    for (const EmailImportProblem& problem : plan.problems) problems.push_back(problem.text);
    const std::vector<QString> expected = {
        QStringLiteral("Wiersze 4 i 8: różne adresy dla numeru PESEL 90123198765; żaden z nich nie zostanie przypisany."),
        QStringLiteral("Wiersz 5: PESEL 11111111111 nie występuje w rejestrze."),
        QStringLiteral("Wiersz 6: PESEL 66010112345 ma w rejestrze 2 podatników (MAZUR PIOTR, MAZUR OLGA); adres nie "
                       "zostanie przypisany żadnemu z nich."),
        QStringLiteral("Wiersz 9: brak średnika między numerem PESEL a adresem („12345678901 brak.srednika@x.pl”)."),
        QStringLiteral("Wiersz 10: adres „bez-malpy.pl”: brak znaku „@”."),
        QStringLiteral("Wiersz 11: brak numeru PESEL przed średnikiem."),
        QStringLiteral("Wiersz 12: brak adresu e-mail po numerze PESEL 33333333333."),
    };
    EXPECT_EQ(problems, expected);

    // Looking changed nothing; applying gives NOWAK, KOWALSKI and DUDA their addresses.
    EXPECT_TRUE(workspace.taxpayers.at(0).email.empty());
    ASSERT_EQ(plan.changes.size(), 3u);
    EXPECT_EQ(ApplyEmailImport(workspace, plan), 3);
    EXPECT_FALSE(workspace.taxpayersSaved);
    EXPECT_EQ(workspace.taxpayers.at(0).email, std::string_view("anna.nowak@firma.pl"));
    EXPECT_EQ(workspace.taxpayers.at(1).email, Cp("Jan.Kowalski@Łódź.pl"));
    EXPECT_EQ(workspace.taxpayers.at(6).email, std::string_view("OLAF@duda.pl"));
    EXPECT_TRUE(workspace.taxpayers.at(2).email.empty());  // ZIELIŃSKA: two addresses, none
    EXPECT_TRUE(workspace.taxpayers.at(3).email.empty());  // MAZUR: no guess
    EXPECT_EQ(workspace.taxpayers.at(5).email, std::string_view("zofia@dom.pl"));
}

INSTANTIATE_TEST_SUITE_P(EmailImport, EmailListEncodings,
                         testing::Values(Encoding{"Cp1250CrLf", false, false, "\r\n"},
                                         Encoding{"Cp1250Lf", false, false, "\n"},
                                         Encoding{"Utf8BomCrLf", true, true, "\r\n"},
                                         Encoding{"Utf8Lf", true, false, "\n"}),
                         [](const testing::TestParamInfo<Encoding>& param) { return std::string(param.param.name); });

TEST(EmailImport, AnEmptyListSaysSoAndTheSummaryCountsInPolish) {
    EXPECT_TRUE(PlanEmailImport(Register().taxpayers, "\r\n  \r\n").empty);
    EXPECT_EQ(EmailImportSummary(1), QStringLiteral("Zmieniono adresy e-mail: 1 podatnika."));
    EXPECT_EQ(EmailImportSummary(22), QStringLiteral("Zmieniono adresy e-mail: 22 podatników."));
}

TEST(EmailAddressFault, AcceptsAddressesAndNamesWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"jan.kowalski@firma.com.pl", ""},
        {"łucja.żak+pit@poczta.wp.pl", ""},
        {"jan kowalski@firma.pl", "adres zawiera odstęp"},
        {"jan\x01@firma.pl", "adres zawiera znak sterujący"},
        {"иван@почта.рф", "znaku „и” nie można zapisać w pliku danych (strona kodowa 1250)"},
        {"jan@😀.pl", "znaku „😀” nie można zapisać w pliku danych (strona kodowa 1250)"},
        {"jan.firma.pl", "brak znaku „@”"},
        {"jan@dom@firma.pl", "więcej niż jeden znak „@”"},
        {"@firma.pl", "brak nazwy przed znakiem „@”"},
        {"jan@localhost", "domena „localhost” nie zawiera kropki"},
        {"jan@firma..pl", "domena „firma..pl” ma pustą część między kropkami"},
        {"jan,ewa@firma.pl", "niedozwolony znak „,” przed znakiem „@”"},
        {"jan@firma_pl.pl", "niedozwolony znak „_” w domenie"},
        {".jan@firma.pl", "nazwa przed znakiem „@” zaczyna się kropką, kończy nią albo ma dwie kropki obok siebie"},
    };
    for (const auto& [address, fault] : cases)
        EXPECT_EQ(EmailAddressFault(QString::fromUtf8(address)), QString::fromUtf8(fault)) << address;

    const QString longest = QString(241, u'a') + QStringLiteral("@firma.com.pl");  // 254 bytes
    EXPECT_EQ(EmailAddressFault(longest), QString());
    EXPECT_EQ(EmailAddressFault(QStringLiteral("ż") + longest.mid(1)),
              QStringLiteral("adres jest za długi (255 bajtów w UTF-8, najwyżej 254)"));
}

}  // namespace
