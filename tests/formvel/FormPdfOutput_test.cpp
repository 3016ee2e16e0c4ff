// The forms program's PDF files: a failed write keeps what stood there whichever way the PDF is
// made, the later files of a print batch carry their own taxpayer's name, and the program never
// writes a PDF over the field list it reads.

#include "FormSamples.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormPrinting.h"
#include "store/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

// Passes `budget` bytes on to the real file, then fails as a full disk does.
class FullDiskDevice : public QIODevice {
public:
    FullDiskDevice(QIODevice& target, qint64 budget) : target_(target), budget_(budget) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (budget_ <= 0) {
            errno = ENOSPC;
            return -1;
        }
        const qint64 written = target_.write(data, std::min(size, budget_));
        budget_ -= written;
        return written;
    }

private:
    QIODevice& target_;
    qint64 budget_;
};

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
    // "Zapisz jako PDF…" and formvel --pdf; a print into a PDF file.
    const std::function<QString()> writers[] = {
        [&] {
            QString error;
            EXPECT_FALSE(writeFormsPdf(path, {document.get()}, &error));
            return error;
        },
        [&] {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            QString error;
            EXPECT_EQ(PrintFormPages(printer, *document, 1, 999, &error), 0);
            return error;
        },
    };
    for (const auto& write : writers) {
        for (const qint64 budget : {0, 5000}) {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("%PDF stary plik");
            old.close();
            ScopedWriteDeviceWrapper full(
                [budget](QIODevice& target) { return std::make_unique<FullDiskDevice>(target, budget); });
            const QString error = write();
            EXPECT_EQ(error, QStringLiteral("Nie można zapisać pliku „%1”: brak miejsca na dysku.").arg(path));
            EXPECT_EQ(ReadFile(path), "%PDF stary plik");
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"formularz.pdf"});
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
