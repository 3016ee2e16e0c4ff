// Rebuilding the main window's table over a full register (65,535 taxpayers).

#include "SilentUserInterface.h"
#include "app/TFMain.h"
#include "store/TaxpayerRegister.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kRecords = 65535;

struct Window {
    SilentUserInterface ui;
    TFMain main{ui};
    Window() {
        TaxpayerRecord record;
        for (int i = 0; i < kRecords; ++i) {
            const std::string n = std::to_string(i);
            record.nazwisko = "NAZWISKO" + n;
            record.imie1 = "IMIE" + n;
            record.nip = "123-456-78-90";
            record.dataUr = "1970-01-01";
            record.us = "Urzad Skarbowy Krakow-Srodmiescie";
            main.taxpayers().Add(record);
        }
        main.resize(1024, 768);
        main.show();
        QApplication::processEvents();
    }
};

Window& window() {
    static Window w;
    return w;
}

void BM_RefreshView(benchmark::State& state) {
    TFMain& main = window().main;
    for (auto _ : state) main.RefreshView(ViewMode::vmTabela);
    state.counters["rows"] = main.findChild<QTableView*>("ListView")->model()->rowCount();
}
BENCHMARK(BM_RefreshView)->Unit(benchmark::kMillisecond);

// The rebuild as the user sees it: the rebuild and the table painted once.
void BM_RefreshViewAndPaint(benchmark::State& state) {
    TFMain& main = window().main;
    QTableView* table = main.findChild<QTableView*>("ListView");
    for (auto _ : state) {
        main.RefreshView(ViewMode::vmTabela);
        table->viewport()->repaint();
    }
}
BENCHMARK(BM_RefreshViewAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
