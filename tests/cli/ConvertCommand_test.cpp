#include "support/RunCli.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& name, const QByteArray& bytes) { WriteTestFile(name, bytes); }
QByteArray readFile(const QString& name) { return ReadTestFile(name); }

QByteArray record(int number, const char* nazwisko, const char* imie1, const char* pesel) {
    return QByteArray("[s") + QByteArray::number(number) + "]\r\nnazwisko=" + nazwisko + "\r\nimie1=" + imie1 +
           "\r\npesel=" + pesel + "\r\n";
}

class ConvertCommand : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

TEST_F(ConvertCommand, WritesTheRegisterSortedByTheChosenKey) {
    writeFile(path("in.txt"), record(1, "Zyta", "Adam", "90") + record(2, "Abel", "Zenon", "70") +
                                  record(3, "Nowak", "Ewa", "80") + "[Parametry]\r\nLiczbaRekordow=3\r\n");
    const std::pair<const char*, QList<QByteArray>> cases[] = {
        {nullptr, {"Abel", "Nowak", "Zyta"}},
        {"nazwisko", {"Abel", "Nowak", "Zyta"}},
        {"imie", {"Zyta", "Nowak", "Abel"}},
        {"pesel", {"Abel", "Nowak", "Zyta"}},
    };
    for (const auto& [key, order] : cases) {
        QStringList arguments{QStringLiteral("convert"), path("in.txt"), path("out.txt")};
        if (key) arguments << QStringLiteral("--sort") << QString::fromLatin1(key);
        const CliRun run = RunCli(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QByteArray out = readFile(path("out.txt"));
        EXPECT_TRUE(out.startsWith("[s1]\r\nnazwisko=" + order[0] + "\r\n")) << (key ? key : "default");
        EXPECT_TRUE(out.contains("[s3]\r\nnazwisko=" + order[2] + "\r\n"));
        EXPECT_TRUE(out.endsWith("[Parametry]\r\nLiczbaRekordow=3\r\n\r\n"));
    }
}

TEST_F(ConvertCommand, KeepsCodePage1250AndEveryField) {
    const QByteArray in = "[s1]\r\nnazwisko=\xAF\xF3\xB3w\r\nimie1=\xA3ukasz\r\nnip=\r\npesel=\r\ndataUr=\r\nulica=\r\n"
                          "nrDomu=\r\nnrLok=\r\nmiejsc=\r\nkraj=\r\nkodPoczt=\r\npoczta=\r\ngmina=\r\npowiat=\r\n"
                          "wojewodztwo=\r\nus=\r\np11_34=1,00\r\np40_76=2,00\r\npit11_33=1\r\npit40_34=2\r\n"
                          "pit40_NIP3=1\r\npit40_PITR=0\r\npit11_PITR=2\r\npit11_od=01-01-2025\r\n"
                          "pit11_do=31-12-2025\r\n\r\n[Parametry]\r\nLiczbaRekordow=1\r\n\r\n";
    writeFile(path("in.txt"), in);
    const CliRun run = RunCli({QStringLiteral("convert"), path("in.txt"), path("out.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(path("out.txt")), in);
}

TEST_F(ConvertCommand, AFileWithoutUsableDataWritesNothing) {
    const QByteArray inputs[] = {
        "[Parametry]\r\nLiczbaRekordow=0\r\n",
        record(1, "Kowal", "Jan", "") + "[Parametry]\r\nLiczbaRekordow=abc\r\n",
        record(1, "Kowal", "", "") + "[Parametry]\r\nLiczbaRekordow=1\r\n",
        "\x00\x01\x02 binary",
    };
    for (const QByteArray& input : inputs) {
        writeFile(path("in.txt"), input);
        const CliRun run = RunCli({QStringLiteral("convert"), path("in.txt"), path("out.txt")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("Wskazany plik nie zawierał przydatnych danych!")))
            << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.txt")));
    }
    const CliRun missing = RunCli({QStringLiteral("convert"), path("brak.txt"), path("out.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Wskazany plik nie zawierał przydatnych danych!")));

    const CliRun folder = RunCli({QStringLiteral("convert"), dir_.path(), path("out.txt")});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(folder.err.contains(QStringLiteral("wskazano folder"))) << folder.err.toStdString();
    EXPECT_FALSE(folder.err.contains(QStringLiteral("przydatnych danych"))) << "the reason comes alone";
    EXPECT_FALSE(QFile::exists(path("out.txt")));
}

TEST_F(ConvertCommand, AnOutputThatCannotBeWrittenFailsWithItsReasonAndKeepsTheInput) {
    const QByteArray in = record(1, "Kowal", "Jan", "1") + "[Parametry]\r\nLiczbaRekordow=1\r\n";
    writeFile(path("in.txt"), in);
    const CliRun run = RunCli({QStringLiteral("convert"), path("in.txt"), path("brak/out.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Nie można zapisać pliku"))) << run.err.toStdString();
    EXPECT_EQ(readFile(path("in.txt")), in);
}

TEST(FiskonCli, BadArgumentsPrintUsageAndExitWithTwo) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("nieznane")},
        {QStringLiteral("convert")},
        {QStringLiteral("convert"), QStringLiteral("a.txt")},
        {QStringLiteral("convert"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
        {QStringLiteral("convert"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--sort")},
        {QStringLiteral("convert"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--sort"),
         QStringLiteral("nip")},
        {QStringLiteral("convert"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--verbose")},
    };
    for (const QStringList& arguments : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Użycie: fiskon-cli"))) << run.err.toStdString();
    }
    const CliRun help = RunCli({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("convert")));
}

}  // namespace
