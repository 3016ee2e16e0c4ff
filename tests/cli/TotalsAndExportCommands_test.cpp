// fiskon-cli summary and export-delimited end to end: the totals of a small register as lines
// (the count, then each filled box in box order), a chosen taxpayer, a data problem and a bad
// command line; then the register out to delimited text and back in with import-delimited,
// giving the same file as the register saved directly, and a refused separator writing nothing.

#include "support/RunCli.h"

#include "store/Cp1250.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void WriteCp1250(const QString& name, const QString& text) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(cp1250::fromUnicode(text)));
}

QByteArray Contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Sorted on opening: BŁAŻEJ 1, DUDA 2.
const QString kRegister = QStringLiteral(
    "[s1]\r\nnazwisko=DUDA\r\nimie1=OLGA\r\nnip=526-025-09-95\r\nus=US GLIWICE\r\nulica=@RYNEK; 1\r\n"
    "p11_34=120000,00\r\np11_35=3000,00\r\np11_37=9000,00\r\npit11_33=4\r\np40_35=30000,00\r\n"
    "[s2]\r\nnazwisko=BŁAŻEJ\r\nimie1=ŁUCJA\r\nnip=000-000-00-00\r\nus=US KRAKÓW\r\npit40_NIP3=1\r\n"
    "p11_34=168000,00\r\np11_35=1335,00\r\np11_72=10,50\r\n"
    "[Parametry]\r\nLiczbaRekordow=2\r\n");

}  // namespace

TEST(SummaryCommand, PrintsTheCountAndEachFilledBoxInBoxOrder) {
    QTemporaryDir dir;
    const QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
    WriteCp1250(taxpayers, kRegister);

    const CliRun run = RunCli({QStringLiteral("summary"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Liczba podatników;2\n"
                                      "34;Przychód – wynagrodzenie ze stosunku pracy…;288000,00\n"
                                      "35;Koszty uzyskania przychodu – wynagrodzenie ze stosunku pracy…;4335,00\n"
                                      "36;Dochód – wynagrodzenie ze stosunku pracy…;283665,00\n"
                                      "37;Zaliczka pobrana przez płatnika – wynagrodzenie ze stosunku pracy…;9000,00\n"
                                      "54;Dochód – przychody z działalności wykonywanej osobiście…;0,00\n"
                                      "58;Dochód – przychody związane z pełnieniem obowiązków społecznych lub obywatelskich;0,00\n"
                                      "62;Dochód – udział w organach stanowiących osób prawnych;0,00\n"
                                      "66;Dochód – kontrakt menedżerski…;0,00\n"
                                      "70;Dochód – prawa autorskie i inne prawa…;0,00\n"
                                      "72;Przychód – inne źródła;10,50\n"
                                      "73;Dochód – inne źródła;10,50\n"));

    const CliRun second = RunCli({QStringLiteral("summary"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit40"),
                                  QStringLiteral("--records"), QStringLiteral("2")});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.startsWith(QStringLiteral("Liczba podatników;1\n35;Przychód – wynagrodzenie ze stosunku pracy…;30000,00\n")))
        << second.out.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("\n69;Obliczony podatek (zgodnie z art. 27 ustawy);5169,92\n")));

    WriteCp1250(taxpayers, QString(kRegister).replace(QStringLiteral("p11_72=10,50"), QStringLiteral("p11_72=10 zł")));
    const CliRun problem = RunCli({QStringLiteral("summary"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11")});
    EXPECT_EQ(problem.exitCode, 1);
    EXPECT_TRUE(problem.out.isEmpty());
    EXPECT_TRUE(problem.err.startsWith(QStringLiteral("Podatnik nr 1 (BŁAŻEJ ŁUCJA), poz. 72: „10 zł” nie jest kwotą.\n")))
        << problem.err.toStdString();

    // A negative amount is refused with its box, as the form's check refuses it; no totals.
    WriteCp1250(taxpayers, QString(kRegister).replace(QStringLiteral("p11_72=10,50"), QStringLiteral("p11_72=-10,50")));
    const CliRun negative = RunCli({QStringLiteral("summary"), taxpayers, QStringLiteral("--form"), QStringLiteral("pit11")});
    EXPECT_EQ(negative.exitCode, 1);
    EXPECT_TRUE(negative.out.isEmpty());
    EXPECT_TRUE(negative.err.startsWith(QStringLiteral(
        "Podatnik nr 1 (BŁAŻEJ ŁUCJA), poz. 72: kwota -10,50 jest ujemna – sprawdzenie formularza jej nie przyjmie.\n")))
        << negative.err.toStdString();

    for (const QStringList& bad : {QStringList{QStringLiteral("summary"), taxpayers},
                                   QStringList{QStringLiteral("summary"), taxpayers, QStringLiteral("--form"),
                                               QStringLiteral("pit11"), QStringLiteral("--records"), QStringLiteral("x")}}) {
        const CliRun usage = RunCli(bad);
        EXPECT_EQ(usage.exitCode, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(usage.out.isEmpty());
    }
}

TEST(ExportDelimitedCommand, RoundTripsThroughImportAndRefusesAValueHoldingTheSeparator) {
    QTemporaryDir dir;
    const QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
    WriteCp1250(taxpayers, kRegister);
    const QString exported = dir.filePath(QStringLiteral("eksport.txt"));
    const QString imported = dir.filePath(QStringLiteral("z-importu.txt"));
    const QString saved = dir.filePath(QStringLiteral("zapisany.txt"));

    const CliRun out = RunCli({QStringLiteral("export-delimited"), taxpayers, exported, QStringLiteral("--separator"),
                               QStringLiteral("tab")});
    ASSERT_EQ(out.exitCode, 0) << out.err.toStdString();
    const QByteArray text = Contents(exported);
    EXPECT_TRUE(text.startsWith(QByteArray::fromStdString(cp1250::fromUnicode(u"BŁAŻEJ\tŁUCJA\t\t000-000-00-00\t"))));
    EXPECT_EQ(text.count('\n'), 2);
    EXPECT_EQ(text.count('\t'), 216);

    ASSERT_EQ(RunCli({QStringLiteral("import-delimited"), exported, imported, QStringLiteral("--separator"),
                      QStringLiteral("tab")}).exitCode, 0);
    ASSERT_EQ(RunCli({QStringLiteral("convert"), taxpayers, saved}).exitCode, 0);
    EXPECT_EQ(Contents(imported), Contents(saved));

    const CliRun refused = RunCli({QStringLiteral("export-delimited"), taxpayers, exported, QStringLiteral("--separator"),
                                   QStringLiteral(";")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("nr 2 (DUDA OLGA), Ulica: „@RYNEK; 1”"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("np. tabulator"))) << refused.err.toStdString();
    EXPECT_EQ(Contents(exported), text);  // the earlier export stays

    EXPECT_EQ(RunCli({QStringLiteral("export-delimited"), taxpayers, exported}).exitCode, 2);
    EXPECT_EQ(RunCli({QStringLiteral("export-delimited"), taxpayers, exported, QStringLiteral("--separator"),
                      QStringLiteral("ab")}).exitCode, 2);
}
