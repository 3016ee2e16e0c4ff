// The real fiskon-cli under a file-size limit (ulimit -f) that cuts each of the last 24 kilobytes of
// its output: every run fails with its reason and leaves the earlier file exactly as it was.

#include "support/RunCli.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& name, const QByteArray& bytes) { WriteTestFile(name, bytes); }
QByteArray readFile(const QString& name) { return ReadTestFile(name); }

QByteArray registerOf(int count) {
    QByteArray text;
    for (int n = 1; n <= count; ++n) {
        const QByteArray number = QByteArray::number(n);
        text += "[s" + number + "]\r\nnazwisko=KOWALSKA" + number + "\r\nimie1=ZOFIA\r\nulica=D\xB3uga " + number +
                "\r\np11_34=" + QByteArray::number(41000 + n) + ",25\r\np11_35=" + QByteArray::number(900 + n) +
                ",50\r\np40_35=" + QByteArray::number(52000 + n) + ",75\r\n\r\n";
    }
    return text + "[Parametry]\r\nLiczbaRekordow=" + QByteArray::number(count) + "\r\n";
}

struct Output {
    const char* name;
    QStringList arguments;  // %IN and %OUT stand for the input and the output
};

TEST(FileSizeLimit, EachOfTheLastKilobytesCutFailsAndKeepsTheEarlierFile) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("podatnicy.txt"));
    writeFile(in, registerOf(400));
    const Output outputs[] = {
        {"data file", {"convert", "%IN", "%OUT"}},
        {"PDF", {"pdf", "%IN", "%OUT", "--form", "pit40", "--records", "1-3", "--jobs", "1"}},
    };
    for (const Output& output : outputs) {
        QTemporaryDir outDir;
        const QString out = outDir.filePath(QStringLiteral("wynik"));
        QStringList arguments = output.arguments;
        arguments.replaceInStrings(QStringLiteral("%IN"), in).replaceInStrings(QStringLiteral("%OUT"), out);

        const CliRun whole = RunCli(arguments);
        ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
        const qint64 size = QFileInfo(out).size();
        ASSERT_GT(size, 24 * 1024) << output.name;

        for (int kilobytes = 1; kilobytes <= 24; ++kilobytes) {
            writeFile(out, "poprzedni plik");
            const CliRun cut = RunCliWithFileSizeLimit(arguments, size - kilobytes * 1024);
            const std::string what = std::string(output.name) + " cut " + std::to_string(kilobytes) + " KB short";
            EXPECT_EQ(cut.exitCode, 1) << what;
            EXPECT_TRUE(cut.err.contains(QStringLiteral("plik jest za duży"))) << cut.err.toStdString() << what;
            EXPECT_EQ(readFile(out), "poprzedni plik") << what;
            EXPECT_EQ(QDir(outDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wynik"}) << what;
        }
        const CliRun roomy = RunCliWithFileSizeLimit(arguments, size + 4096);
        EXPECT_EQ(roomy.exitCode, 0) << roomy.err.toStdString();
        EXPECT_EQ(QFileInfo(out).size(), size) << output.name;
    }
}

}  // namespace
