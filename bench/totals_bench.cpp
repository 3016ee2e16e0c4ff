// The payer's totals of a large employer: 100,000 taxpayers with full PIT-11/8B and PIT-40
// amounts summed box by box (each form calculated as it is printed), beside the load of the same
// file, which the sums must take less time than. The count of the forms with findings runs the
// whole register check and is measured apart; "fiskon-cli summary" is load and sums together.
#include "BenchmarkMain.h"
#include "forms/RegisterTotals.h"

#include <QCoreApplication>
#include <QProcess>

#include "LargeRegister.h"

namespace {

void BM_SumRegister(benchmark::State& state, FormKind kind) {
    TaxpayerRegister reg;
    LoadFromFile(reg, files().taxpayers);
    const RegisterCheckRequest r = request(kind, reg.count());
    std::size_t boxes = 0;
    for (auto _ : state) {
        const RegisterTotals totals = SumRegister(reg, PayerRecord{}, r);
        if (!totals.problems.empty()) state.SkipWithError("the register could not be summed");
        boxes = totals.boxes.size();
    }
    state.counters["boxes"] = static_cast<double>(boxes);
    state.counters["perTaxpayer_ns"] = benchmark::Counter(static_cast<double>(reg.count()) / 1e9,
                                                          benchmark::Counter::kIsIterationInvariantRate |
                                                              benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_SumRegister, pit11, FormKind::Pit11)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_SumRegister, pit40, FormKind::Pit40)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_SumRegister, pit40_realTime, FormKind::Pit40)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CountFindings(benchmark::State& state) {
    TaxpayerRegister reg;
    LoadFromFile(reg, files().taxpayers);
    PayerRecord payer;
    LoadFromFile(payer, files().payer);
    const RegisterCheckRequest r = request(FormKind::Pit11, reg.count());
    int counted = 0;
    for (auto _ : state) counted = CountFindings(reg, payer, r).taxpayersWithFindings;
    state.counters["withFindings"] = counted;
}
BENCHMARK(BM_CountFindings)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The whole command: start, load, sum, a line per box.
void BM_SummaryCommand(benchmark::State& state) {
    const QStringList arguments = {QStringLiteral("summary"), files().taxpayers, QStringLiteral("--form"),
                                   QStringLiteral("pit40")};
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(FISKON_CLI_PATH), arguments);
        process.waitForFinished(-1);
        if (process.exitCode() != 0) state.SkipWithError("fiskon-cli summary failed");
    }
}
BENCHMARK(BM_SummaryCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runBenchmarksIn<QCoreApplication>(argc, argv); }
