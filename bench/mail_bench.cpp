// Mailing each taxpayer's form, 1,000 taxpayers, against making the same files: the messages go to a
// real SMTP server on the loopback (tests/mail/smtp_test_server.py: aiosmtpd with STARTTLS, AUTH
// and a test CA made here by openssl), over one connection, the delivery record rewritten once a
// message (the write that settles one marks the next "niepewne") and once before the first. The
// sending may take at most 1.5 times the making of the files.
//   BM_MakeMailFiles      the files, made and checked as "Zapisz PDF dla każdego podatnika" makes them
//   BM_SendMailBatch      the 1,000 messages of the prepared files, with the record
//   BM_RewriteRecord      the record's 1,001 rewrites alone (1,000 rows), the share of the sending they take
#include "BenchmarkMain.h"
#include "FirmRegister.h"
#include "mail/DeliveryRecord.h"
#include "mail/MailBatch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kMessages = kFirmTaxpayers;

bool run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The test server, its CA and its folder, started once for the program.
struct LocalServer {
    QTemporaryDir folder;
    QProcess process;
    QString url;
    bool ready = false;

    LocalServer() {
        const QString dir = folder.path();
        const QString openssl = QStringLiteral("openssl");
        QFile san(dir + QStringLiteral("/san.ext"));
        ready = san.open(QIODevice::WriteOnly) && san.write("subjectAltName=IP:127.0.0.1\n") > 0;
        san.close();
        ready = ready &&
                run(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Fiskon bench CA",
                              "-keyout", "ca.key", "-out", "ca.pem"}, dir) &&
                run(openssl, {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "server.key",
                              "-out", "server.csr"}, dir) &&
                run(openssl, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                              "-days", "2", "-extfile", "san.ext", "-out", "server.pem"}, dir);
        if (!ready) return;
        QDir().mkpath(dir + QStringLiteral("/poczta"));
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(FISKON_SMTP_TEST_SERVER), "--dir", dir + "/poczta", "--cert", dir + "/server.pem", "--key",
                       dir + "/server.key", "--password", "haslo"});
        for (int i = 0; i < 200 && !QFile::exists(dir + "/poczta/port"); ++i) QThread::msleep(50);
        QFile port(dir + QStringLiteral("/poczta/port"));
        ready = port.open(QIODevice::ReadOnly);
        url = QStringLiteral("smtp://127.0.0.1:") + QString::fromLatin1(port.readAll().trimmed());
    }
    ~LocalServer() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

LocalServer& server() {
    static LocalServer local;
    return local;
}

MailBatchRequest request(const QString& record) {
    Workspace& workspace = firm();
    MailBatchRequest mail;
    mail.pdf.taxpayers = &workspace.taxpayers;
    mail.pdf.payer = &workspace.payer;
    for (int position = 1; position <= kMessages; ++position) mail.pdf.positions.push_back(position);
    mail.pdf.choices.kind = FormKind::Pit11;
    SetEditionSymbols(mail.pdf.symbols, kDefaultFormYearIndex);
    mail.pdf.protection = PdfProtection::OnePassword;
    mail.pdf.onePassword = "tajne-haslo-pdf";
    mail.pdf.jobs = std::max(2, QThread::idealThreadCount());
    SetMailServerUrl(mail.settings, server().url);
    mail.settings.caFile = server().folder.filePath(QStringLiteral("ca.pem"));
    mail.settings.user = QStringLiteral("kadry");
    mail.settings.password = MailSecret("haslo");
    mail.settings.senderAddress = QStringLiteral("kadry@firma.example.pl");
    mail.settings.senderName = QStringLiteral("Kadry Żeglugi");
    mail.recordPath = record;
    return mail;
}

void BM_MakeMailFiles(benchmark::State& state) {
    if (!server().ready) return state.SkipWithError("no test server (python3-aiosmtpd, openssl?)");
    QTemporaryDir dir;
    const MailBatchRequest mail = request(dir.filePath(QStringLiteral("wysylka.csv")));
    const MailPlan plan = PlanMailBatch(mail);
    for (auto _ : state) {
        PreparedMail prepared = PrepareMailFiles(mail, plan, {});
        benchmark::DoNotOptimize(prepared.files().size());
    }
    state.counters["per_file_ms"] = benchmark::Counter(kMessages * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                                                             benchmark::Counter::kInvert);
}
BENCHMARK(BM_MakeMailFiles)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_SendMailBatch(benchmark::State& state) {
    if (!server().ready) return state.SkipWithError("no test server (python3-aiosmtpd, openssl?)");
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("wysylka.csv"));
    const MailBatchRequest mail = request(record);
    const MailPlan plan = PlanMailBatch(mail);
    const PreparedMail prepared = PrepareMailFiles(mail, plan, {});
    for (auto _ : state) {
        const MailResult result = SendMailBatch(mail, plan, prepared, {});
        if (result.sent != kMessages) return state.SkipWithError(MailResultText(result).toStdString().c_str());
        state.PauseTiming();
        QFile::remove(record);
        state.ResumeTiming();
    }
    state.counters["per_message_ms"] = benchmark::Counter(kMessages * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_SendMailBatch)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_RewriteRecord(benchmark::State& state) {
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("wysylka.csv"));
    std::vector<DeliveryRow> rows(kMessages);
    for (int n = 0; n < kMessages; ++n)
        rows[static_cast<std::size_t>(n)] = {n + 1, QStringLiteral("PRACOWNIK-%1").arg(n), QStringLiteral("JÓZEFINA"),
                                             QStringLiteral("pracownik.%1@example.pl").arg(n),
                                             QStringLiteral("%1_PRACOWNIK-%1_JÓZEFINA.pdf").arg(n), QString(64, u'a'),
                                             QStringLiteral("<20261211.031500.5f3a9c0e1b2d4e6f@firma.example.pl>"),
                                             QStringLiteral("2026-12-11 03:15:00"), QStringLiteral("250 2.0.0 Ok: queued as Q000001"),
                                             DeliveryState::Sent};
    std::vector<QByteArray> lines;
    for (const DeliveryRow& row : rows) lines.push_back(DeliveryRecordLine(row));
    for (auto _ : state)
        for (int write = 0; write <= kMessages; ++write) {
            // As the batch does it: the lines of the two rows a message changes made again.
            lines[static_cast<std::size_t>(write % kMessages)] = DeliveryRecordLine(rows[static_cast<std::size_t>(write % kMessages)]);
            WriteDeliveryRecordLines(record, lines);
        }
}
BENCHMARK(BM_RewriteRecord)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithGui(argc, argv); }
