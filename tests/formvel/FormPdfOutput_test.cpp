// The forms program's PDF files: a failed write keeps what stood there whichever way the PDF is
// made, the later files of a print batch carry their own taxpayer's name, and the program never
// writes a PDF over the field list it reads.

#include "FormSamples.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormPrinting.h"
#include "store/AtomicFileWriter.h"
#include "support/FaultyFileWriteCalls.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(FormPdfOutput, AFullDiskKeepsTheOldFileWhicheverWayThePdfIsMade) {
    auto document = FormDocument::create("PIT40_14");
    ASSERT_TRUE(document->setFields(FullPit40Fields(), FormDocument::AutoFormat));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formularz.pdf"));
    // "Zapisz jako PDF…" and formvel --pdf; a print into a PDF file. Each gives its error, empty
    // when the file was written.
    const std::function<QString()> writers[] = {
        [&] {
            QString error;
            const bool written = writeFormsPdf(path, {document.get()}, &error);
            EXPECT_EQ(written, error.isEmpty());
            return error;
        },
        [&] {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            QString error;
            const int printed = PrintFormPages(printer, *document, 1, 999, &error);
            EXPECT_EQ(printed == 0, !error.isEmpty());
            return error;
        },
    };
    const auto putOldFile = [&] {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("%PDF stary plik");
    };
    for (const auto& write : writers) {
        putOldFile();
        std::vector<std::string> calls;
        {
            FaultyFileWriteCalls counting;
            const ScopedFileWriteCalls scope(counting);
            EXPECT_EQ(write(), QString());
            calls = counting.calls();
            EXPECT_TRUE(ReadFile(path).startsWith("%PDF-"));
        }
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            for (const int error : kInjectedErrors) {
                putOldFile();
                FaultyFileWriteCalls faulty(static_cast<int>(n), error);
                const ScopedFileWriteCalls scope(faulty);
                const QString message = write();
                EXPECT_TRUE(message.startsWith(QStringLiteral("Nie można zapisać pliku „%1”: ").arg(path)))
                    << message.toStdString() << " at call " << n << " (" << calls[n - 1] << ")";
                EXPECT_EQ(ReadFile(path), "%PDF stary plik") << "call " << n;
                EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"formularz.pdf"});
            }
        }
    }
}

TEST(FormPdfOutput, LaterFilesOfABatchCarryTheirOwnTaxpayer) {
    auto document = FormDocument::create("PIT118B_14");
    ASSERT_TRUE(document->setFields("p20=NOWAK\r\np21=ANNA\r\n", 0));
    QTemporaryDir dir;
    struct Case {
        QString chosen;
        QString firstTaxpayer;
        QString sibling;
    };
    const Case cases[] = {
        {QStringLiteral("PIT-11-8B_ĄCKI_ŁUKASZ.pdf"), QStringLiteral("ĄCKI ŁUKASZ"), QStringLiteral("PIT-11-8B_NOWAK_ANNA.pdf")},
        {QStringLiteral("PIT-11-8B_ĄCKI_ŁUKASZ (2).pdf"), QStringLiteral("ĄCKI ŁUKASZ"), QStringLiteral("PIT-11-8B_NOWAK_ANNA.pdf")},
        {QStringLiteral("zestawienie.pdf"), QStringLiteral("ĄCKI ŁUKASZ"), QStringLiteral("zestawienie_NOWAK_ANNA.pdf")},
        {QStringLiteral("PIT-11-8B.pdf"), QString(), QStringLiteral("PIT-11-8B_NOWAK_ANNA.pdf")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchSiblingPath(dir.filePath(c.chosen), c.firstTaxpayer, *document), dir.filePath(c.sibling))
            << c.chosen.toStdString();
}

// A later file of the forms program's batch goes to a name the program made up: a link planted
// there is replaced by the file, never written through; a form whose amounts cannot be
// calculated gets no file at all.
TEST(FormPdfOutput, ALaterFileOfABatchReplacesAPlantedLinkAndNeedsItsAmounts) {
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("cudzy.txt"));
    WriteTestFile(victim, "cudzy plik");
    const QString sibling = dir.filePath(QStringLiteral("PIT-40_NOWAK_ANNA.pdf"));
    ASSERT_TRUE(QFile::link(victim, sibling));
    auto document = FormDocument::create("PIT40_14");
    ASSERT_TRUE(document->setFields(FullPit40Fields(), FormDocument::AutoFormat | FormDocument::Calculate));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(sibling);
    QString error;
    FileWriteOptions generated;
    generated.replaceLinks = true;
    EXPECT_GT(PrintFormPages(printer, *document, 1, 999, &error, generated), 0) << error.toStdString();
    EXPECT_FALSE(QFileInfo(sibling).isSymLink());
    EXPECT_TRUE(ReadTestFile(sibling).startsWith("%PDF-"));
    EXPECT_EQ(ReadTestFile(victim), "cudzy plik");

    auto uncomputable = FormDocument::create("PIT40_14");
    ASSERT_TRUE(uncomputable->setFields("p35=9000000000000,00\r\np39=9000000000000,00\r\n",
                                        FormDocument::AutoFormat | FormDocument::Calculate));
    ASSERT_TRUE(uncomputable->calculationError());
    const QString refused = dir.filePath(QStringLiteral("PIT-40_BEZ_KWOT.pdf"));
    printer.setOutputFileName(refused);
    EXPECT_EQ(PrintFormPages(printer, *uncomputable, 1, 999, &error, generated), 0);
    EXPECT_TRUE(error.contains(QStringLiteral("Nie zapisano pliku PDF"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(refused));
}

#ifdef FORMVEL_PATH
TEST(FormPdfOutput, FormvelNeverWritesOverItsFieldList) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("lista.txt"));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(FullPit40Fields());
    file.close();
    const QString link = dir.filePath(QStringLiteral("lista.pdf"));
    QFile::link(list, link);
    const QString pdf = dir.filePath(QStringLiteral("wynik.pdf"));
    for (const auto& [output, exitCode] : {std::pair{list, 2}, std::pair{link, 2}, std::pair{pdf, 0}}) {
        QProcess formvel;
        formvel.start(QStringLiteral(FORMVEL_PATH), {QStringLiteral("--pdf"), QStringLiteral("PIT40_14"), list, output});
        ASSERT_TRUE(formvel.waitForFinished(60000));
        EXPECT_EQ(formvel.exitCode(), exitCode) << formvel.readAllStandardError().toStdString();
        EXPECT_EQ(ReadFile(list), FullPit40Fields());
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(60000);
    if (info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0) {
        EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("Title:           PIT-40(14) – ")));
    }
}
#endif
