// The check before printing at the size of a large employer: 100,000 taxpayers with full PIT-11/8B
// and PIT-40 amounts, every tenth with a mistake (a wrong NIP, a missing postal code, an amount
// that contradicts its sum). The load of the same file stands beside it; "fiskon-cli check" is
// the two together, measured also as the real program. The check window's list over about
// 300,000 findings: choosing a kind or typing a taxpayer's name filters all of them.
#include "BenchmarkMain.h"
#include "edit/AmountCalculations.h"
#include "forms/FindingsFilter.h"
#include "forms/RegisterCheck.h"
#include "forms/widgets/FindingsTableModel.h"
#include "store/Cp1250.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerRegister.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

#include <sys/resource.h>

#include "HeapInUse.h"
#include "LargeRegister.h"

namespace {

void BM_CheckRegister(benchmark::State& state, FormKind kind) {
    TaxpayerRegister reg;
    LoadFromFile(reg, files().taxpayers);
    PayerRecord payer;
    LoadFromFile(payer, files().payer);
    const RegisterCheckRequest r = request(kind, reg.count());
    std::size_t findings = 0;
    std::size_t heapGrowth = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        const auto result = CheckRegister(reg, payer, r);
        heapGrowth = heapInUse() - before;
        findings = result.size();
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.counters["findingsMB"] = static_cast<double>(heapGrowth) / 1e6;
    state.counters["perTaxpayer_us"] =
        benchmark::Counter(static_cast<double>(reg.count()), benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_CheckRegister, pit11, FormKind::Pit11)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_CheckRegister, pit40, FormKind::Pit40)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The findings of the large register with every taxpayer's surname, first name and street in mixed
// case, as an import leaves them: about three a taxpayer.
const std::vector<FindingRow>& importedFindings() {
    static const std::vector<FindingRow> rows = [] {
        TaxpayerRegister reg;
        LoadFromFile(reg, files().taxpayers);
        for (int i = 0; i < reg.count(); ++i) {
            TaxpayerRecord& record = reg.at(i);
            record.nazwisko = cp1250::fromUnicode(QStringLiteral("Kowalski%1").arg(i));
            record.imie1 = cp1250::fromUnicode(u"Łukasz");
            record.ulica = "Piotrkowska";
        }
        PayerRecord payer;
        LoadFromFile(payer, files().payer);
        return MakeFindingRows(CheckRegister(reg, payer, request(FormKind::Pit11, reg.count())), reg, payer);
    }();
    return rows;
}

// The window's list takes the findings, counts their kinds, then shows one kind, or the findings
// of the taxpayers whose name holds a typed text, as each key press does.
void BM_FindingsList(benchmark::State& state, bool byName) {
    const std::vector<FindingRow>& rows = importedFindings();
    FindingsTableModel model;
    model.setRows(rows);
    benchmark::DoNotOptimize(CountFindingKinds(model.rows()));
    int shown = 0;
    for (auto _ : state) {
        FindingsFilter filter;
        if (byName)
            filter.taxpayer = QStringLiteral("kowalski123");
        else
            filter.kind = FindingKind::Capitals;
        model.setFilter(filter);
        shown = model.rowCount();
    }
    state.counters["findings"] = static_cast<double>(rows.size());
    state.counters["shown"] = shown;
}
BENCHMARK_CAPTURE(BM_FindingsList, kind, false)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_FindingsList, taxpayer, true)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_CountFindingKinds(benchmark::State& state) {
    const std::vector<FindingRow>& rows = importedFindings();
    for (auto _ : state) benchmark::DoNotOptimize(CountFindingKinds(rows));
    state.counters["findings"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_CountFindingKinds)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The whole command as the user runs it: start, load, check, one line per finding.
void BM_CheckCommand(benchmark::State& state, const char* form) {
    const QString program = QStringLiteral(FISKON_CLI_PATH);
    const QStringList arguments = {QStringLiteral("check"), files().taxpayers, QStringLiteral("--form"),
                                   QString::fromLatin1(form), QStringLiteral("--tax-year"), QStringLiteral("2006"),
                                   QStringLiteral("--payer"), files().payer};
    double childSeconds = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, arguments);
        process.waitForFinished(-1);
        if (process.exitCode() != 3) state.SkipWithError("fiskon-cli check did not report the findings");
        childSeconds += childCpuSeconds() - before;
    }
    // The program's own processor time (both cores together), which a busy machine does not inflate.
    state.counters["programCPU_ms"] =
        benchmark::Counter(childSeconds * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_CheckCommand, pit11, "pit11")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_CheckCommand, pit40, "pit40")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runBenchmarksIn<QCoreApplication>(argc, argv); }
