// Cost of the amount rules: what leaving a box costs, and recomputing a large register as
// fiskon-cli recompute does.
#include "edit/AmountCalculations.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void BM_NormalizeAmount(benchmark::State& state) {
    const std::vector<std::string> typed = {"1 234,5", "12,345", "7.5", "abc", "40000", "0,005"};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(NormalizeAmount(typed[i++ % typed.size()]));
}
BENCHMARK(BM_NormalizeAmount);

void BM_ComputeTax(benchmark::State& state) {
    const std::vector<std::string> bases = {"30000,00", "37024,00", "50000,00", "100000,00"};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ComputeTax(bases[i++ % bases.size()]));
}
BENCHMARK(BM_ComputeTax);

TaxpayerRecord FilledRecord(int n) {
    TaxpayerRecord record;
    record.p40Box(35) = std::to_string(40000 + n) + ",00";
    record.p40Box(36) = "1335,00";
    record.p40Box(38) = "5000,00";
    record.p40Box(66) = "5000,00";
    record.p40Box(73) = "2500,00";
    record.p11Box(34) = std::to_string(30000 + n) + ",50";
    record.p11Box(35) = "1335,00";
    record.p11Box(52) = "1200,00";
    record.p11Box(53) = "240,00";
    return record;
}

// Both pages of every record of a register of state.range(0) taxpayers.
void BM_RecomputeRegister(benchmark::State& state) {
    std::vector<TaxpayerRecord> records;
    for (int n = 0; n < state.range(0); ++n) records.push_back(FilledRecord(n));
    for (auto _ : state) {
        for (TaxpayerRecord& record : records) RecomputeRecord(record);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecomputeRegister)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
