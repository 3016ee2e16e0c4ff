// fiskon-cli fields on the shipped examples: the whole output of both forms, and the command's
// failures with their exit codes.

#include "support/RunCli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <unistd.h>

namespace {

QString example(const char* name) {
    return QDir(QStringLiteral(FISKON_TEST_FIXTURES "/../../examples")).filePath(QString::fromLatin1(name));
}

QStringList fields(QStringList options) {
    return QStringList{QStringLiteral("fields"), example("podatnicy.txt")} + options;
}

}  // namespace

TEST(FieldsCommand, PrintsTheSymbolAndEveryLineOfBothForms) {
    const QString payer = example("platnik.txt");
    struct Case {
        QStringList options;
        const char* output;
    };
    const Case cases[] = {
        {{"--form", "pit11", "--payer", payer, "--record", "2", "--strike", "pit8b", "--first-name", "Ewa",
          "--surname", "Kowalska-Żak"},
         "PIT118B_14\np1=677-120-03-49\npSKR.01=00\npSKR.02=01\np7=010\n"
         "p8=PRZEDSIĘBIORSTWO USŁUGOWE WAWELSKI SPÓŁKA Z O.O.\np9=POLSKA\np10=MAŁOPOLSKIE\np11=KRAKÓW\n"
         "p12=KRAKÓW\np13=RYNEK GŁÓWNY\np14=27\np15=4\np16=KRAKÓW\np17=31-010\np18=KRAKÓW\np4=01-01-2006\n"
         "p5=31-12-2006\np6=Pierwszy Urząd Skarbowy Kraków\np19=676-234-51-89\np20=NOWAK\np21=ANNA\n"
         "p22=12-03 1985\np23=POLSKA\np24=MAŁOPOLSKIE\np25=KRAKÓW\np26=KRAKÓW\np27=DŁUGA\np28=5\np29=12\n"
         "p30=KRAKÓW\np31=31-147\np32=KRAKÓW\np33=01000\np79=001\np34=48000,00\np35=1335,00\np36=46665,00\n"
         "p37=5412,00\np54=0,00\np58=0,00\np62=0,00\np66=0,00\np70=0,00\np75=6580,80\np76=3727,68\n"
         "p80=EWA\np81=KOWALSKA-ŻAK\n"},
        {{"--form", "pit40", "--payer", payer, "--record", "2", "--tax-year", "2006", "--edition", "2005"},
         "PIT40_13\np1=677-120-03-49\np6=010\np7=PRZEDSIĘBIORSTWO USŁUGOWE WAWELSKI SPÓŁKA Z O.O.\n"
         "p8=POLSKA\np9=MAŁOPOLSKIE\np10=KRAKÓW\np11=KRAKÓW\np12=RYNEK GŁÓWNY\np13=27\np14=4\np15=KRAKÓW\n"
         "p16=31-010\np17=KRAKÓW\np4=2006\np5=Pierwszy Urząd Skarbowy Kraków\np18=676-234-51-89\n"
         "p19=NOWAK\np20=ANNA\np21=12-03 1985\np22=POLSKA\np23=MAŁOPOLSKIE\np24=KRAKÓW\np25=KRAKÓW\n"
         "p26=DŁUGA\np27=5\np28=12\np29=KRAKÓW\np30=31-147\np31=KRAKÓW\np34=010000\np35=48000,00\n"
         "p36=1335,00\np37=46665,00\np38=5412,00\np52=0,00\np56=0,00\np60=0,00\np62=48000,00\n"
         "p63=1335,00\np64=46665,00\np65=5412,00\np66=6580,80\np68=40084,00\np69=7422,48\np71=7422,48\n"
         "p72=3727,68\np73=3209,76\np74=4213\np75=0,00\np76=1199,00\np77=\np78=\n"},
        // The defaults: the first record after opening (sorted by surname), no payer, PIT-11 struck.
        {{"--form", "pit11"},
         "PIT118B_14\np1=\npSKR.01=01\npSKR.02=00\np8=\np9=\np10=\np11=\np12=\np13=\np14=\np15=\np16=\n"
         "p17=\np18=\np4=\np5=\np6=Pierwszy Urząd Skarbowy Kraków\np19=\np20=ĄCKI\np21=ŁUKASZ\n"
         "p22=09-01 2001\np23=POLSKA\np24=\np25=\np26=\np27=\np28=\np29=\np30=\np31=\np32=\np33=\np79=\n"
         "p80=\np81=\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(fields(c.options));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), c.output);
        EXPECT_TRUE(run.err.isEmpty());
    }
}

TEST(FieldsCommand, RefusesWhatItCannotDo) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {fields({"--form", "pit11", "--record", "5"}), 1, "Rejestr nie ma rekordu numer 5 (liczba rekordów: 4).\n"},
        {{"fields", example("brak.txt"), "--form", "pit11"}, 1, "Nie ma pliku danych podatników „"},
        {fields({"--form", "pit11", "--payer", example("brak.txt")}), 1, nullptr},
        {fields({"--form", "pit12"}), 2, "--form przyjmuje „pit11” albo „pit40”, a nie „pit12”.\n"},
        {fields({}), 2, "Brakuje opcji --form pit11|pit40.\n"},
        {fields({"--form", "pit11", "--record", "0"}), 2, nullptr},
        {fields({"--form", "pit40", "--tax-year", "06"}), 2, nullptr},
        {fields({"--form", "pit40", "--edition", "2007"}), 2, nullptr},
        {fields({"--form", "pit11", "--strike", "pit40"}), 2, nullptr},
        {fields({"--form", "pit11", "--surname", "日本"}), 2, nullptr},
        // A line break would cut the field list in two.
        {fields({"--form", "pit11", "--surname", "NOWAK\nKOWALSKI"}), 2, "--surname zawiera znak sterujący"},
        {fields({"--form", "pit40", "--first-name", "ANNA\t"}), 2, "--first-name zawiera znak sterujący"},
        {fields({"--form", "pit11", "--records", "1"}), 2, "Nieznana opcja „--records”.\n"},
        {fields({"--form", "pit11", example("platnik.txt")}), 2, nullptr},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(run.err.isEmpty());
        if (c.message) {
            EXPECT_TRUE(run.err.startsWith(QString::fromUtf8(c.message))) << run.err.toStdString();
        }
        if (c.exitCode == 2) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("Użycie: fiskon-cli fields")));
        }
    }
}

TEST(FormCommands, PrintTheirUsageOnRequest) {
    for (const char* command : {"fields", "pdf"})
        for (const char* help : {"--help", "-h"}) {
            const CliRun run = RunCli({QString::fromLatin1(command), QString::fromLatin1(help)});
            EXPECT_EQ(run.exitCode, 0) << command << help;
            EXPECT_TRUE(run.out.startsWith(QStringLiteral("Użycie: fiskon-cli %1 ").arg(QString::fromLatin1(command))))
                << run.out.toStdString();
            EXPECT_FALSE(run.err.contains(QStringLiteral("Użycie")));
        }
}

namespace {

// The text of a PDF as pdftotext reads it (empty when it cannot).
QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    return static_cast<int>(pdfText(path).count(u'\f'));
}

}  // namespace

TEST(PdfCommand, DrawsOneDocumentPerChosenTaxpayer) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "no pdftotext";
    QTemporaryDir dir;
    const QString all = dir.filePath(QStringLiteral("wszyscy.pdf"));
    const QStringList common{"--form", "pit11", "--payer", example("platnik.txt"), "--surname", "kowalska"};
    CliRun run = RunCli(QStringList{"pdf", example("podatnicy.txt"), all} + common);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString text = pdfText(all);
    for (const char* surname : {"ĄCKI", "NOWAK", "WIŚNIEWSKI", "ŻÓŁTOWSKA"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(surname))) << surname;
    EXPECT_EQ(text.count(QStringLiteral("KOWALSKA")), 4);  // the person filling in, on every document
    EXPECT_EQ(pdfPages(all), 8);                           // two pages each, each from a new page
    // The forms program's findings name the taxpayer; they do not stop the output.
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 ĄCKI ŁUKASZ: Poz. 19"))) << run.err.toStdString();

    const QString chosen = dir.filePath(QStringLiteral("wybrani.pdf"));
    run = RunCli(QStringList{"pdf", example("podatnicy.txt"), chosen, "--records", "2-3,2"} + common);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(pdfPages(chosen), 4);
    EXPECT_FALSE(pdfText(chosen).contains(QStringLiteral("ĄCKI")));

    const QString each = dir.filePath(QStringLiteral("osobno"));
    run = RunCli(QStringList{"pdf", example("podatnicy.txt"), "--each", each, "--records", "1,4", "--form", "pit40"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(each).entryList(QDir::Files), (QStringList{"ĄCKI_ŁUKASZ.pdf", "ŻÓŁTOWSKA_ELŻBIETA.pdf"}));
    EXPECT_TRUE(pdfText(QDir(each).filePath(QStringLiteral("ŻÓŁTOWSKA_ELŻBIETA.pdf"))).contains(QStringLiteral("PIT-40")));
}

TEST(PdfCommand, RefusesWhatItCannotDo) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.pdf"));
    const std::pair<QStringList, int> cases[] = {
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--records", "2,7"}, 1},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--records", "3-1"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--records", "1;2"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--record", "1", "--records", "2"}, 2},
        {{"pdf", example("podatnicy.txt"), "--form", "pit11"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit40", "--surname", "NOWAK\r\nKOWALSKI"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--each", dir.path(), "--form", "pit11"}, 2},
        {{"pdf", example("podatnicy.txt"), dir.filePath(QStringLiteral("brak/x.pdf")), "--form", "pit11"}, 1},
        {{"pdf", example("podatnicy.txt"), example("platnik.txt"), "--payer", example("platnik.txt"), "--form", "pit11"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--jobs", "0"}, 2},
        {{"pdf", example("podatnicy.txt"), out, "--form", "pit11", "--jobs", "dwa"}, 2},
    };
    for (const auto& [arguments, exitCode] : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// A control character in a taxpayer's name reaches the terminal written out, not obeyed.
TEST(PdfCommand, FindingsShowControlCharactersAsText) {
    QTemporaryDir dir;
    QFile source(example("podatnicy.txt"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray data = source.readAll();
    data.replace("nazwisko=\xA5" "CKI\r\n", "nazwisko=\xA5" "C\x1B[2JKI\r\n");  // "ĄC", ESC "[2J" (clear screen), "KI"
    const QString input = dir.filePath(QStringLiteral("podatnicy.txt"));
    QFile copy(input);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(data);
    copy.close();
    const CliRun run =
        RunCli({"pdf", input, dir.filePath(QStringLiteral("x.pdf")), "--form", "pit11", "--records", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 ĄC\\x1B[2JKI ŁUKASZ: Poz. 19"))) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QChar(0x1B)));
}

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(nie ma pliku)");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A register of `count` taxpayers with distinct names, in sort order, in code page 1250; the third
// surname holds a control character.
QByteArray registerOf(int count) {
    QByteArray text;
    for (int n = 1; n <= count; ++n) {
        const QByteArray surname = n == 3 ? QByteArray("P03\x01TAB") : "P" + QByteArray::number(n).rightJustified(2, '0');
        text += "[s" + QByteArray::number(n) + "]\r\nnazwisko=" + surname + "\r\nimie1=IMI\xCA" + QByteArray(1, char('A' + n)) +
                "\r\nnip=676-234-51-89\r\np11_34=" + QByteArray::number(1000 + n) + ",00\r\np40_35=" +
                QByteArray::number(2000 + n) + ",00\r\n\r\n";
    }
    return text + "[Parametry]\r\nLiczbaRekordow=" + QByteArray::number(count) + "\r\n";
}

// A PDF with its creation date masked (and the file identifier made from it): two runs of the
// same work give the same bytes.
QByteArray withoutDate(QByteArray pdf) {
    static const QRegularExpression date(QStringLiteral(R"(/CreationDate \(D:[0-9Z+'-]*\))"));
    static const QRegularExpression identifier(QStringLiteral(R"(/ID \[<[0-9a-f]*><[0-9a-f]*>\])"));
    return QString::fromLatin1(pdf)
        .replace(date, QStringLiteral("/CreationDate ()"))
        .replace(identifier, QStringLiteral("/ID []"))
        .toLatin1();
}

// What qpdf finds wrong in a PDF's structure (empty when nothing).
QString qpdfCheck(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    process.waitForFinished(60000);
    return process.exitCode() == 0 ? QString() : QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

}  // namespace

// Several jobs draw exactly what one draws: the single PDF in register order (its parts joined),
// and each taxpayer's own file under that taxpayer's name.
TEST(PdfCommand, ManyJobsGiveTheOutputOfOne) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "no pdftotext";
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(20));
    std::map<QString, QByteArray> single;
    std::map<QString, std::map<QString, QByteArray>> each;
    for (const QString jobs : {"1", "2", "3"}) {
        const QString pdf = dir.filePath(QStringLiteral("jobs%1.pdf").arg(jobs));
        CliRun run = RunCli({"pdf", data, pdf, "--form", "pit40", "--jobs", jobs});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("Formularze:")));  // no progress line off a terminal
        single[jobs] = withoutDate(readFile(pdf));
        if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
            EXPECT_EQ(qpdfCheck(pdf), QString());
        }
        const QString folder = dir.filePath(QStringLiteral("each%1").arg(jobs));
        run = RunCli({"pdf", data, "--each", folder, "--form", "pit11", "--jobs", jobs});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
            each[jobs][name] = withoutDate(readFile(QDir(folder).filePath(name)));
    }
    EXPECT_TRUE(single["1"] == single["2"] && single["1"] == single["3"]);
    EXPECT_TRUE(each["1"] == each["2"] && each["1"] == each["3"]);

    // Forty pages, each taxpayer's two in register order.
    const QString text = pdfText(dir.filePath(QStringLiteral("jobs2.pdf")));
    EXPECT_EQ(text.count(u'\f'), 40);
    static const QRegularExpression surname(QStringLiteral("P(\\d\\d)"));
    QStringList order;
    for (auto it = surname.globalMatch(text); it.hasNext();) {
        const QString number = it.next().captured(1);
        if (order.isEmpty() || order.back() != number) order << number;
    }
    QStringList expected;
    for (int n = 1; n <= 20; ++n) expected << QString::number(n).rightJustified(2, u'0');
    EXPECT_EQ(order, expected);

    ASSERT_EQ(each["1"].size(), 20u);
    EXPECT_EQ(each["1"].begin()->first, QStringLiteral("P01_IMIĘB.pdf"));
    EXPECT_TRUE(each["1"].count(QStringLiteral("P03_TAB_IMIĘD.pdf")));  // the control character made "_"
    EXPECT_EQ(each["1"].rbegin()->first, QStringLiteral("P20_IMIĘU.pdf"));
    const QString sixth = pdfText(dir.filePath(QStringLiteral("each2/P06_IMIĘG.pdf")));
    EXPECT_TRUE(sixth.contains(QStringLiteral("P06")) && !sixth.contains(QStringLiteral("P05")));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {dir.filePath(QStringLiteral("each3/P06_IMIĘG.pdf"))});
    info.waitForFinished(60000);
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("PIT-11/8B(14) – P06 IMIĘG")));
}

// A write that fails part-way (here a file-size limit) keeps the PDF that stood there, names the
// cause and fails; no temporary file is left.
TEST(PdfCommand, AFailedWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(20));
    const QString pdf = dir.filePath(QStringLiteral("wynik.pdf"));
    writeFile(pdf, "%PDF poprzedni, dobry plik");
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {"-c", "ulimit -f 40; exec \"$0\" \"$@\"", QStringLiteral(FISKON_CLI_PATH),
                                              "pdf", data, pdf, "--form", "pit11", "--jobs", "2"});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Nie można zapisać pliku „%1”: plik jest za duży.").arg(pdf))) << err.toStdString();
    EXPECT_EQ(readFile(pdf), "%PDF poprzedni, dobry plik");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"dane.txt", "wynik.pdf"}));
}

// What stands at the output and must not be replaced is refused and left as it is; a link planted
// where a temporary file could go is never followed.
TEST(PdfCommand, RefusesOutputsItMustNotReplace) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    const QByteArray register20 = registerOf(20);
    writeFile(data, register20);
    const QString readOnly = dir.filePath(QStringLiteral("tylko.pdf"));
    writeFile(readOnly, "tylko do odczytu");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const QString fifo = dir.filePath(QStringLiteral("kolejka.pdf"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("mkfifo"), {fifo}), 0);
    const QString linkToData = dir.filePath(QStringLiteral("dowiazanie.pdf"));
    QFile::link(data, linkToData);
    const QString victim = dir.filePath(QStringLiteral("cudzy.txt"));
    writeFile(victim, "cudzy plik");
    const QString planted = dir.filePath(QStringLiteral("nowy.pdf"));
    for (const char* suffix : {".part", ".tmp", "~"}) QFile::link(victim, planted + QString::fromLatin1(suffix));
    // A data file named as --each would name the first taxpayer's PDF.
    const QString eachFolder = dir.filePath(QStringLiteral("osobno"));
    QDir().mkpath(eachFolder);
    const QString dataInFolder = eachFolder + QStringLiteral("/P01_IMIĘB.pdf");
    writeFile(dataInFolder, register20);

    struct Case {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{data, "/dev/null"}, 1, QStringLiteral("„/dev/null”: to nie jest zwykły plik.")},
        {{data, fifo}, 1, QStringLiteral("to nie jest zwykły plik.")},
        {{data, readOnly}, 1, QStringLiteral("plik jest tylko do odczytu.")},
        {{data, dir.path()}, 1, QStringLiteral("wskazano folder, a nie plik.")},
        {{data, linkToData}, 2, QStringLiteral("Plik PDF nie może zastąpić pliku danych")},
        {{dataInFolder, "--each", eachFolder}, 1, QStringLiteral("zastąpiłby plik danych")},
        {{data, planted}, 0, QString()},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(QStringList{"pdf"} + c.arguments + QStringList{"--form", "pit11"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    }
    EXPECT_EQ(readFile(data), register20);
    EXPECT_EQ(readFile(dataInFolder), register20);
    EXPECT_EQ(readFile(readOnly), "tylko do odczytu");
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());  // still the pipe
    EXPECT_EQ(readFile(victim), "cudzy plik");
    EXPECT_TRUE(readFile(planted).startsWith("%PDF"));
    EXPECT_EQ(QDir(eachFolder).entryList(QDir::Files), QStringList{"P01_IMIĘB.pdf"});
}

// On a terminal the command shows how far it is, on one line redrawn in place.
TEST(PdfCommand, ShowsProgressOnATerminal) {
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty()) GTEST_SKIP() << "no script";
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(20));
    const QString command = QStringLiteral("'%1' pdf '%2' '%3' --form pit11 --jobs 2")
                                .arg(QStringLiteral(FISKON_CLI_PATH), data, dir.filePath(QStringLiteral("wynik.pdf")));
    QProcess terminal;  // script runs the command on a pseudo-terminal of its own
    terminal.start(QStringLiteral("script"), {"-qec", command, "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(120000));
    const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
    EXPECT_EQ(terminal.exitCode(), 0) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\rFormularze: 20 z 20 (100%)"))) << shown.toStdString();
}

namespace {

struct PdfWord {
    QString text;
    QRectF box;  // points, from the page's top left
};

// The words of the first page of a PDF with their boxes (pdftotext -bbox).
std::vector<PdfWord> firstPageWords(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {"-bbox", "-f", "1", "-l", "1", path, "-"});
    process.waitForFinished(60000);
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(QString::fromUtf8(process.readAllStandardOutput())); it.hasNext();) {
        const auto match = it.next();
        words.push_back({match.captured(5), QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                                                   QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()))});
    }
    return words;
}

}  // namespace

// The fixed texts of both forms in the wording of the editions' years, read back from the PDFs the
// command writes; PIT-40's box 4 "Rok" stands in the title's band, right of the title, with the year.
TEST(PdfCommand, FormsCarryTheWordingOfTheirYears) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "no pdftotext";
    QTemporaryDir dir;
    for (const char* edition : {"2005", "2006"}) {
        const QString pit11 = dir.filePath(QStringLiteral("pit11_%1.pdf").arg(edition));
        const QString pit40 = dir.filePath(QStringLiteral("pit40_%1.pdf").arg(edition));
        const QStringList common{"--payer", example("platnik.txt"), "--records", "2", "--edition", edition};
        ASSERT_EQ(RunCli(QStringList{"pdf", example("podatnicy.txt"), pit11, "--form", "pit11"} + common).exitCode, 0);
        ASSERT_EQ(RunCli(QStringList{"pdf", example("podatnicy.txt"), pit40, "--form", "pit40", "--tax-year", edition} + common)
                      .exitCode,
                  0);
        const QString pit11Text = pdfText(pit11).simplified();
        const QString pit40Text = pdfText(pit40).simplified();
        for (const QString& text : {pit11Text, pit40Text}) {
            EXPECT_TRUE(text.contains(QStringLiteral("1. Numer Identyfikacji Podatkowej płatnika"))) << edition;
            EXPECT_TRUE(text.contains(QStringLiteral("Numer Identyfikacji Podatkowej podatnika"))) << edition;
            EXPECT_TRUE(text.contains(QStringLiteral("Nazwa pełna / nazwisko, pierwsze imię, data urodzenia"))) << edition;
            EXPECT_TRUE(text.contains(QStringLiteral(
                "Za uchybienie obowiązkom płatnika grozi odpowiedzialność przewidziana w Kodeksie karnym skarbowym.")))
                << edition;
            EXPECT_FALSE(text.contains(QStringLiteral("Identyfikator podatkowy")));
        }
        EXPECT_TRUE(pit40Text.contains(
            QStringLiteral("ROCZNE OBLICZENIE PODATKU OD DOCHODU UZYSKANEGO PRZEZ PODATNIKA W ROKU PODATKOWYM")))
            << pit40Text.left(600).toStdString();
        EXPECT_FALSE(pit40Text.contains(QStringLiteral("OSOBY FIZYCZNEJ")));
        EXPECT_TRUE(pit40Text.contains(QStringLiteral("4. Rok")));

        // Box 4 beside the title: in the band of the title's words, right of every one of them, its
        // year beneath its caption.
        const std::vector<PdfWord> words = firstPageWords(pit40);
        const auto find = [&words](const QString& text) {
            const auto it = std::find_if(words.begin(), words.end(), [&text](const PdfWord& w) { return w.text == text; });
            return it == words.end() ? QRectF() : it->box;
        };
        const QRectF rok = find(QStringLiteral("Rok"));
        const QRectF roczne = find(QStringLiteral("ROCZNE"));
        const QRectF year = find(QString::fromLatin1(edition));
        ASSERT_FALSE(rok.isNull() || roczne.isNull() || year.isNull()) << edition;
        EXPECT_LT(std::abs(rok.center().y() - roczne.center().y()), 20) << edition;
        EXPECT_GT(year.top(), rok.bottom());
        EXPECT_LT(std::abs(year.center().y() - roczne.center().y()), 30) << edition;
        EXPECT_GT(year.left(), find(QStringLiteral("PODATKOWYM")).right());
        for (const QString& titleWord : QStringLiteral("ROCZNE OBLICZENIE PODATKU OD DOCHODU UZYSKANEGO PRZEZ PODATNIKA "
                                                       "W ROKU PODATKOWYM").split(u' '))
            EXPECT_LT(find(titleWord).right(), rok.left()) << titleWord.toStdString();
    }
}

// Inputs refused for what they are say so, each in its own words, before anything else.
TEST(FormCommands, RefusedInputsSayWhatTheyAre) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    writeFile(data, registerOf(2));
    const QString fifo = dir.filePath(QStringLiteral("kolejka"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("mkfifo"), {fifo}), 0);
    const QString noPayer = dir.filePath(QStringLiteral("bez_platnika.txt"));
    writeFile(noPayer, "[Parametry]\r\nLiczbaRekordow=0\r\n");
    const QString plainFile = dir.filePath(QStringLiteral("plik"));
    writeFile(plainFile, "x");
    const QString missing = dir.filePath(QStringLiteral("brak.txt"));
    const QStringList check{"check", data, "--form", "pit11", "--payer"};
    const std::pair<QStringList, QString> cases[] = {
        {check + QStringList{dir.path()}, QStringLiteral("Nie można odczytać pliku „%1”: wskazano folder, a nie plik.\n").arg(dir.path())},
        {check + QStringList{fifo}, QStringLiteral("Nie można odczytać pliku „%1”: to potok nazwany (FIFO), a nie zwykły plik.\n").arg(fifo)},
        {check + QStringList{noPayer}, QStringLiteral("Plik „%1” nie zawiera danych płatnika (brak sekcji [Platnik]).\n").arg(noPayer)},
        {check + QStringList{missing}, QStringLiteral("Nie ma pliku płatnika „%1”.\n").arg(missing)},
        {{"check", dir.path(), "--form", "pit11"}, QStringLiteral("Nie można odczytać pliku „%1”: wskazano folder, a nie plik.\n").arg(dir.path())},
        {{"convert", fifo, dir.filePath(QStringLiteral("out.txt"))},
         QStringLiteral("Nie można odczytać pliku „%1”: to potok nazwany (FIFO), a nie zwykły plik.\n").arg(fifo)},
        {{"pdf", data, "--each", plainFile + QStringLiteral("/osobno"), "--form", "pit11"},
         QStringLiteral("Nie można utworzyć katalogu „%1/osobno”: „%1” jest plikiem, a nie folderem.\n").arg(plainFile)},
    };
    for (const auto& [arguments, message] : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), message.toStdString());
    }
    if (::geteuid() != 0) {  // permissions bind everyone but the superuser
        const QString locked = dir.filePath(QStringLiteral("zamkniety"));
        QDir().mkpath(locked);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const CliRun run = RunCli({"pdf", data, "--each", locked + QStringLiteral("/osobno"), "--form", "pit11"});
        EXPECT_EQ(run.err.toStdString(),
                  QStringLiteral("Nie można utworzyć katalogu „%1/osobno”: brak uprawnień dostępu.\n").arg(locked).toStdString());
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

// An amount longer than its box is refused as the file is read, by every command that reads a data
// file or a delimited file: one sentence naming the taxpayer and the key, exit 1, nothing written.
TEST(FormCommands, AnAmountTooLongForItsBoxStopsEveryCommandThatReadsIt) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dane.txt"));
    QByteArray text = registerOf(2);
    ASSERT_TRUE(text.contains("p40_35=2002,00"));
    writeFile(data, text.replace("p40_35=2002,00", "p40_35=2002000000000000000,00"));  // 22 characters
    const QString delimited = dir.filePath(QStringLiteral("rozdzielone.txt"));
    QByteArray line = "KOT;ALA;" + QByteArray(19, ';');
    for (int box = 34; box <= 78; ++box) line += (box == 50 ? QByteArray("1,000000000000000000001") : QByteArray("1,00")) + ';';
    writeFile(delimited, "A;B;\r\n" + line + "\r\n");
    const QString good = dir.filePath(QStringLiteral("dobre.txt"));
    writeFile(good, "NOWY;JAN;\r\n");
    const QString out = dir.filePath(QStringLiteral("wynik"));
    const QString fromData = QStringLiteral(
        "Podatnik z sekcji [s2] (P02 IMIĘC): kwota p40_35 „2002000000000000000,00” ma 22 znaki, a pole kwoty mieści "
        "najwyżej 20 – po obcięciu byłaby inną kwotą. Pliku nie wczytano.\n");
    const QString fromDelimited = QStringLiteral(
        "Podatnik z wiersza 2 (KOT ALA): kwota p11_50 „1,000000000000000000001” ma 23 znaki, a pole kwoty mieści "
        "najwyżej 20 – po obcięciu byłaby inną kwotą. Nie zaimportowano żadnego podatnika z tego pliku.\n");
    const std::pair<QStringList, QString> cases[] = {
        {{"convert", data, out}, fromData},
        {{"recompute", data, out}, fromData},
        {{"export-delimited", data, out, "--separator", ";"}, fromData},
        {{"import-delimited", good, out, "--separator", ";", "--into", data}, fromData},
        {{"fields", data, "--form", "pit40", "--record", "1"}, fromData},
        {{"check", data, "--form", "pit40"}, fromData},
        {{"summary", data, "--form", "pit11"}, fromData},
        {{"pdf", data, out, "--form", "pit40"}, fromData},
        {{"pdf", data, "--each", out, "--form", "pit11"}, fromData},
        {{"import-delimited", delimited, out, "--separator", ";"}, fromDelimited},
    };
    for (const auto& [arguments, message] : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), message.toStdString()) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.out, QString()) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << arguments.join(u' ').toStdString();
    }
}
