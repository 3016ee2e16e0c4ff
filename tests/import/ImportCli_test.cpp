#include "PlatnikTestAccess.h"
#include "support/RunCli.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ReadCp1250(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return cp1250::toUnicode(file.readAll().toStdString());
}

class ImportCli : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

TEST_F(ImportCli, ImportsTaxpayersAndPayer) {
    const CliRun run = RunCli({QStringLiteral("import-platnik"), Fixture("basic.mdb"), path("out.txt"),
                               QStringLiteral("--password-stdin"), QStringLiteral("--payer"), path("platnik.ini")},
                              "Zaq12wsx\r\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(ReadCp1250(path("out.txt")).contains(QStringLiteral("LiczbaRekordow=13")));
    EXPECT_TRUE(ReadCp1250(path("out.txt")).contains(QStringLiteral("nazwisko=ĄBEL")));
    EXPECT_TRUE(ReadCp1250(path("platnik.ini")).contains(QStringLiteral("NIP=525-000-03-05")));
}

TEST_F(ImportCli, WithoutPayerFileOnlyTheTaxpayersAreWritten) {
    const CliRun run = RunCli({QStringLiteral("import-platnik"), Fixture("nopass.mdb"), path("out.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(ReadCp1250(path("out.txt")).contains(QStringLiteral("LiczbaRekordow=13")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(ImportCli, FailuresWriteNothing) {
    struct Case {
        const char* what;
        const char* fixture;
        QByteArray password;
        const char* message;
    };
    const Case cases[] = {
        {"wrong password", "basic.mdb", "zaq12wsx\n", "Nieprawidłowe hasło."},
        {"password not given", "basic.mdb", {}, "Nieprawidłowe hasło."},
        {"not a database", "not_a_database.mdb", {}, "Podczas próby logowania do bazy"},
        {"missing table", "missing_adres.mdb", "Zaq12wsx\n",
         "Prawdopodobnie baza jest otwarta w innym programie, uniemożliwiając odczyt!"},
        {"no file", "brak.mdb", {}, "Błędnie wskazany plik bazy danych!"},
    };
    for (const Case& c : cases) {
        QStringList arguments{QStringLiteral("import-platnik"), Fixture(c.fixture), path("out.txt"),
                              QStringLiteral("--payer"), path("platnik.ini")};
        if (!c.password.isNull()) arguments << QStringLiteral("--password-stdin");
        const CliRun run = RunCli(arguments, c.password);
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << c.what << ": " << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.txt"))) << c.what;
        EXPECT_FALSE(QFile::exists(path("platnik.ini"))) << c.what;
    }
}

TEST_F(ImportCli, OnlyPayerKeepsWhatTheImportDoesNotSet) {
    QFile payer(path("platnik.ini"));
    ASSERT_TRUE(payer.open(QIODevice::WriteOnly));
    payer.write("[Platnik]\r\nrodzaj=1\r\nnazwa=STARA\r\nkraj=POLSKA\r\n\r\n");
    payer.close();
    const CliRun run = RunCli({QStringLiteral("import-platnik"), Fixture("payer_f.mdb"), QStringLiteral("--only"),
                               QStringLiteral("payer"), QStringLiteral("--payer"), path("platnik.ini"),
                               QStringLiteral("--password-stdin")},
                              "Zaq12wsx\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString written = ReadCp1250(path("platnik.ini"));
    EXPECT_TRUE(written.contains(QStringLiteral("rodzaj=2")));
    EXPECT_TRUE(written.contains(QStringLiteral("nazwa=WOŹNIAK HALINA 1961-08-14")));
    EXPECT_TRUE(written.contains(QStringLiteral("kraj=POLSKA")));
}

TEST_F(ImportCli, IntoAnExistingFileAndSorted) {
    QFile delimited(path("in.txt"));
    ASSERT_TRUE(delimited.open(QIODevice::WriteOnly));
    delimited.write("ZYCH\tJAN\t99\t\r\nADAMSKI\tPIOTR\t11\t\r\n");
    delimited.close();
    CliRun run = RunCli({QStringLiteral("import-delimited"), path("in.txt"), path("first.txt"),
                         QStringLiteral("--separator"), QStringLiteral("tab"), QStringLiteral("--sort"),
                         QStringLiteral("pesel")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString first = ReadCp1250(path("first.txt"));
    EXPECT_LT(first.indexOf(QStringLiteral("ADAMSKI")), first.indexOf(QStringLiteral("ZYCH")));

    run = RunCli({QStringLiteral("import-platnik"), Fixture("nopass.mdb"), path("both.txt"),
                  QStringLiteral("--into"), path("first.txt"), QStringLiteral("--only"),
                  QStringLiteral("taxpayers")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(ReadCp1250(path("both.txt")).contains(QStringLiteral("LiczbaRekordow=15")));
}

TEST_F(ImportCli, DelimitedFailures) {
    struct Case {
        const char* what;
        QByteArray content;
        const char* separator;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"nothing usable", "KOWALSKI;JAN\r\n", ";", 1, "Ze wskazanego pliku nie udało się niczego zaimportować"},
        {"flag not an integer", "KOWALSKI;JAN;;;;;;;;;;;;;;;x;\r\n", ";", 1, "'x' is not a valid integer value"},
        {"two-character separator", "A;B;\r\n", ";;", 2, "Separator"},
    };
    for (const Case& c : cases) {
        QFile in(path("in.txt"));
        ASSERT_TRUE(in.open(QIODevice::WriteOnly));
        in.write(c.content);
        in.close();
        const CliRun run = RunCli({QStringLiteral("import-delimited"), path("in.txt"), path("out.txt"),
                                   QStringLiteral("--separator"), QString::fromUtf8(c.separator)});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << c.what << ": " << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.txt"))) << c.what;
    }
    const CliRun missing = RunCli({QStringLiteral("import-delimited"), path("brak.txt"), path("out.txt"),
                                   QStringLiteral("--separator"), QStringLiteral(";")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Plik o podanej nazwie nie istnieje!")));
}

}  // namespace
