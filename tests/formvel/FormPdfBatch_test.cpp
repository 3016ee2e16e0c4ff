// The batch of files of their own: nothing is written when a document would stop it, and a write
// that fails part-way leaves the files already named whole, says how many and where it stopped,
// and leaves no other file behind.

#include "FormSamples.h"

#include "formvel/FormDocument.h"
#include "formvel/FormPdfBatch.h"
#include "store/AtomicFileWriter.h"
#include "store/FileErrors.h"
#include "support/FaultyFileWriteCalls.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace {

constexpr int kDocuments = 9;  // two parts: eight documents and one

FormPdfBatch batchInto(const QString& folder, int jobs) {
    FormPdfBatch batch;
    batch.count = kDocuments;
    batch.jobs = jobs;
    batch.source = [folder](int index) {
        FormPdfSource source;
        source.symbol = "PIT40_14";
        source.fields = FullPit40Fields();
        source.options = FormDocument::AutoFormat | FormDocument::Calculate;
        source.path = QDir(folder).filePath(QStringLiteral("%1.pdf").arg(index + 1, 2, 10, QLatin1Char('0')));
        return source;
    };
    batch.checked = [](int, const FormPdfOutcome&) {};
    return batch;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool wholePdf(const QByteArray& bytes) { return bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"); }

}  // namespace

TEST(FormPdfBatch, ADocumentThatStopsTheBatchStopsItBeforeTheFirstFile) {
    for (const int jobs : {1, 3}) {
        QTemporaryDir dir;
        FormPdfBatch batch = batchInto(dir.path(), jobs);
        std::vector<int> checked;
        batch.checked = [&](int index, const FormPdfOutcome&) {
            checked.push_back(index);
            if (index == kDocuments - 1) throw std::runtime_error("Rekord nr 9: nie da się obliczyć.");
        };
        EXPECT_THROW(WriteEachFormPdf(batch), std::runtime_error);
        EXPECT_EQ(checked.size(), static_cast<std::size_t>(kDocuments)) << "in order, every one";
        EXPECT_EQ(filesIn(dir.path()), QStringList()) << jobs;
    }
}

TEST(FormPdfBatch, AWriteFailingPartWayKeepsTheFilesNamedWholeAndSaysWhere) {
    QTemporaryDir dir;
    std::vector<std::string> calls;
    {
        FaultyFileWriteCalls counting;
        const ScopedFileWriteCalls scope(counting);
        EXPECT_EQ(WriteEachFormPdf(batchInto(dir.path(), 2)), kDocuments);
        calls = counting.calls();
    }
    ASSERT_EQ(filesIn(dir.path()).size(), static_cast<std::size_t>(kDocuments));
    // Every kind of call failing where the second part is made durable (its last call of the kind).
    std::set<std::string> kinds(calls.begin(), calls.end());
    for (const std::string& kind : kinds) {
        const auto last = std::find(calls.rbegin(), calls.rend(), kind);
        const int n = static_cast<int>(calls.rend() - last);
        QTemporaryDir folder;
        FaultyFileWriteCalls faulty(n, ENOSPC);
        const ScopedFileWriteCalls scope(faulty);
        try {
            WriteEachFormPdf(batchInto(folder.path(), 2));
            ADD_FAILURE() << "no failure at call " << n << " (" << kind << ")";
            continue;
        } catch (const FileError& failure) {
            const QStringList files = filesIn(folder.path());
            const QString message = failure.message();
            EXPECT_TRUE(message.contains(QStringLiteral("brak miejsca na dysku"))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("Zapisano %1 ").arg(files.size()))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("zapis zatrzymał się na pliku „%1.pdf”")
                                             .arg(files.size() + 1, 2, 10, QLatin1Char('0'))))
                << message.toStdString() << " (" << kind << ")";
            EXPECT_GE(files.size(), 8) << kind << ": the first part stays";
            for (int i = 0; i < files.size(); ++i) {
                EXPECT_EQ(files[i], QStringLiteral("%1.pdf").arg(i + 1, 2, 10, QLatin1Char('0'))) << kind;
                EXPECT_TRUE(wholePdf(ReadTestFile(QDir(folder.path()).filePath(files[i])))) << kind;
            }
        }
    }
}
