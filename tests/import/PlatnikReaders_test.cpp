#include "import/DatabaseError.h"
#include "import/PlatnikReaders.h"

#include "PlatnikTestAccess.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PlatnikFormats, NipAndPostcode) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {Case{"5260001200", "526-000-12-00"}, Case{"677-100-20-00", ""}, Case{"526000123", ""},
                          Case{"", ""}, Case{"abcdefghij", "abc-def-gh-ij"}})
        EXPECT_EQ(FormatNIP(c.in), c.out) << c.in;
    for (const Case& c : {Case{"31042", "31-042"}, Case{"00-950", "00-950"}, Case{"8030", ""},
                          Case{"310420", "31-042"}, Case{"", ""}, Case{"12-3456789012", "12-3456789012"},
                          Case{"ab cd", "ab- cd"}})
        EXPECT_EQ(FormatKodPocztowy(c.in), c.out) << c.in;
}

// Every table of every fixture reads back as the manifest lists it.
TEST(PlatnikFixtures, TablesMatchTheManifest) {
    const QJsonObject manifest = Manifest();
    for (const char* name : {"basic.mdb", "nopass.mdb", "polish_password.mdb", "payer_f.mdb", "payer_other.mdb",
                             "empty_payer.mdb", "missing_adres.mdb", "large.mdb", "over_limit.mdb"}) {
        const QJsonObject fixture = manifest.value(QString::fromUtf8(name)).toObject();
        PlatnikConnection connection;
        connection.SetDbPath(Fixture(name));
        connection.SetDbPassword(fixture.value(QStringLiteral("password")).toString());
        ASSERT_TRUE(connection.TestLogin().ok()) << name;
        connection.Open();
        const QJsonObject tables = fixture.value(QStringLiteral("tables")).toObject();
        for (auto t = tables.begin(); t != tables.end(); ++t) {
            const QJsonObject table = t.value().toObject();
            PlatnikTable& read = connection.Table();
            read.SetTableName(t.key().toStdString());
            read.Open();
            ASSERT_EQ(read.RecordCount(), static_cast<std::size_t>(table.value(QStringLiteral("row_count")).toInt()))
                << name << " " << t.key().toStdString();
            QJsonArray rows = table.value(QStringLiteral("rows")).toArray();
            if (rows.isEmpty()) rows = table.value(QStringLiteral("first_rows")).toArray();
            for (qsizetype r = 0; r < rows.size(); ++r) {
                read.MoveTo(static_cast<std::size_t>(r + 1));
                const QJsonObject row = rows[r].toObject();
                for (auto cell = row.begin(); cell != row.end(); ++cell) {
                    const QJsonValue v = cell.value();
                    const std::string expected =
                        v.isNull() ? std::string() : v.isDouble() ? std::to_string(v.toInteger())
                                                                  : cp1250::fromUnicode(v.toString());
                    EXPECT_EQ(read.AsText(cell.key().toStdString()), expected)
                        << name << " " << t.key().toStdString() << " row " << r + 1 << " "
                        << cell.key().toStdString();
                }
            }
        }
    }
}

struct Expected {
    const char* nazwisko;
    const char* imie1;
    const char* nip;
    const char* dataUr;
    const char* miejsc;
    const char* kodPoczt;
    const char* ulica;
    const char* nrDomu;
    const char* nrLok;
};

TEST(ReadInsuredPersons, BasicDatabase) {
    RecordingDataAccess access(Fixture("basic.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    ReadInsuredPersons(access, taxpayers);
    EXPECT_TRUE(access.reported.isEmpty());
    EXPECT_TRUE(access.IsConnected());          // the connection stays open after reading
    EXPECT_FALSE(access.ADOTable().Active());   // the table object is closed

    // Sorted by surname with the Polish capitals folded; persons of both tables merged; rows
    // without a first name dropped (WÓJCIK of ZUSZUA, NOWAK), WÓJCIK PIOTR kept from UBEZP_IDENT.
    const Expected expected[] = {
        {"ĄBEL", "ZOFIA", "", "1990-07-21", "Dęblin", "", "Wiślana", "3A", ""},
        {"ABEL", "JĘDRZEJ", "676-203-45-03", "1968-01-30", "Łódź", "31-042", "Piotrkowska", "101", "12"},
        {"GĘBALA", "KRZYSZTOF", "734-000-19-01", "", "Nowy Sącz", "33-300", "Jagiellońska", "20", "4"},
        {"MAZUR", "TOMASZ", "113-000-77-16", "1977-08-08", "Żyrardów", "96-300", "", "4", ""},
        {"PIETRZAK", "KATARZYNA", "", "", "", "", "", "", ""},
        {"WÓJCIK", "PIOTR", "", "1981-04-04", "Świdnik", "21-040", "Racławicka", "17", "6"},
        {"ŻAK", "ŁUKASZ", "526-000-12-00", "1980-03-15", "Piaseczno", "05-500", "Puławska", "20", ""},
        {"ZAWADA", "ANNA", "", "1975-11-02", "Kraków", "30-001", "Rynek Główny", "1", "2"},
        {"ZIELIŃSKI", "GRZEGORZ", "", "2001-02-28", "Gdańsk", "80-180", "Świętojańska", "44", ""},
        {"kowalczyk", "EWA", "", "1972-09-09", "Białystok", "15-950", "Lipowa", "9", "3"},
        {"ŚLIWA", "BOŻENA", "951-044-77-04", "1959-12-24", "Katowice", "40-005", "Mariacka", "2", "1"},
        {"ŹRÓDŁOWSKA", "JADWIGA", "", "1949-06-18", "Jelenia Góra", "58-500", "Sudecka", "1", ""},
        {"ŁUKASIK", "MAŁGORZATA", "", "1985-05-05", "Łódź", "90-001", "Ogrodowa", "15", ""},
    };
    ASSERT_EQ(taxpayers.count(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < taxpayers.count(); ++i) {
        const TaxpayerRecord& r = taxpayers.at(i);
        const Expected& e = expected[i];
        SCOPED_TRACE(e.nazwisko);
        EXPECT_EQ(r.nazwisko, Cp(e.nazwisko));
        EXPECT_EQ(r.imie1, Cp(e.imie1));
        EXPECT_EQ(r.nip, Cp(e.nip));
        EXPECT_EQ(r.dataUr, Cp(e.dataUr));
        EXPECT_EQ(r.miejsc, Cp(e.miejsc));
        EXPECT_EQ(r.gmina, Cp(e.miejsc));  // every fixture address has the locality as its commune
        EXPECT_EQ(r.kodPoczt, Cp(e.kodPoczt));
        EXPECT_EQ(r.ulica, Cp(e.ulica));
        EXPECT_EQ(r.nrDomu, Cp(e.nrDomu));
        EXPECT_EQ(r.nrLok, Cp(e.nrLok));
        EXPECT_TRUE(r.us.empty() && r.kraj.empty() && r.powiat.empty() && r.poczta.empty());
    }
    EXPECT_EQ(taxpayers.at(6).id, 1);
    EXPECT_EQ(taxpayers.at(6).pesel, "80031512370");
}

TEST(ReadInsuredPersons, SecondImportAddressesTheFirstRecordsAndMergesIntoThem) {
    RecordingDataAccess access(Fixture("basic.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    ReadInsuredPersons(access, taxpayers);
    ASSERT_TRUE(taxpayers.SelectByIndex(6));
    taxpayers.current()->p11Box(34) = "100,00";  // typed in by the user after the first import
    ReadInsuredPersons(access, taxpayers);
    ASSERT_EQ(taxpayers.count(), 13);
    EXPECT_EQ(taxpayers.at(6).nazwisko, Cp("ŻAK"));
    EXPECT_EQ(taxpayers.at(6).p11Box(34), "100,00");
    EXPECT_EQ(taxpayers.at(6).miejsc, "Piaseczno");
}

TEST(ReadInsuredPersons, FailedLoginReadsNothingButStillSorts) {
    RecordingDataAccess access(Fixture("basic.mdb"), QStringLiteral("złe"));
    TaxpayerRegister taxpayers;
    TaxpayerRecord record;
    for (const char* surname : {"ZYCH", "ADAMSKI", "ZYCH"}) {
        TaxpayerRegister::ClearRecord(record);
        record.nazwisko = surname;
        record.imie1 = "JAN";
        record.pesel = "1";
        taxpayers.Add(record);
    }
    ReadInsuredPersons(access, taxpayers);
    ASSERT_EQ(access.reported.size(), 1);
    EXPECT_TRUE(access.reported[0].contains(QStringLiteral("Nieprawidłowe hasło.")));
    ASSERT_EQ(taxpayers.count(), 2);
    EXPECT_EQ(taxpayers.at(0).nazwisko, "ADAMSKI");
}

TEST(ReadInsuredPersons, MissingTableFailsAfterTheTwoTablesRead) {
    RecordingDataAccess access(Fixture("missing_adres.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    try {
        ReadInsuredPersons(access, taxpayers);
        FAIL() << "no error for the missing table";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("UBEZP_ADRES"))) << error.what();
    }
    // Both persons of ZUSZUA and the one of UBEZP_IDENT stay, in reading order, not yet merged.
    ASSERT_EQ(taxpayers.count(), 3);
    EXPECT_EQ(taxpayers.at(0).nazwisko, "GRABOWSKA");
    EXPECT_EQ(taxpayers.at(1).nazwisko, Cp("ŚWIĄTEK"));
    EXPECT_EQ(taxpayers.at(2).nazwisko, "GRABOWSKA");
}

TEST(ReadInsuredPersons, LargeDatabaseUpToTheRowLimit) {
    RecordingDataAccess access(Fixture("large.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    ReadInsuredPersons(access, taxpayers);
    // 62,259 persons less the 623 without a first name (k mod 100 = 50), plus the 1,000 found only
    // in UBEZP_IDENT and the 40 nameless ones that UBEZP_IDENT names (p = 13i + 5 with i mod 100 =
    // 65); the repeated documents and the other UBEZP_IDENT copies fold into their first records.
    EXPECT_EQ(taxpayers.count(), 62259 - 623 + 1000 + 40);
    ASSERT_TRUE(taxpayers.SelectById(1));
    // Person 1 has a Z row (j = 0): Warszawa, Kościuszki 1.
    EXPECT_EQ(taxpayers.current()->miejsc, "Warszawa");
    EXPECT_EQ(taxpayers.current()->kodPoczt, "02-000");
}

TEST(ReadInsuredPersons, TablesOverTheOldRowLimitAreReadWhole) {
    RecordingDataAccess access(Fixture("over_limit.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    ReadInsuredPersons(access, taxpayers);
    EXPECT_EQ(taxpayers.count(), 70000);
    EXPECT_TRUE(taxpayers.SelectById(70000));
}

// More persons than the register may hold: none of the database's persons is added, nothing is
// merged, and the register the user had stays as it was.
TEST(ReadInsuredPersons, DatabaseBeyondTheLimitAddsNothing) {
    RecordingDataAccess access(Fixture("basic.mdb"), kFixturePassword);
    TaxpayerRegister taxpayers;
    taxpayers.setRecordLimit(8);
    TaxpayerRecord mine;
    mine.nazwisko = "ZAWADA";
    mine.imie1 = "ANNA";
    mine.id = 2;  // the id of a person of the database, whose address would be attached
    taxpayers.Add(mine);
    EXPECT_THROW(ReadInsuredPersons(access, taxpayers), RecordLimitError);
    ASSERT_EQ(taxpayers.count(), 1);
    EXPECT_EQ(taxpayers.at(0).nazwisko, "ZAWADA");
    EXPECT_TRUE(taxpayers.at(0).miejsc.empty());
    EXPECT_EQ(taxpayers.current(), &taxpayers.at(0));
}

// Damaged copies of the large database made here: a data page in the middle of the persons'
// table overwritten, and the file cut at a page boundary in the middle of that table. The header
// is intact, so the login works; the table cannot be read whole, and that is a reading error
// naming the table, not an import of fewer persons.
TEST(ReadInsuredPersons, DamagedTableIsAReadingError) {
    QTemporaryDir dir;
    QFile source(Fixture("large.mdb"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    constexpr qsizetype kPage = 4096;
    const qsizetype middle = whole.size() / kPage / 2 * kPage;
    qsizetype dataPage = middle;
    while (dataPage < whole.size() && whole[dataPage] != '\x01') dataPage += kPage;  // a data page
    ASSERT_LT(dataPage, whole.size());

    QByteArray overwritten = whole;
    overwritten.replace(dataPage, kPage, QByteArray(kPage, '\xff'));
    const struct {
        const char* name;
        QByteArray bytes;
    } copies[] = {{"page.mdb", overwritten}, {"cut.mdb", whole.left(middle)}};
    for (const auto& copy : copies) {
        const QString path = dir.filePath(QString::fromUtf8(copy.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(copy.bytes);
        file.close();
        RecordingDataAccess access(path, kFixturePassword);
        TaxpayerRegister taxpayers;
        try {
            ReadInsuredPersons(access, taxpayers);
            ADD_FAILURE() << copy.name << ": read " << taxpayers.count() << " persons without an error";
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("ZUSZUA"))) << error.what();
            EXPECT_TRUE(error.message().contains(QStringLiteral("uszkodzona"))) << error.what();
        }
        EXPECT_TRUE(access.reported.isEmpty()) << copy.name;  // the login itself worked
        EXPECT_TRUE(taxpayers.empty()) << copy.name;
    }
}

struct PayerCase {
    const char* fixture;
    const char* password;
    const char* nip;
    const char* regon;
    int rodzaj;
    const char* nazwa;
    const char* wojewodztwo;
    const char* miejscowosc;
    const char* kodPoczt;
};

TEST(ReadPayerData, KindsOfPayer) {
    const PayerCase cases[] = {
        {"basic.mdb", "Zaq12wsx", "525-000-03-05", "012345675", 1,
         "PRZEDSIĘBIORSTWO PRODUKCYJNO-HANDLOWO-USŁUGOWE „ŁĄCZNIK” SPÓŁKA Z O.O.", "MAZOWIECKIE", "Warszawa",
         "02-017"},
        {"payer_f.mdb", "Zaq12wsx", "894-000-55-00", "930123777", 2, "WOŹNIAK HALINA 1961-08-14", "DOLNOŚLĄSKIE",
         "Wrocław", "50-066"},
        {"payer_other.mdb", "Zaq12wsx", "894-000-66-00", "930123889", 7, "Poprzednia nazwa", "DOLNOŚLĄSKIE",
         "Wrocław", "50-066"},
        {"polish_password.mdb", "Hasło;Źdź1", "781-000-02-02", "630123456", 1, "ELTECH SPÓŁKA JAWNA",
         "WIELKOPOLSKIE", "Poznań", "61-806"},
    };
    for (const PayerCase& c : cases) {
        SCOPED_TRACE(c.fixture);
        RecordingDataAccess access(Fixture(c.fixture), QString::fromUtf8(c.password));
        PayerRecord payer;
        payer.nazwa = Cp("Poprzednia nazwa");
        payer.rodzaj = 7;
        payer.kraj = "POLSKA";
        payer.poczta = "Poczta";
        ReadPayerData(access, payer);
        EXPECT_EQ(payer.NIP, c.nip);
        EXPECT_EQ(payer.regon, c.regon);
        EXPECT_EQ(payer.rodzaj, c.rodzaj);
        EXPECT_EQ(payer.nazwa, Cp(c.nazwa));
        EXPECT_EQ(payer.wojewodztwo, Cp(c.wojewodztwo));
        EXPECT_EQ(payer.miejscowosc, Cp(c.miejscowosc));
        EXPECT_EQ(payer.kodPoczt, c.kodPoczt);
        EXPECT_EQ(payer.kraj, "POLSKA");   // not touched by the import
        EXPECT_EQ(payer.poczta, "Poczta");
    }
}

TEST(ReadPayerData, FirstAddressRowWhateverItsType) {
    RecordingDataAccess access(Fixture("basic.mdb"), kFixturePassword);
    PayerRecord payer;
    ReadPayerData(access, payer);
    EXPECT_EQ(payer.ulica, "Aleje Jerozolimskie");
    EXPECT_EQ(payer.nrDomu, "123A");
    EXPECT_EQ(payer.nrLok, "");
    EXPECT_EQ(payer.gmina, "Warszawa");
}

TEST(ReadPayerData, EmptyPayerTablesLeaveThePayerAsItWas) {
    RecordingDataAccess access(Fixture("empty_payer.mdb"), kFixturePassword);
    PayerRecord payer;
    payer.NIP = "111-111-11-11";
    payer.nazwa = "FIRMA";
    payer.rodzaj = 1;
    payer.ulica = "Długa";
    ReadPayerData(access, payer);
    EXPECT_TRUE(access.reported.isEmpty());
    EXPECT_EQ(payer.NIP, "111-111-11-11");
    EXPECT_EQ(payer.nazwa, "FIRMA");
    EXPECT_EQ(payer.rodzaj, 1);
    EXPECT_EQ(payer.ulica, "Długa");
}

TEST(ReadPayerData, FailedLoginChangesNothing) {
    RecordingDataAccess access(Fixture("not_a_database.mdb"), {});
    PayerRecord payer;
    payer.nazwa = "FIRMA";
    ReadPayerData(access, payer);
    ASSERT_EQ(access.reported.size(), 1);
    EXPECT_FALSE(access.lastWasErrorIcon);
    EXPECT_EQ(payer.nazwa, "FIRMA");
}

}  // namespace
