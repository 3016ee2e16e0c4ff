// fiskon-cli import-emails end to end: a list with a problem writes nothing and says why; with
// --accept-rest the rest is applied and the file read back holds the addresses.

#include "support/RunCli.h"
#include "support/TestFiles.h"

#include "store/Cp1250.h"
#include "store/TaxpayerDataFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ImportEmailsCommand, AProblemWritesNothingUnlessTheRestIsAccepted) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("podatnicy.txt"));
    const QString list = dir.filePath(QStringLiteral("adresy.csv"));
    const QString out = dir.filePath(QStringLiteral("wynik.txt"));
    WriteTestFile(in, QByteArray::fromStdString(cp1250::fromUnicode(QStringLiteral(
                  "[s1]\r\nnazwisko=WÓJCIK\r\nimie1=JÓZEF\r\npesel=72061712345\r\n"
                  "[s2]\r\nnazwisko=BAK\r\nimie1=IGA\r\npesel=85111154321\r\nemail=iga@stary.pl\r\n"
                  "[Parametry]\r\nLiczbaRekordow=2\r\n"))));
    // UTF-8 with its mark, the Polish letters of the first address kept.
    WriteTestFile(list, "\xEF\xBB\xBF" "72061712345;józef.wójcik@firma.pl\r\n85111154321;iga.bak@firma.pl\r\n"
                "99999999999;ktos@firma.pl\r\n");
    WriteTestFile(out, "earlier");

    const CliRun refused = RunCli({QStringLiteral("import-emails"), in, list, out});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("Wiersz 3: PESEL 99999999999 nie występuje w rejestrze.\n"
                                          "Nie zapisano pliku wyjściowego; z opcją --accept-rest zostaną przypisane "
                                          "pozostałe adresy.\n"));
    EXPECT_EQ(ReadTestFile(out), QByteArray("earlier"));

    const CliRun accepted = RunCli({QStringLiteral("import-emails"), in, list, out, QStringLiteral("--accept-rest")});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
    EXPECT_EQ(accepted.err, QStringLiteral("Wiersz 3: PESEL 99999999999 nie występuje w rejestrze.\n"));
    EXPECT_EQ(accepted.out, QStringLiteral("Zmieniono adresy e-mail: 2 podatników.\n"));
    TaxpayerRegister back;
    ASSERT_TRUE(LoadFromFile(back, out));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(0).nazwisko, std::string_view("BAK"));  // sorted on opening
    EXPECT_EQ(back.at(0).email, std::string_view("iga.bak@firma.pl"));
    EXPECT_EQ(back.at(1).email, cp1250::fromUnicode(QStringLiteral("józef.wójcik@firma.pl")));

    EXPECT_EQ(RunCli({QStringLiteral("import-emails"), in, list}).exitCode, 2);
    EXPECT_EQ(RunCli({QStringLiteral("import-emails"), in, list, list}).exitCode, 1);
    EXPECT_EQ(ReadTestFile(list).left(3), QByteArray("\xEF\xBB\xBF"));
}
