// fiskon-cli check end to end: a register of three taxpayers with mistakes of their own and of the
// payer, one finding a line; a selection; a bad command line; a clean register.

#include "support/RunCli.h"

#include "store/Cp1250.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeCp1250(const QString& name, const QString& text) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(cp1250::fromUnicode(text)));
}

}  // namespace

TEST(CheckCommand, ListsEachFindingAndSaysSoInItsExitCode) {
    QTemporaryDir dir;
    const QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
    const QString payer = dir.filePath(QStringLiteral("platnik.txt"));
    // Sorted by surname on opening: BŁAŻEJ 1, CYRAN 2, DUDA 3. A tab in CYRAN's name must not
    // reach a terminal as it is.
    writeCp1250(taxpayers, QStringLiteral(
        "[s1]\r\nnazwisko=DUDA\r\nimie1=OLGA\r\nnip=526-025-09-95\r\npesel=80051712345\r\ndataUr=1980-05-17\r\n"
        "us=US GLIWICE\r\npit11_od=01-01-2006\r\npit11_do=31-12-2006\r\n"
        "[s2]\r\nnazwisko=BŁAŻEJ\r\nimie1=ŁUCJA\r\nnip=000-000-00-00\r\nus=US KRAKÓW\r\n"
        "[s3]\r\nnazwisko=CYRAN\timie1\r\nimie1=JAN\r\nnip=526-025-09-95\r\nus=US OPOLE\r\nkodPoczt=45123\r\n"
        "[Parametry]\r\nLiczbaRekordow=3\r\n"));
    writeCp1250(payer, QStringLiteral("[Platnik]\r\nNIP=677-120-03-48\r\nnazwa=FIRMA ŁÓDŹ\r\nrodzaj=1\r\n"));

    const CliRun run = RunCli({QStringLiteral("check"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11"),
                               QStringLiteral("--payer"), payer});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "0;FIRMA ŁÓDŹ;;Poz. 1: nieprawidłowy NIP – cyfra kontrolna się nie zgadza.\n"
              "1;BŁAŻEJ;ŁUCJA;Poz. 19: NIP nie może składać się z samych zer.\n"
              "2;CYRAN\\timie1;JAN;Poz. 19: ten sam NIP ma też podatnik nr 3 (DUDA OLGA).\n"
              "2;CYRAN\\timie1;JAN;Poz. 20: formularz wypełnia się dużymi literami.\n"
              "2;CYRAN\\timie1;JAN;Poz. 31: kod pocztowy musi mieć postać 00-000.\n"
              "3;DUDA;OLGA;Poz. 19: ten sam NIP ma też podatnik nr 2 (CYRAN\\timie1 JAN).\n");
    EXPECT_EQ(run.err, QString());  // no progress line when standard error is not a terminal

    writeCp1250(payer, QStringLiteral("[Platnik]\r\nNIP=677-120-03-49\r\nnazwa=FIRMA\r\n"));
    const CliRun first = RunCli({QStringLiteral("check"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11"),
                                 QStringLiteral("--payer"), payer, QStringLiteral("--records"), QStringLiteral("1,1-1")});
    // A selection: BŁAŻEJ alone, with the payer now in order.
    EXPECT_EQ(first.exitCode, 3);
    EXPECT_EQ(first.out, QStringLiteral("1;BŁAŻEJ;ŁUCJA;Poz. 19: NIP nie może składać się z samych zer.\n"));

    const CliRun last = RunCli({QStringLiteral("check"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit40"),
                                QStringLiteral("--payer"), payer, QStringLiteral("--records"), QStringLiteral("3"),
                                QStringLiteral("--tax-year"), QStringLiteral("2006")});
    EXPECT_EQ(last.exitCode, 3) << last.out.toStdString();  // the shared NIP, on PIT-40 box 18
    EXPECT_EQ(last.out, QStringLiteral("3;DUDA;OLGA;Poz. 18: ten sam NIP ma też podatnik nr 2 (CYRAN\\timie1 JAN).\n"));

    for (const QStringList& bad : {QStringList{QStringLiteral("check"), taxpayers},
                                   QStringList{QStringLiteral("check"), taxpayers, QStringLiteral("--form"),
                                               QStringLiteral("pit11"), QStringLiteral("--records"), QStringLiteral("2-1")}}) {
        const CliRun usage = RunCli(bad);
        EXPECT_EQ(usage.exitCode, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(usage.out.isEmpty());
    }
}

// One taxpayer's check: a clean one exits with 0; a ";" or a double quote in a name does not shift
// the columns (the fields are written as the saved list writes them).
TEST(CheckCommand, OneTaxpayerCleanOrWithQuotedFields) {
    const std::pair<QString, std::string> cases[] = {
        {QStringLiteral("nazwisko=DUDA\r\nimie1=OLGA"), ""},
        {QStringLiteral("nazwisko=ADAM;CZYK\"Ó\r\nimie1=Jan"),
         "1;\"ADAM;CZYK\"\"Ó\";Jan;Poz. 21: formularz wypełnia się dużymi literami.\n"},
    };
    for (const auto& [names, output] : cases) {
        QTemporaryDir dir;
        const QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
        writeCp1250(taxpayers, QStringLiteral("[s1]\r\n") + names +
                                   QStringLiteral("\r\nnip=526-025-09-95\r\nus=US GLIWICE\r\n[Parametry]\r\nLiczbaRekordow=1\r\n"));
        const QString payer = dir.filePath(QStringLiteral("platnik.txt"));
        writeCp1250(payer, QStringLiteral("[Platnik]\r\nNIP=677-120-03-49\r\nnazwa=FIRMA\r\n"));
        const CliRun run = RunCli({QStringLiteral("check"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11"),
                                   QStringLiteral("--payer"), payer});
        EXPECT_EQ(run.exitCode, output.empty() ? 0 : 3) << run.out.toStdString();
        EXPECT_EQ(run.out.toStdString(), output);
    }
}

// PIT-11 struck out (the dialog's default) while box 34 shows wages: a finding, on each edition
// by the number of its wages box; with PIT-8B struck out, none.
TEST(CheckCommand, Pit11StruckOutWithWagesInBox34) {
    QTemporaryDir dir;
    const QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
    writeCp1250(taxpayers, QStringLiteral("[s1]\r\nnazwisko=DUDA\r\nimie1=OLGA\r\nnip=526-025-09-95\r\nus=US GLIWICE\r\n"
                                          "p11_34=4200,00\r\np11_36=4200,00\r\n[Parametry]\r\nLiczbaRekordow=1\r\n"));
    const QString payer = dir.filePath(QStringLiteral("platnik.txt"));
    writeCp1250(payer, QStringLiteral("[Platnik]\r\nNIP=677-120-03-49\r\nnazwa=FIRMA\r\n"));
    const std::string finding =
        "1;DUDA;OLGA;Poz. 34: na formularzu skreślono PIT-11, a poz. 34 wykazuje wynagrodzenie ze stosunku pracy.\n";
    const std::pair<QStringList, std::string> cases[] = {
        {{QStringLiteral("--strike"), QStringLiteral("pit11")}, finding},
        {{QStringLiteral("--strike"), QStringLiteral("pit11"), QStringLiteral("--edition"), QStringLiteral("2005")}, finding},
        {{}, finding},
        {{QStringLiteral("--strike"), QStringLiteral("pit8b")}, ""},
        {{QStringLiteral("--strike"), QStringLiteral("pit8b"), QStringLiteral("--edition"), QStringLiteral("2005")}, ""},
    };
    for (const auto& [options, output] : cases) {
        const CliRun run = RunCli(QStringList{QStringLiteral("check"), taxpayers, QStringLiteral("--form"),
                                              QStringLiteral("pit11"), QStringLiteral("--payer"), payer} +
                                  options);
        EXPECT_EQ(run.exitCode, output.empty() ? 0 : 3) << options.join(u' ').toStdString() << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), output) << options.join(u' ').toStdString();
    }
}
