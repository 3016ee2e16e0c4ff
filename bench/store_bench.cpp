// The taxpayer data store at the size of a large employer: 100,000 taxpayers, 5% of them entered
// twice. Each file benchmark has a baseline beside it that only reads (or writes) the same bytes
// and splits them into lines, so the cost of the format itself shows.
#include "store/Cp1250.h"
#include "store/RecoveryFolder.h"
#include "store/RecoveryKeeper.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerRegister.h"

#include "HeapInUse.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <limits>
#include <random>
#include <string_view>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kTaxpayers = 100000;

std::vector<TaxpayerRecord> makeTaxpayers() {
    static const char* const surnames[] = {"Nowak", "Kowalski", "Wiśniewski", "Wójcik", "Kowalczyk", "Kamiński",
                                           "Lewandowski", "Zieliński", "Szymański", "Woźniak", "Dąbrowski",
                                           "Kozłowski", "Jankowski", "Mazur", "Kwiatkowski", "Krawczyk",
                                           "Piotrowski", "Grabowski", "Nowakowski", "Pawłowski", "Michalski",
                                           "Żak", "Ącki", "Łukasik", "Śliwa", "Ołdak"};
    static const char* const names[] = {"Jan", "Anna", "Piotr", "Maria", "Krzysztof", "Katarzyna", "Andrzej",
                                        "Małgorzata", "Tomasz", "Agnieszka", "Paweł", "Barbara", "Łukasz", "Ewa"};
    std::mt19937 random(2026);
    auto pick = [&](const auto& list) {
        return cp1250::fromUnicode(QString::fromUtf8(list[random() % std::size(list)]));
    };
    std::vector<TaxpayerRecord> records;
    records.reserve(kTaxpayers);
    const int unique = kTaxpayers * 95 / 100;
    for (int i = 0; i < unique; ++i) {
        TaxpayerRecord r;
        r.nazwisko = pick(surnames) + (i % 7 == 0 ? "" : std::to_string(i % 1000));
        r.imie1 = pick(names);
        r.pesel = std::to_string(50000000000LL + static_cast<long long>(random() % 49999999999LL));
        const int serial = static_cast<int>(random() % 10000000);
        r.nip = "123-" + std::to_string(100 + serial % 900) + "-" + std::to_string(10 + serial % 90) + "-" +
                std::to_string(10 + i % 90);
        r.dataUr = std::to_string(1950 + i % 50) + "-" + std::to_string(10 + i % 3) + "-" + std::to_string(10 + i % 19);
        r.us = cp1250::fromUnicode(u"Pierwszy Urząd Skarbowy w Łodzi");
        r.kraj = "POLSKA";
        r.wojewodztwo = cp1250::fromUnicode(u"ŁÓDZKIE");
        r.ulica = "Piotrkowska";
        r.nrDomu = std::to_string(i % 300);
        r.miejsc = cp1250::fromUnicode(u"Łódź");
        r.kodPoczt = "90-001";
        r.poczta = cp1250::fromUnicode(u"Łódź");
        r.pit11_od = "01-01-2025";
        r.pit11_do = "31-12-2025";
        for (int box : {34, 35, 36, 37, 38, 45, 46, 48}) r.p11Box(box) = std::to_string(1000 + i % 5000) + ",00";
        for (int box : {35, 36, 37, 38, 50, 60}) r.p40Box(box) = std::to_string(2000 + i % 3000) + ",50";
        records.push_back(r);
    }
    for (int i = unique; i < kTaxpayers; ++i) {
        TaxpayerRecord copy = records[random() % static_cast<unsigned>(unique)];
        copy.ulica.clear();
        records.push_back(copy);
    }
    std::shuffle(records.begin() + unique / 2, records.end(), random);
    return records;
}

const std::vector<TaxpayerRecord>& taxpayers() {
    static const std::vector<TaxpayerRecord> records = makeTaxpayers();
    return records;
}

void fill(TaxpayerRegister& reg) {
    reg.Clear();
    for (const auto& record : taxpayers()) reg.Add(record);
}

void BM_Sort(benchmark::State& state, TaxpayerSortKey key) {
    TaxpayerRegister reg;
    for (auto _ : state) {
        state.PauseTiming();
        fill(reg);
        state.ResumeTiming();
        reg.Sort(key);
        benchmark::DoNotOptimize(reg.at(0));
    }
}
BENCHMARK_CAPTURE(BM_Sort, nazwisko, TaxpayerSortKey::SortByNazwisko)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, imie, TaxpayerSortKey::SortByImie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, pesel, TaxpayerSortKey::SortByPesel)->Unit(benchmark::kMillisecond);

void BM_RemoveDuplicates(benchmark::State& state) {
    TaxpayerRegister reg;
    for (auto _ : state) {
        state.PauseTiming();
        fill(reg);
        state.ResumeTiming();
        reg.RemoveDuplicates();
        benchmark::DoNotOptimize(reg.count());
    }
    state.counters["kept"] = reg.count();
}
BENCHMARK(BM_RemoveDuplicates)->Unit(benchmark::kMillisecond);

// The worst shape: every taxpayer with the same name (a hostile or broken file).
void BM_RemoveDuplicatesOneName(benchmark::State& state) {
    TaxpayerRegister reg;
    for (auto _ : state) {
        state.PauseTiming();
        reg.Clear();
        for (const auto& record : taxpayers()) {
            TaxpayerRecord copy = record;
            copy.nazwisko = "Nowak";
            copy.imie1 = "Jan";
            reg.Add(copy);
        }
        state.ResumeTiming();
        reg.RemoveDuplicates();
        benchmark::DoNotOptimize(reg.count());
    }
    state.counters["kept"] = reg.count();
}
BENCHMARK(BM_RemoveDuplicatesOneName)->Unit(benchmark::kMillisecond);

// --- Files ---------------------------------------------------------------------------------------

struct FileFixture {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("podatnicy.txt"));
    std::string text;
    FileFixture() {
        TaxpayerRegister reg;
        fill(reg);
        reg.Resort();
        text = TaxpayerFileText(reg);
        SaveToFile(reg, file);
    }
};

FileFixture& fixture() {
    static FileFixture instance;
    return instance;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

void BM_LoadFromFile(benchmark::State& state) {
    const QString file = fixture().file;
    TaxpayerRegister reg;
    for (auto _ : state) {
        LoadFromFile(reg, file);
        benchmark::DoNotOptimize(reg.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fixture().text.size()));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_ReadAndSplitBaseline(benchmark::State& state) {
    const QString file = fixture().file;
    for (auto _ : state) {
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        const auto lines = splitLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fixture().text.size()));
}
BENCHMARK(BM_ReadAndSplitBaseline)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State& state) {
    TaxpayerRegister reg;
    fill(reg);
    reg.Resort();
    const QString file = fixture().dir.filePath(QStringLiteral("zapis.txt"));
    for (auto _ : state) SaveToFile(reg, file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fixture().text.size()));
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

// The text alone, without the file.
void BM_TaxpayerFileText(benchmark::State& state) {
    TaxpayerRegister reg;
    fill(reg);
    for (auto _ : state) benchmark::DoNotOptimize(TaxpayerFileText(reg).size());
}
BENCHMARK(BM_TaxpayerFileText)->Unit(benchmark::kMillisecond);

// Joins the file's lines again and writes them; with `sync` also flushed to the disk as the
// program's safe save does before it renames the file into place.
void BM_JoinAndWriteBaseline(benchmark::State& state) {
    const auto lines = splitLines(fixture().text);
    const QString file = fixture().dir.filePath(QStringLiteral("surowy.txt"));
    for (auto _ : state) {
        std::string out;
        out.reserve(fixture().text.size());
        for (const auto line : lines) {
            out.append(line);
            out.push_back('\n');
        }
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(out.data(), static_cast<qint64>(out.size()));
        f.flush();
        if (state.range(0)) ::fsync(f.handle());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fixture().text.size()));
}
BENCHMARK(BM_JoinAndWriteBaseline)->Arg(0)->Arg(1)->ArgName("sync")->Unit(benchmark::kMillisecond);

// --- Recovery copy -------------------------------------------------------------------------------

// The copy's whole text, made from the register and payer where they live.
void BM_RecoveryCopyText(benchmark::State& state) {
    Workspace workspace;
    fill(workspace.taxpayers);
    workspace.taxpayersSaved = false;
    workspace.dataFileName = fixture().file;
    const QDateTime now = QDateTime::currentDateTime();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = RecoveryCopyText(workspace, now);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_RecoveryCopyText)->Unit(benchmark::kMillisecond);

// What the GUI thread does after a confirmed change: the same text in slices of
// RecoveryKeeper::kSliceTaxpayers, the event loop running between them. The time reported is the
// longest slice, the longest that typing can wait.
void BM_RecoveryCopyLongestSlice(benchmark::State& state) {
    Workspace workspace;
    fill(workspace.taxpayers);
    workspace.taxpayersSaved = false;
    workspace.dataFileName = fixture().file;
    const QDateTime now = QDateTime::currentDateTime();
    int slices = 0;
    for (auto _ : state) {
        auto started = std::chrono::steady_clock::now();
        RecoveryCopyBuilder builder(workspace, now);
        std::chrono::duration<double> longest{0};
        slices = 0;
        for (bool done = false; !done; ++slices) {
            done = builder.step(RecoveryKeeper::kSliceTaxpayers);
            const auto now2 = std::chrono::steady_clock::now();
            longest = std::max<std::chrono::duration<double>>(longest, now2 - started);
            started = now2;
        }
        benchmark::DoNotOptimize(builder.take().size());
        state.SetIterationTime(longest.count());
    }
    state.counters["slices"] = slices;
}
BENCHMARK(BM_RecoveryCopyLongestSlice)->UseManualTime()->Unit(benchmark::kMillisecond);

// What the worker thread does with that text: the copy written through the program's writer,
// flushed to the disk and set 0600 (compare BM_SaveToFile and BM_JoinAndWriteBaseline/sync:1).
void BM_RecoveryCopyWrite(benchmark::State& state) {
    Workspace workspace;
    fill(workspace.taxpayers);
    workspace.taxpayersSaved = false;
    const std::string text = RecoveryCopyText(workspace, QDateTime::currentDateTime());
    OwnRecoveryCopy copy(fixture().dir.filePath(QStringLiteral("stan/fiskon")));
    for (auto _ : state) copy.write(text);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_RecoveryCopyWrite)->Unit(benchmark::kMillisecond);

// --- Memory per record ---------------------------------------------------------------------------

// heapInUse(): the benchmarks keep all memory on the heap (see main).

// Bytes of heap a register holds per record, for records of three shapes: the line "A;B;" of a
// delimited file (two names only), the four taxpayers of the shipped example file, and the
// benchmark's 100,000 taxpayers (names, address, tax office, fourteen amounts).
void BM_BytesPerRecord(benchmark::State& state) {
    const int shape = static_cast<int>(state.range(0));
    std::vector<TaxpayerRecord> records;
    if (shape == 0) {
        TaxpayerRecord r;
        r.nazwisko = "A";
        r.imie1 = "B";
        records.assign(100000, r);
    } else if (shape == 1) {
        TaxpayerRegister example;
        LoadFromFile(example, QStringLiteral(FISKON_EXAMPLES "/podatnicy.txt"));
        for (int copy = 0; copy < 25000; ++copy)
            for (int i = 0; i < example.count(); ++i) records.push_back(example.at(i));
    } else {
        records = taxpayers();
    }
    double perRecord = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        {
            TaxpayerRegister reg;
            for (const auto& record : records) reg.Add(record);
            perRecord = static_cast<double>(heapInUse() - before) / static_cast<double>(records.size());
            benchmark::DoNotOptimize(reg.count());
        }
    }
    state.counters["bytes_per_record"] = perRecord;
    state.counters["sizeof_record"] = static_cast<double>(sizeof(TaxpayerRecord));
}
BENCHMARK(BM_BytesPerRecord)->Arg(0)->Arg(1)->Arg(2)->ArgName("shape")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// The file benchmarks and their baselines all run on warm memory.
int main(int argc, char** argv) {
    keepFreedMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
