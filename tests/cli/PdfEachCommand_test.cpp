// fiskon-cli pdf --each: a file for each taxpayer, locked with the taxpayer's own number or one
// password, and a batch that is all or nothing before its first file.

#include "store/Cp1250.h"
#include "support/RunCli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Ten digits and the PESEL check digit that fits them.
QByteArray withCheckDigit(const QByteArray& ten) {
    static const int weights[10] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += weights[i] * (ten[i] - '0');
    return ten + char('0' + (10 - sum % 10) % 10);
}

// A valid PESEL for each n: a birth date in 1985 and the number's check digit.
QByteArray peselFor(int n) {
    return withCheckDigit("850312" + QByteArray::number(1000 + n * 37).right(4));
}

struct Taxpayer {
    QByteArray pesel;
    QByteArray nip = "676-234-51-89";
    QByteArray amounts;
};

// Taxpayers named K01, K02, … in sort order, each with distinct amounts (code page 1250).
QByteArray registerOf(const std::vector<Taxpayer>& taxpayers) {
    QByteArray text;
    for (std::size_t i = 0; i < taxpayers.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const Taxpayer& t = taxpayers[i];
        text += "[s" + QByteArray::number(n) + "]\r\nnazwisko=K" + QByteArray::number(n).rightJustified(2, '0') +
                "\r\nimie1=JAN\r\npesel=" + t.pesel + "\r\nnip=" + t.nip + "\r\n" +
                (t.amounts.isEmpty() ? "p40_35=" + QByteArray::number(3000 + n) + ",00\r\n" : t.amounts) + "\r\n";
    }
    return text + "[Parametry]\r\nLiczbaRekordow=" + QByteArray::number(static_cast<int>(taxpayers.size())) + "\r\n";
}

std::vector<Taxpayer> validTaxpayers(int count) {
    std::vector<Taxpayer> taxpayers(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) taxpayers[static_cast<std::size_t>(n - 1)].pesel = peselFor(n);
    return taxpayers;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct Tool {
    int exitCode = -1;
    QString out;
};

Tool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

// The text of a locked PDF opened with `password` (empty when it does not open).
QString lockedText(const QString& pdf, const QByteArray& password, const QString& scratch) {
    const QString open = scratch + QStringLiteral("/otwarty.pdf");
    QFile::remove(open);
    if (run(QStringLiteral("qpdf"), {"--password=" + QString::fromUtf8(password), "--decrypt", pdf, open}).exitCode != 0)
        return {};
    return run(QStringLiteral("pdftotext"), {"-enc", "UTF-8", open, "-"}).out;
}

bool toolsPresent() {
    return !QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

}  // namespace

// Each file opens with its own taxpayer's PESEL and with no other, is AES-256 (revision 6), and
// holds that taxpayer's form; the file of one password opens with that password only.
TEST(PdfEachCommand, EachFileOpensWithItsOwnTaxpayersSecretOnly) {
    if (!toolsPresent()) GTEST_SKIP() << "no qpdf or pdftotext";
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    std::vector<Taxpayer> taxpayers = validTaxpayers(12);
    taxpayers[4].nip = "526-000-12-46";
    writeFile(data, registerOf(taxpayers));
    const QString folder = dir.filePath(QStringLiteral("pesel"));
    CliRun cli = RunCli({"pdf", data, "--each", folder, "--form", "pit40", "--password", "pesel", "--jobs", "2"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 12);
    for (int n = 1; n <= 12; ++n) {
        const QString pdf = QDir(folder).filePath(files[n - 1]);
        const QString own = lockedText(pdf, peselFor(n), dir.path());
        EXPECT_TRUE(own.contains(QStringLiteral("K%1").arg(n, 2, 10, QLatin1Char('0')))) << files[n - 1].toStdString();
        EXPECT_TRUE(own.contains(QStringLiteral("0%1,00").arg(n, 2, 10, QLatin1Char('0'))));  // box 35: 3 0nn,00
        EXPECT_TRUE(lockedText(pdf, peselFor(n % 12 + 1), dir.path()).isEmpty()) << "another taxpayer's PESEL";
        EXPECT_TRUE(lockedText(pdf, QByteArray(), dir.path()).isEmpty()) << "no password";
    }
    const Tool encryption = run(QStringLiteral("qpdf"), {"--password=" + QString::fromLatin1(peselFor(3)),
                                                           "--show-encryption", QDir(folder).filePath(files[2])});
    EXPECT_TRUE(encryption.out.contains(QStringLiteral("R = 6"))) << encryption.out.toStdString();
    EXPECT_TRUE(encryption.out.contains(QStringLiteral("AESv3"))) << encryption.out.toStdString();
    EXPECT_TRUE(encryption.out.contains(QStringLiteral("modify anything: not allowed"))) << encryption.out.toStdString();

    // The NIP's digits; one password from the first line of a file.
    cli = RunCli({"pdf", data, "--each", dir.filePath(QStringLiteral("nip")), "--form", "pit11", "--records", "5",
                  "--password", "nip"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    const QString nipFile = dir.filePath(QStringLiteral("nip/K05_JAN.pdf"));
    EXPECT_TRUE(lockedText(nipFile, "5260001246", dir.path()).contains(QStringLiteral("K05")));
    EXPECT_TRUE(lockedText(nipFile, peselFor(5), dir.path()).isEmpty());
    const QString passwordFile = dir.filePath(QStringLiteral("haslo.txt"));
    writeFile(passwordFile, "Zażółć 7 gęślą\r\ndrugi wiersz\r\n");
    cli = RunCli({"pdf", data, "--each", dir.filePath(QStringLiteral("jedno")), "--form", "pit40", "--records", "1-2",
                  "--password-file", passwordFile});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    EXPECT_TRUE(lockedText(dir.filePath(QStringLiteral("jedno/K02_JAN.pdf")), "Zażółć 7 gęślą", dir.path())
                    .contains(QStringLiteral("K02")));
    EXPECT_TRUE(lockedText(dir.filePath(QStringLiteral("jedno/K02_JAN.pdf")), "drugi wiersz", dir.path()).isEmpty());
}

// A taxpayer without a usable secret stops the batch before anything is written, and every such
// taxpayer is named.
TEST(PdfEachCommand, NoUsableSecretWritesNothing) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    std::vector<Taxpayer> taxpayers = validTaxpayers(8);
    taxpayers[1].pesel = "";
    taxpayers[3].pesel = peselFor(4).left(10) + char('0' + ((peselFor(4)[10] - '0' + 1) % 10));  // wrong check digit
    taxpayers[4].pesel = "8503121234";                                                             // ten digits
    taxpayers[6].pesel = withCheckDigit("8513121234");  // month 13, the check digit fitting
    taxpayers[7].pesel = withCheckDigit("0422301234");  // 30 February 2004
    taxpayers[2].nip = "676-234-51-88";
    taxpayers[6].nip = "000-000-00-00";  // its check digit would fit
    writeFile(data, registerOf(taxpayers));
    struct Case {
        QStringList options;
        QStringList named;
        QStringList notNamed;
    };
    const Case cases[] = {
        {{"--password", "pesel"},
         {"plików 5 podatników", "rekord nr 2 K02 JAN: brak numeru PESEL", "rekord nr 4 K04 JAN: PESEL",
          "rekord nr 5 K05 JAN: PESEL „8503121234”",
          "rekord nr 7 K07 JAN: PESEL „" + QString::fromLatin1(taxpayers[6].pesel) + "” nie ma 11 cyfr z możliwą datą urodzenia",
          "rekord nr 8 K08 JAN: PESEL „" + QString::fromLatin1(taxpayers[7].pesel) + "” nie ma 11 cyfr z możliwą datą urodzenia"},
         {"rekord nr 1 ", "rekord nr 3 ", "rekord nr 6 "}},
        {{"--password", "nip"},
         {"plików 2 podatników", "rekord nr 3 K03 JAN: NIP „676-234-51-88”",
          "rekord nr 7 K07 JAN: NIP „000-000-00-00” składa się z samych zer"},
         {"rekord nr 2 ", "rekord nr 4 ", "rekord nr 8 "}},
    };
    for (const Case& c : cases) {
        for (const char* jobs : {"1", "8"}) {
            const QString folder = dir.filePath(QStringLiteral("wynik"));
            const CliRun cli = RunCli(QStringList{"pdf", data, "--each", folder, "--form", "pit40", "--jobs", jobs} + c.options);
            EXPECT_EQ(cli.exitCode, 1) << cli.err.toStdString();
            EXPECT_TRUE(cli.err.contains(QStringLiteral("nie zapisano żadnego pliku PDF"))) << cli.err.toStdString();
            for (const QString& text : c.named) EXPECT_TRUE(cli.err.contains(text)) << text.toStdString() << cli.err.toStdString();
            for (const QString& text : c.notNamed) EXPECT_FALSE(cli.err.contains(text)) << text.toStdString();
            EXPECT_FALSE(QFileInfo::exists(folder));
        }
    }
}

// A taxpayer whose amounts cannot be computed stops the batch, on any number of jobs, before the
// first file: no file is written, its record is named.
TEST(PdfEachCommand, AnUncomputableTaxpayerWritesNothingOnAnyJobs) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    std::vector<Taxpayer> taxpayers = validTaxpayers(40);
    taxpayers[36].amounts = "p40_35=9000000000000,00\r\np40_39=9000000000000,00\r\n";
    writeFile(data, registerOf(taxpayers));
    for (const char* jobs : {"1", "2", "8"}) {
        const QString folder = dir.filePath(QStringLiteral("wynik%1").arg(QString::fromLatin1(jobs)));
        for (const QStringList& protection : {QStringList{}, QStringList{"--password", "pesel"}}) {
            const CliRun cli = RunCli(QStringList{"pdf", data, "--each", folder, "--form", "pit40", "--jobs", jobs} + protection);
            EXPECT_EQ(cli.exitCode, 1) << jobs;
            EXPECT_TRUE(cli.err.contains(QStringLiteral("Rekord nr 37: Kwota 18000000000000,00 jest zbyt duża")))
                << cli.err.toStdString();
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList()) << jobs;
        }
    }
}

// A link planted at a name the batch makes up leads nowhere: the new file replaces it and the
// file it named keeps its bytes.
TEST(PdfEachCommand, APlantedLinkAtAGeneratedNameIsReplacedNotFollowed) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(validTaxpayers(3)));
    const QString folder = dir.filePath(QStringLiteral("wynik"));
    QDir().mkpath(folder);
    const QString victim = dir.filePath(QStringLiteral("cudzy.txt"));
    writeFile(victim, "cudzy plik");
    ASSERT_TRUE(QFile::link(victim, folder + QStringLiteral("/K02_JAN.pdf")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nie-ma")), folder + QStringLiteral("/K03_JAN.pdf")));
    const CliRun cli = RunCli({"pdf", data, "--each", folder, "--form", "pit11", "--jobs", "2"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    for (const char* name : {"K01_JAN.pdf", "K02_JAN.pdf", "K03_JAN.pdf"}) {
        const QFileInfo file(QDir(folder).filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.isFile() && !file.isSymLink()) << name;
    }
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "cudzy plik");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("nie-ma"))));
}

QByteArray withoutDate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression date(QStringLiteral(R"(/CreationDate \(D:[0-9Z+'-]*\))"));
    static const QRegularExpression identifier(QStringLiteral(R"(/ID \[<[0-9a-f]*><[0-9a-f]*>\])"));
    return QString::fromLatin1(file.readAll())
        .replace(date, QStringLiteral("/CreationDate ()"))
        .replace(identifier, QStringLiteral("/ID []"))
        .toLatin1();
}

// A person's file is the same file, name and contents, before and after the register is sorted
// anew: namesakes keep their birth dates and PESELs in their names, not their places.
TEST(PdfEachCommand, AResortedRegisterGivesEachPersonTheSameFile) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    struct Row {
        const char* surname;
        const char* first;
        const char* born;
        const char* pesel;
    };
    const Row rows[] = {{"NOWAK", "ANNA", "1980-05-17", "80051701234"}, {"NOWAK", "ANNA", "1962-01-09", "62010905678"},
                        {"KOT", "ALA", "1970-03-04", "70030499999"},   {"KOT", "ALA", "1970-03-04", "70030411111"},
                        {"ŻAK", "EWA", "1999-12-31", "99123100001"},   {"ADAMCZYK", "JAN", "1955-06-06", "55060612121"}};
    QByteArray text;
    int n = 0;
    for (const Row& row : rows) {
        ++n;
        text += "[s" + QByteArray::number(n) + "]\r\nnazwisko=" +
                QByteArray::fromStdString(cp1250::fromUnicode(QString::fromUtf8(row.surname))) +
                "\r\nimie1=" + row.first + "\r\ndataUr=" + row.born + "\r\npesel=" + row.pesel +
                "\r\np40_35=" + QByteArray::number(1000 * n + 17) + ",00\r\n\r\n";
    }
    writeFile(data, text + "[Parametry]\r\nLiczbaRekordow=6\r\n");
    const QString sorted = dir.filePath(QStringLiteral("wg-peselu.txt"));
    const QString before = dir.filePath(QStringLiteral("przed"));
    const QString after = dir.filePath(QStringLiteral("po"));
    CliRun cli = RunCli({"pdf", data, "--each", before, "--form", "pit40"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    cli = RunCli({"convert", data, sorted, "--sort", "pesel"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    cli = RunCli({"pdf", sorted, "--each", after, "--form", "pit40"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();

    const QStringList names = QDir(before).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{"ADAMCZYK_JAN.pdf", "KOT_ALA_1970-03-04_70030411111.pdf",
                                  "KOT_ALA_1970-03-04_70030499999.pdf", "NOWAK_ANNA_1962-01-09.pdf",
                                  "NOWAK_ANNA_1980-05-17.pdf", QStringLiteral("ŻAK_EWA.pdf")}));
    EXPECT_EQ(QDir(after).entryList(QDir::Files, QDir::Name), names);
    for (const QString& name : names) {
        const QByteArray first = withoutDate(QDir(before).filePath(name));
        EXPECT_FALSE(first.isEmpty()) << name.toStdString();
        EXPECT_EQ(first, withoutDate(QDir(after).filePath(name))) << name.toStdString();
    }
    // The sort did move them: the namesakes changed places.
    QFile resorted(sorted);
    ASSERT_TRUE(resorted.open(QIODevice::ReadOnly));
    const QByteArray order = resorted.readAll();
    EXPECT_LT(order.indexOf("62010905678"), order.indexOf("80051701234"));
    EXPECT_LT(order.indexOf("70030411111"), order.indexOf("70030499999"));
}

TEST(PdfEachCommand, RefusesPasswordsItCannotUse) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(validTaxpayers(2)));
    const QString empty = dir.filePath(QStringLiteral("pusty.txt"));
    writeFile(empty, "\r\nhasło w drugim wierszu\r\n");
    const QString withNul = dir.filePath(QStringLiteral("nul.txt"));
    writeFile(withNul, QByteArray("tajne") + '\0' + QByteArray("hasło\r\n"));
    const QString codePage = dir.filePath(QStringLiteral("cp1250.txt"));
    writeFile(codePage, "has\xB3o\r\n");  // "hasło" in code page 1250
    const QString large = dir.filePath(QStringLiteral("duzy.txt"));
    writeFile(large, "haslo\r\n" + QByteArray(64 * 1024, 'x'));
    const QString folder = dir.filePath(QStringLiteral("wynik"));
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--each", folder, "--password", "tajne"}, 2, "--password przyjmuje „pesel” albo „nip”"},
        {{"--each", folder, "--password", "pesel", "--password-file", empty}, 2, "nie oba"},
        {{dir.filePath(QStringLiteral("x.pdf")), "--password", "pesel"}, 2, "tylko z --each"},
        {{"--each", folder, "--password-file", empty}, 1, "jest pusty"},
        {{"--each", folder, "--password-file", dir.filePath(QStringLiteral("brak.txt"))}, 1, "Nie ma pliku z hasłem"},
        {{"--each", folder, "--password-file", dir.path()}, 1, ""},
        {{"--each", folder, "--password-file", withNul}, 1, "zawiera bajt zerowy (NUL)"},
        {{"--each", folder, "--password-file", codePage}, 1, "nie jest tekstem w UTF-8"},
        {{"--each", folder, "--password-file", large}, 1, "plik jest za duży (więcej niż 64 KB)."},
    };
    for (const Case& c : cases) {
        const CliRun cli = RunCli(QStringList{"pdf", data, "--form", "pit40"} + c.arguments);
        EXPECT_EQ(cli.exitCode, c.exitCode) << c.message << cli.err.toStdString();
        EXPECT_TRUE(cli.err.contains(QString::fromUtf8(c.message))) << c.message << cli.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}
