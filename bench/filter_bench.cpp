// The main window's search over a register of 100,000 taxpayers: the search itself, and what one
// keystroke in the search line costs the window (the search, the table's rows, the count).

#include "BenchmarkMain.h"
#include "SilentUserInterface.h"
#include "app/TFMain.h"
#include "store/Cp1250.h"
#include "store/TaxpayerFilter.h"
#include "store/TaxpayerRegister.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kTaxpayers = 100000;

// Names of four syllables, each taxpayer's own: 20^4 names for 100,000 people.
const std::array<const char*, 20> kSyllables = {"KO", "WAL", "ŁÓ", "DŹ", "NO", "WAK", "SZY", "MAŃ", "ŻUR", "BEK",
                                                "LIS", "ĆWI", "KŁA", "GĘB", "RO", "ŚMI", "PA", "TEK", "MRÓ", "ZEK"};

QString syllableName(int number) {
    QString name;
    for (int k = 0; k < 4; ++k) {
        name += QString::fromUtf8(kSyllables[static_cast<std::size_t>(number % 20)]);
        number /= 20;
    }
    return name;
}

TaxpayerRecord taxpayer(int i) {
    TaxpayerRecord r;
    r.nazwisko = cp1250::fromUnicode(syllableName(i));
    r.imie1 = cp1250::fromUnicode(syllableName((i * 7919 + 13) % 160000));
    r.pesel = std::to_string(70000000000LL + static_cast<long long>(i) * 37);
    const std::string nip = std::to_string(1000000000LL + static_cast<long long>(i) * 97);
    r.nip = nip.substr(0, 3) + '-' + nip.substr(3, 3) + '-' + nip.substr(6, 2) + '-' + nip.substr(8);
    r.dataUr = "1970-01-01";
    r.us = cp1250::fromUnicode(u"Pierwszy Urząd Skarbowy w Łodzi");
    return r;
}

const TaxpayerRegister& largeRegister() {
    static const TaxpayerRegister taxpayers = [] {
        TaxpayerRegister made;
        for (int i = 0; i < kTaxpayers; ++i) made.Add(taxpayer(i));
        return made;
    }();
    return taxpayers;
}

// What the user types: one taxpayer's surname, a frequent syllable without its marks, a part of a
// NIP with its dash, a PESEL's digits, a single letter, and a text nobody has.
QString typedText(std::int64_t which) {
    const char* const texts[] = {nullptr, "lodz", "000-97", "7000000", "ł", "xyz"};
    return which == 0 ? syllableName(54321).toLower() : QString::fromUtf8(texts[which]);
}

// The search text made once after each change of the register.
void BM_BuildSearchText(benchmark::State& state) {
    const TaxpayerRegister& taxpayers = largeRegister();
    TaxpayerSearchText text;
    for (auto _ : state) {
        text.build(taxpayers);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildSearchText)->Unit(benchmark::kMillisecond);

// One search, as each keystroke makes it.
void BM_Filter(benchmark::State& state) {
    const TaxpayerRegister& taxpayers = largeRegister();
    static const TaxpayerSearchText searchText = [&] {
        TaxpayerSearchText made;
        made.build(taxpayers);
        return made;
    }();
    const QString text = typedText(state.range(0));
    std::vector<int> positions;
    positions.reserve(static_cast<std::size_t>(taxpayers.count()));
    for (auto _ : state) {
        TaxpayerFilter(text).collect(searchText, positions);
        benchmark::DoNotOptimize(positions.data());
    }
    state.SetLabel(text.toStdString());
    state.counters["found"] = static_cast<double>(positions.size());
}
BENCHMARK(BM_Filter)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

struct Window {
    SilentUserInterface ui;
    TFMain main{ui};
    QLineEdit* search = nullptr;
    QTableView* table = nullptr;
    Window() {
        for (int i = 0; i < kTaxpayers; ++i) main.taxpayers().Add(taxpayer(i));
        main.resize(1024, 768);
        main.show();
        main.RefreshView(ViewMode::vmTabela);
        search = main.findChild<QLineEdit*>(QStringLiteral("eSzukaj"));
        table = main.findChild<QTableView*>(QStringLiteral("ListView"));
        QApplication::processEvents();
    }
};

Window& window() {
    static Window w;
    return w;
}

// One keystroke as the window takes it: the text changes, the table shows what it finds, the
// count follows, and the table is painted.
void BM_TypeInSearchLine(benchmark::State& state) {
    Window& w = window();
    const QString text = typedText(state.range(0));
    bool typed = false;
    for (auto _ : state) {
        w.search->setText(typed ? QString() : text);
        w.table->viewport()->repaint();
        typed = !typed;
    }
    w.search->clear();
    state.SetLabel(text.toStdString() + " / all");
}
BENCHMARK(BM_TypeInSearchLine)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarksIn<QApplication>(argc, argv);
}
