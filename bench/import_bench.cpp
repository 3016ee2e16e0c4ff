// Import of the large Płatnik fixture end to end (login, reading the three person tables, merging
// duplicates, sorting) beside mdb-export of the same three tables, the yardstick for the reading.
#include "import/PlatnikReaders.h"

#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

const QString kLarge = QStringLiteral(FISKON_TEST_FIXTURES "/platnik/large.mdb");

class BenchDataAccess : public PlatnikDataAccess {
protected:
    void ReportLoginFailure(const LoginResult& result) override { throw std::runtime_error(result.message.toStdString()); }
};

void BM_ImportLargeDatabase(benchmark::State& state) {
    for (auto _ : state) {
        BenchDataAccess access;
        access.SetDbPath(kLarge);
        access.SetDbPassword(QStringLiteral("Zaq12wsx"));
        TaxpayerRegister taxpayers;
        if (!access.TestLogin()) state.SkipWithError("login failed");
        ReadInsuredPersons(access, taxpayers);
        benchmark::DoNotOptimize(taxpayers.count());
        state.counters["taxpayers"] = taxpayers.count();
    }
}
BENCHMARK(BM_ImportLargeDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MdbExportSameTables(benchmark::State& state) {
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const char* table : {"ZUSZUA", "UBEZP_IDENT", "UBEZP_ADRES"}) {
            QProcess process;
            process.start(QStringLiteral("mdb-export"),
                          {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d"), kLarge, QString::fromLatin1(table)});
            if (!process.waitForFinished(120000)) state.SkipWithError("mdb-export did not finish");
            bytes += process.readAllStandardOutput().size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_MdbExportSameTables)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // The benchmark runs in the build tree, away from the installed reader.
    qputenv("FISKON_MDB_READER", QByteArrayLiteral(FISKON_MDB_READER_PATH));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
