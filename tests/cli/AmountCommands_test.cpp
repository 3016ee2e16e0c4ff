#include "support/RunCli.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TaxCommand, PrintsTheTaxOfTheScale) {
    const std::pair<const char*, const char*> cases[] = {
        {"30000", "5169,92"}, {"37023", "6504,29"}, {"37024", "6504,48"}, {"74048", "17611,68"},
        {"100000,00", "27992,48"}, {"2000", "0,00"}, {"-500,00", "0,00"}, {"", "0,00"}};
    for (const auto& [base, tax] : cases) {
        const CliRun run = RunCli({QStringLiteral("tax"), QString::fromLatin1(base)});
        EXPECT_EQ(run.exitCode, 0) << base << run.err.toStdString();
        EXPECT_EQ(run.out, QString::fromLatin1(tax) + u'\n') << base;
    }
}

TEST(TaxCommand, RefusesWhatIsNotAnAmount) {
    for (const char* base : {"abc", "1.234,56", "12,3,4", "1e5"}) {
        const CliRun run = RunCli({QStringLiteral("tax"), QString::fromLatin1(base)});
        EXPECT_EQ(run.exitCode, 1) << base;
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(base))) << run.err.toStdString();
    }
    const CliRun huge = RunCli({QStringLiteral("tax"), QString(400, u'9')});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_TRUE(huge.err.contains(QStringLiteral("zbyt duża"))) << huge.err.toStdString();
    EXPECT_EQ(RunCli({QStringLiteral("tax")}).exitCode, 2);
    EXPECT_EQ(RunCli({QStringLiteral("tax"), QStringLiteral("1"), QStringLiteral("2")}).exitCode, 2);
}

// One record section with the given amount keys ("p40_35=40000,00\r\n...").
QByteArray section(int number, const char* nazwisko, const QByteArray& amounts) {
    return "[s" + QByteArray::number(number) + "]\r\nnazwisko=" + nazwisko + "\r\nimie1=Jan\r\n" + amounts + "\r\n";
}

QByteArray parameters(int count) { return "[Parametry]\r\nLiczbaRekordow=" + QByteArray::number(count) + "\r\n"; }

class RecomputeCommand : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    void write(const char* name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir dir_;
};

TEST_F(RecomputeCommand, WritesEveryComputedBoxOfBothForms) {
    write("in.txt", section(1, "Nowak",
                            "p11_34=5000,00\r\np11_35=1000,00\r\np11_38=300,00\r\np11_39=100,00\r\np11_40=7\r\n"
                            "p40_35=40000,00\r\np40_36=1335,00\r\np40_38=5000,00\r\np40_66=5000,00\r\n"
                            "p40_69=1,00\r\np40_73=2500,00\r\n") +
                        section(2, "Abel", "p40_35=10\r\n") + parameters(2));
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray out = read("out.txt");
    const qsizetype nowak = out.indexOf("nazwisko=Nowak");
    ASSERT_GT(nowak, out.indexOf("nazwisko=Abel"));  // sorted as Open sorts
    const QByteArray nowakSection = out.mid(nowak);
    for (const char* line :
         {"p11_34=5000,00", "p11_36=4200,00", "p11_40=7", "p11_41=7", "p11_54=0,00", "p11_70=0,00",
          "p40_37=38665,00", "p40_52=0,00", "p40_62=40000,00", "p40_63=1335,00", "p40_64=38665,00",
          "p40_65=5000,00", "p40_68=33665,00", "p40_69=5866,27", "p40_71=5866,27", "p40_74=3366",
          "p40_75=0,00", "p40_76=1634,00"})
        EXPECT_TRUE(nowakSection.contains(QByteArray(line) + "\r\n")) << line;
    // Copies of empty boxes stay empty and so are not written.
    EXPECT_FALSE(nowakSection.contains("p11_44=")) << nowakSection.constData();
    EXPECT_FALSE(nowakSection.contains("p40_42="));
    EXPECT_TRUE(out.contains("p40_35=10\r\np40_37=10,00\r\n"));  // stored text is read, not rewritten
    EXPECT_TRUE(out.endsWith(parameters(2) + "\r\n"));
}

TEST_F(RecomputeCommand, UnreadableAmountNamesTheRecordAndWritesNothing) {
    write("in.txt", section(1, "Abel", "p40_35=100,00\r\n") + section(2, "Nowak", "p11_52=1.234,56\r\n") +
                        parameters(2));
    write("out.txt", "earlier content");
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Rekord nr 2"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("1.234,56"))) << run.err.toStdString();
    EXPECT_EQ(read("out.txt"), "earlier content");
}

TEST_F(RecomputeCommand, PositionIsTheRegisterPositionAfterOpening) {
    // The file holds Nowak first; opened and sorted by surname, Nowak is the second record.
    write("in.txt", section(1, "Nowak", "p40_35=x\r\n") + section(2, "Abel", "") + parameters(2));
    const CliRun byName = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(byName.exitCode, 1);
    EXPECT_TRUE(byName.err.contains(QStringLiteral("Rekord nr 2"))) << byName.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

// Every amount that stops the recomputation is named, with its taxpayer, form and box, before the
// command gives up; the records in between are no reason to stop early.
TEST_F(RecomputeCommand, ListsEveryUnreadableAmountWithItsTaxpayerAndBox) {
    write("in.txt", section(1, "Abel", "p40_35=12,3x\r\np40_39=1 000\r\n") + section(2, "Cyran", "p40_35=10,00\r\n") +
                        section(3, "Nowak", "p11_52=1.234,56\r\n") + parameters(3));
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Rekord nr 1: „12,3x” nie jest prawidłową wartością liczbową. (Abel Jan, PIT-40 poz. 35)\n")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Rekord nr 3: „1.234,56” nie jest prawidłową wartością liczbową. (Nowak Jan, PIT-11/8B poz. 52)\n")))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("Rekord nr 2"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("Nie zapisano pliku.\n"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

// The edit form's calculation and the forms program's refuse the same record alike: no file, the
// record and the conversion error named, never an empty total.
TEST_F(RecomputeCommand, ResultBeyondTheRangeIsRefusedAlsoOnTheForm) {
    write("in.txt", section(1, "Abel", "p40_35=10,00\r\n") +
                        section(2, "Nowak", "p40_35=9000000000000,00\r\np40_39=9000000000000,00\r\n") + parameters(2));
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Rekord nr 2: Kwota 18000000000000,00 jest zbyt duża"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));

    const CliRun pdf = RunCli({QStringLiteral("pdf"), path("in.txt"), path("out.pdf"), QStringLiteral("--form"), QStringLiteral("pit40")});
    EXPECT_EQ(pdf.exitCode, 1);
    EXPECT_TRUE(pdf.err.contains(QStringLiteral("2 Nowak Jan: Poz. 37: nie można wyliczyć kwoty – Kwota 18000000000000,00 jest zbyt duża")))
        << pdf.err.toStdString();
    EXPECT_TRUE(pdf.err.contains(QStringLiteral("Rekord nr 2: Kwota 18000000000000,00 jest zbyt duża"))) << pdf.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.pdf")));
}

// A negative amount the forms will refuse is named, record, form and box, and the file is written.
TEST_F(RecomputeCommand, NamesNegativeAmountsAndStillWrites) {
    write("in.txt", section(1, "Nowak", "p40_35=40000,00\r\np40_66=-100,00\r\np11_77=-5\r\n") +
                        section(2, "Abel", "p40_35=10\r\n") + parameters(2));
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err.toStdString(),
              "Rekord nr 2 (Nowak Jan), PIT-11/8B poz. 77: kwota -5 jest ujemna – sprawdzenie formularza jej nie przyjmie.\n"
              "Rekord nr 2 (Nowak Jan), PIT-40 poz. 66: kwota -100,00 jest ujemna – sprawdzenie formularza jej nie przyjmie.\n");
    EXPECT_TRUE(read("out.txt").contains("p40_66=-100,00\r\n"));
}

// An amount beyond the range is quoted as the file holds it, not as the sum it went into.
TEST_F(RecomputeCommand, AnAmountTooLargeIsQuotedAsItStands) {
    write("in.txt", section(1, "Nowak", "p11_34=99999999999999999\r\np11_35=1335,00\r\n") + parameters(1));
    const CliRun run = RunCli({QStringLiteral("recompute"), path("in.txt"), path("out.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Rekord nr 1: Kwota 99999999999999999 jest zbyt duża"))) << run.err.toStdString();
    const CliRun tax = RunCli({QStringLiteral("tax"), QStringLiteral(" 10000000000000,00")});
    EXPECT_TRUE(tax.err.contains(QStringLiteral("Kwota 10000000000000,00 jest zbyt duża"))) << tax.err.toStdString();
}

TEST_F(RecomputeCommand, BadInputsAndCommandLines) {
    write("empty.txt", "no sections here\r\n");
    const CliRun empty = RunCli({QStringLiteral("recompute"), path("empty.txt"), path("out.txt")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("Wskazany plik nie zawierał przydatnych danych!")));
    const CliRun missing = RunCli({QStringLiteral("recompute"), path("none.txt"), path("out.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
    EXPECT_EQ(RunCli({QStringLiteral("recompute"), path("empty.txt")}).exitCode, 2);
    EXPECT_EQ(RunCli({QStringLiteral("recompute"), path("a"), path("b"), QStringLiteral("--sort"),
                            QStringLiteral("wiek")})
                  .exitCode,
              2);
}

}  // namespace
