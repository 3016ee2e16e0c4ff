// The undo history on the register of a large employer: the memory 100 steps of every kind hold
// beside the register, and the time recording a step adds to the change it records.

#include "LargeRegister.h"

#include "app/UndoHistory.h"
#include "edit/TaxpayerStoring.h"
#include "store/RegisterChangeRecording.h"
#include "store/Workspace.h"

#include <QCoreApplication>

#include <string>
#include <vector>

#include "BenchmarkMain.h"
#include "HeapInUse.h"

namespace {

void fill(TaxpayerRegister& taxpayers) {
    for (int i = 0; i < kTaxpayers; ++i) taxpayers.Add(makeTaxpayer(i));
    taxpayers.Resort();
}

// One change of each kind in turn, as the windows make them: an edit form confirmed (the record
// moves to its place in the order), a deletion of ten rows, a correction of 1,000 taxpayers, a new
// taxpayer typed in.
void change(Workspace& workspace, int step) {
    TaxpayerRegister& taxpayers = workspace.taxpayers;
    switch (step % 4) {
    case 0: {
        taxpayers.SelectByIndex((step * 7919) % taxpayers.count());
        TaxpayerRecord image = *taxpayers.current();
        image.nazwisko = "NOWAK" + std::to_string(step);
        RegisterChangeRecording recording(workspace, QStringLiteral("Edycja"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(taxpayers, image);
        recording.finish();
        break;
    }
    case 1: {
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie"));
        for (int k = 9; k >= 0; --k) taxpayers.DeleteAt((step * 104729 + k * 1000) % (taxpayers.count() - 10000));
        recording.finish();
        break;
    }
    case 2: {
        std::vector<int> rows;
        for (int k = 0; k < 1000; ++k) rows.push_back((step * 31 + k * 97) % taxpayers.count());
        workspace.changeRecords(QStringLiteral("Poprawa"), rows, [step](TaxpayerRecord& record) {
            record.ulica = "ULICA POPRAWIONA " + std::to_string(step);
            return true;
        });
        break;
    }
    default: {
        taxpayers.ClearCurrent();
        TaxpayerRecord added = makeTaxpayer(kTaxpayers + step);
        RegisterChangeRecording recording(workspace, QStringLiteral("Dodanie"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(taxpayers, added);
        recording.finish();
        break;
    }
    }
}

// The heap the register holds, and what 100 steps hold beside it (of the history's own count and
// of the heap): the history must stay within half the register's own memory.
void BM_HundredStepsMemory(benchmark::State& state) {
    double registerBytes = 0;
    double historyHeap = 0;
    double historyCounted = 0;
    for (auto _ : state) {
        Workspace workspace;
        const std::size_t start = heapInUse();
        fill(workspace.taxpayers);
        const std::size_t filled = heapInUse();
        UndoHistory history(workspace);
        for (int step = 0; step < UndoHistory::kSteps; ++step) change(workspace, step);
        registerBytes = static_cast<double>(filled - start);
        historyHeap = static_cast<double>(heapInUse()) - static_cast<double>(filled);
        historyCounted = static_cast<double>(history.bytes());
        if (history.count() != UndoHistory::kSteps) state.SkipWithError("a change made no step");
    }
    state.counters["register_MB"] = registerBytes / 1e6;
    state.counters["history_MB"] = historyHeap / 1e6;
    state.counters["history_counted_MB"] = historyCounted / 1e6;
    state.counters["ratio"] = (registerBytes + historyHeap) / registerBytes;
}
BENCHMARK(BM_HundredStepsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The edit form's confirmation on 100,000 taxpayers with and without its step recorded.
void BM_EditConfirmed(benchmark::State& state) {
    const bool recorded = state.range(0) != 0;
    Workspace workspace;
    fill(workspace.taxpayers);
    UndoHistory history(workspace);
    if (!recorded) workspace.history = nullptr;
    int step = 0;
    for (auto _ : state) {
        workspace.taxpayers.SelectByIndex((++step * 7919) % workspace.taxpayers.count());
        TaxpayerRecord image = *workspace.taxpayers.current();
        image.gmina = "GMINA " + std::to_string(step);
        RegisterChangeRecording recording(workspace, QStringLiteral("Edycja"), RegisterChangeRecording::EveryRecord{});
        StoreTaxpayer(workspace.taxpayers, image);
        recording.finish();
    }
}
BENCHMARK(BM_EditConfirmed)->Arg(0)->Arg(1)->ArgName("recorded")->Unit(benchmark::kMillisecond);

// Undoing and redoing a deletion of 10,000 taxpayers.
void BM_UndoRedoDeletion(benchmark::State& state) {
    Workspace workspace;
    fill(workspace.taxpayers);
    UndoHistory history(workspace);
    {
        RegisterChangeRecording recording(workspace, QStringLiteral("Usunięcie"));
        for (int k = 9999; k >= 0; --k) workspace.taxpayers.DeleteAt(k * 9);
        recording.finish();
    }
    for (auto _ : state) {
        history.undo();
        history.redo();
    }
}
BENCHMARK(BM_UndoRedoDeletion)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemory();
    return runBenchmarksIn<QCoreApplication>(argc, argv);
}
