// Forms output for a whole firm, 1,000 taxpayers, each figure also per document:
// - what fiskon-cli pdf does: the field lists, the forms program's documents formatted and
//   calculated, all drawn into one PDF;
// - the same as fiskon-cli pdf runs it, on one thread and on every core, into one PDF and into a
//   file per document (--jobs 1 against --jobs N: the speed-up);
// - a print batch through the link to our real forms program, as the print dialog runs it after
//   its first document (list sent again, new list, silent print, end of document); with no printer
//   the forms program writes each document into a PDF file of its own.
// - the batch's baseline without the link: the same documents drawn each into a PDF of its own.
// Compare them with formvel_bench's bare renderer figure.

#include "BenchmarkMain.h"
#include "FirmRegister.h"
#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormPdfBatch.h"
#include "forms/FieldList.h"
#include "forms/TSterFormVEL.h"
#include "platform/LinuxWindowSystem.h"
#include "signing/CertificateDatabase.h"
#include "signing/SignedPdfBatch.h"
#include "signing/SigningKey.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace {

constexpr int kDocuments = kFirmTaxpayers;

FieldListChoices choices() {
    FieldListChoices c;
    c.kind = FormKind::Pit11;
    c.fillerFirstName = "ANNA";
    c.fillerSurname = cp("KSIĘGOWA").c_str();
    return c;
}

void perDocument(benchmark::State& state) {
    state.counters["per_document"] =
        benchmark::Counter(kDocuments, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CliPdfOfTheFirm(benchmark::State& state) {
    Workspace& workspace = firm();
    EditionSymbols symbols;
    SetEditionSymbols(symbols, kDefaultFormYearIndex);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("firma.pdf"));
    for (auto _ : state) {
        std::vector<std::unique_ptr<FormDocument>> documents;
        std::vector<const FormDocument*> pages;
        QByteArrayList lines;
        for (int row = 0; row < kDocuments; ++row) {
            workspace.taxpayers.SelectByIndex(row);
            const QByteArray symbol =
                BuildFieldList(lines, choices(), workspace.taxpayers.current(), workspace.payer, symbols).value_or("");
            documents.push_back(FormDocument::create(symbol));
            documents.back()->setFields(JoinLines(lines), FormDocument::AutoFormat | FormDocument::Calculate);
            pages.push_back(documents.back().get());
        }
        QString error;
        if (!writeFormsPdf(path, pages, &error)) state.SkipWithError(error.toUtf8().constData());
    }
    perDocument(state);
}

// fiskon-cli pdf as it runs: the batch drawn on `jobs` threads (the first argument), into one PDF
// (second argument 0) or each document into a file of its own (1), those files locked with a
// password (third argument 1) or not. Run with one job and with every core in the same run: the
// speed-up is the ratio of the two times. Files of their own may cost at most 1.5 times the one
// PDF on the same cores, and the password at most a tenth more.
void BM_CliPdfBatch(benchmark::State& state) {
    Workspace& workspace = firm();
    EditionSymbols symbols;
    SetEditionSymbols(symbols, kDefaultFormYearIndex);
    QTemporaryDir dir;
    const bool each = state.range(1) != 0;
    const bool locked = state.range(2) != 0;
    QByteArrayList lines;
    FormPdfBatch batch;
    batch.count = kDocuments;
    batch.jobs = static_cast<int>(state.range(0));
    batch.source = [&](int row) {
        FormPdfSource source;
        source.symbol = BuildFieldList(lines, choices(), &workspace.taxpayers.at(row), workspace.payer, symbols).value_or("");
        source.fields = JoinLines(lines);
        source.options = FormDocument::AutoFormat | FormDocument::Calculate;
        if (each) source.path = dir.filePath(QStringLiteral("%1.pdf").arg(row));
        if (locked) source.password = QByteArray::number(85031212367LL + row);
        return source;
    };
    batch.checked = [](int, const FormPdfOutcome&) {};
    for (auto _ : state) {
        try {
            if (each)
                WriteEachFormPdf(batch);
            else
                WriteFormsPdfBatch(dir.filePath(QStringLiteral("firma.pdf")), batch);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
    perDocument(state);
}
void CliPdfBatchArguments(benchmark::internal::Benchmark* benchmark) {
    for (const int jobs : {1, std::max(2, QThread::idealThreadCount())})
        for (const auto& [each, locked] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}})
            benchmark->Args({jobs, each, locked});
}
BENCHMARK(BM_CliPdfBatch)->Apply(CliPdfBatchArguments)->ArgNames({"jobs", "each", "locked"})->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

#ifdef FISKON_MAKE_TEST_PKI
// 300 locked files of their own, signed with a key of the certificate database (argument 1) or
// not (0), on every core: what the signature adds to a batch, and to each file's size (the
// counter "bytes" is the mean size of a file).
void BM_SignedEachPdf(benchmark::State& state) {
    constexpr int kSigned = 300;
    static QTemporaryDir pki;
    static const bool ready = [] {
        const QString script = QStringLiteral(FISKON_MAKE_TEST_PKI);
        if (std::system(QStringLiteral("'%1' '%2/pki' >/dev/null").arg(script, pki.path()).toLocal8Bit().constData()) != 0)
            return false;
        qputenv("SOFTHSM2_CONF", (pki.path() + QStringLiteral("/pki/softhsm2.conf")).toLocal8Bit());
        OpenCertificateDatabase(pki.path() + QStringLiteral("/pki/nssdb"));
        return true;
    }();
    if (!ready) {
        state.SkipWithError("make-test-pki failed (softhsm2, libnss3-tools?)");
        return;
    }
    Workspace& workspace = firm();
    EditionSymbols symbols;
    SetEditionSymbols(symbols, kDefaultFormYearIndex);
    QTemporaryDir dir;
    QByteArrayList lines;
    FormPdfBatch batch;
    batch.count = kSigned;
    batch.jobs = std::max(2, QThread::idealThreadCount());
    batch.source = [&](int row) {
        FormPdfSource source;
        source.symbol = BuildFieldList(lines, choices(), &workspace.taxpayers.at(row), workspace.payer, symbols).value_or("");
        source.fields = JoinLines(lines);
        source.options = FormDocument::AutoFormat | FormDocument::Calculate;
        source.path = dir.filePath(QStringLiteral("%1.pdf").arg(row));
        source.password = QByteArray::number(85031212367LL + row);
        return source;
    };
    batch.checked = [](int, const FormPdfOutcome&) {};
    const std::unique_ptr<SigningKey> key =
        state.range(0) != 0 ? std::make_unique<SigningKey>(QStringLiteral("Podpis Testowy"), SecretSource()) : nullptr;
    if (key) SignBatchFiles(batch, *key, QStringLiteral("PIT-11/8B za rok 2006"), false);
    for (auto _ : state) {
        try {
            WriteEachFormPdf(batch);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
    qint64 bytes = 0;
    for (int row = 0; row < kSigned; ++row) bytes += QFileInfo(dir.filePath(QStringLiteral("%1.pdf").arg(row))).size();
    state.counters["bytes"] = static_cast<double>(bytes) / kSigned;
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(kSigned) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SignedEachPdf)->Arg(0)->Arg(1)->ArgNames({"signed"})->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
#endif

// The baseline of the batch below without the link: the same documents, each drawn into a PDF file
// of its own, as the forms program does when it prints with no printer.
void BM_EachDocumentIntoItsOwnPdf(benchmark::State& state) {
    Workspace& workspace = firm();
    EditionSymbols symbols;
    SetEditionSymbols(symbols, kDefaultFormYearIndex);
    QTemporaryDir dir;
    QByteArrayList lines;
    for (auto _ : state) {
        for (int row = 0; row < kDocuments; ++row) {
            workspace.taxpayers.SelectByIndex(row);
            const QByteArray symbol =
                BuildFieldList(lines, choices(), workspace.taxpayers.current(), workspace.payer, symbols).value_or("");
            const std::unique_ptr<FormDocument> document = FormDocument::create(symbol);
            document->setFields(JoinLines(lines), FormDocument::AutoFormat | FormDocument::Calculate);
            QString error;
            if (!writeFormsPdf(dir.filePath(QStringLiteral("%1.pdf").arg(row)), {document.get()}, &error))
                state.SkipWithError(error.toUtf8().constData());
        }
    }
    perDocument(state);
}
BENCHMARK(BM_EachDocumentIntoItsOwnPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

#ifdef FORMVEL_DIR
// The real forms program, started by the link as the program starts it.
struct FormsProgram {
    QTemporaryDir runtime;
    QTemporaryDir home;
    std::unique_ptr<LinuxWindowSystem> system;

    FormsProgram() {
        qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
        const QString profile = home.filePath(QStringLiteral("win.ini"));
        QFile file(profile);
        file.open(QIODevice::WriteOnly);
        file.write("[formularze]\r\nkatalog=" + QFile::encodeName(QStringLiteral(FORMVEL_DIR)) + "\r\n");
        file.close();
        qputenv("FISKON_WININI", QFile::encodeName(profile));
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_DOCUMENTS_DIR");
        system = std::make_unique<LinuxWindowSystem>();
        lform::setWindowSystem(system.get());
    }
    ~FormsProgram() {
        lform::LinkShutdown();
        lform::setWindowSystem(nullptr);
    }
};

// CPU seconds the forms program started with this runtime folder has used so far (0 when it is not
// found): the batch's work is mostly in that process, which the benchmark's CPU time does not see.
double formsProgramCpuSeconds(const QString& runtimeFolder) {
    const QByteArray marker = "FISKON_WINDOWS_DIR=" + QFile::encodeName(runtimeFolder);
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "formvel") continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(marker)) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        // utime and stime are fields 14 and 15 of the line, 12 and 13 after the command name.
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return 0;
}

void BM_LinkBatchToTheFormsProgram(benchmark::State& state) {
    FormsProgram program;
    Workspace& workspace = firm();
    EditionSymbols symbols;
    SetEditionSymbols(symbols, kDefaultFormYearIndex);
    TSterFormVEL controller;
    controller.SilentPrint = true;
    controller.Convert = false;
    controller.SetSymbol(symbols.pit11);
    controller.SetActive(true);  // starts the forms program: not part of the batch
    if (!controller.GetActive()) {
        state.SkipWithError("the forms program did not start");
        return;
    }
    QByteArrayList lines;
    const double cpuBefore = formsProgramCpuSeconds(program.runtime.path());
    for (auto _ : state) {
        for (int row = 0; row < kDocuments; ++row) {
            workspace.taxpayers.SelectByIndex(row);
            BuildFieldList(lines, choices(), workspace.taxpayers.current(), workspace.payer, symbols);
            controller.SendData(true);
            controller.SetFields(lines);
            controller.SetActive(true);
            if (!controller.Print()) state.SkipWithError("a document was not printed");
            controller.FinishDocument();
        }
    }
    perDocument(state);
    state.counters["forms_program_cpu_per_document"] =
        (formsProgramCpuSeconds(program.runtime.path()) - cpuBefore) / (kDocuments * static_cast<double>(state.iterations()));
    state.counters["files"] = static_cast<double>(
        QDir(program.home.filePath(QStringLiteral("Documents"))).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
}
// Real time: the work is shared between this process and the forms program.
BENCHMARK(BM_LinkBatchToTheFormsProgram)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
#endif

BENCHMARK(BM_CliPdfOfTheFirm)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const int code = runBenchmarksWithGui(argc, argv);
    FinishCertificateDatabase();
    return code;
}
