#pragma once

// The register of a large employer for the benchmarks: 100,000 complete taxpayers (every amount box
// of PIT-11/8B and PIT-40 filled, the computed ones as the edit form computes them, a PESEL of each
// one's own that agrees with the birth date), every tenth with a mistake (a wrong NIP, a missing postal code, an amount that
// contradicts its sum), written once to a data file beside a payer file, and the benchmark of
// loading it.

#include "edit/AmountCalculations.h"
#include "forms/RegisterCheck.h"
#include "store/Cp1250.h"
#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerRegister.h"

#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>

namespace {

constexpr int kTaxpayers = 100000;

// A NIP with a fitting check digit made from a serial number.
inline std::string validNip(int serial) {
    static const int weights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    for (int attempt = 0;; ++attempt) {
        std::string digits = std::to_string(100000000 + (serial * 7919 + attempt) % 900000000);
        int sum = 0;
        for (int i = 0; i < 9; ++i) sum += weights[i] * (digits[static_cast<std::size_t>(i)] - '0');
        if (sum % 11 == 10) continue;
        digits += static_cast<char>('0' + sum % 11);
        return digits.substr(0, 3) + '-' + digits.substr(3, 3) + '-' + digits.substr(6, 2) + '-' + digits.substr(8);
    }
}

// A PESEL with a fitting check digit for a birth date (1900s) and a serial number below 10000.
inline std::string validPesel(const QDate& born, int serial) {
    static const int weights[10] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
    const std::string digits = born.toString(QStringLiteral("yyMMdd")).toStdString() +
                               QString::number(serial).rightJustified(4, u'0').toStdString();
    int sum = 0;
    for (int k = 0; k < 10; ++k) sum += weights[k] * (digits[static_cast<std::size_t>(k)] - '0');
    return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Amount text of whole złoty.
inline std::string zloty(int amount) { return std::to_string(amount) + ",00"; }

// Fills rows of an amount table by their revenue box: revenue and advance (two boxes on) of rows
// without costs, revenue, costs and advance (three boxes on) of rows with them.
template <typename Box>
void fillRows(Box box, std::initializer_list<int> withoutCosts, std::initializer_list<int> withCosts) {
    for (const int revenue : withoutCosts) {
        box(revenue) = zloty(100 + revenue);
        box(revenue + 2) = zloty(revenue / 2);
    }
    for (const int revenue : withCosts) {
        box(revenue) = zloty(1000 + revenue);
        box(revenue + 1) = zloty(200 + revenue);
        box(revenue + 3) = zloty(revenue);
    }
}

// A complete taxpayer: every typed amount box of both forms filled, so that the recomputation fills
// every computed one; a PESEL of its own that agrees with the birth date.
inline TaxpayerRecord makeTaxpayer(int i) {
    TaxpayerRecord r;
    r.nazwisko = cp1250::fromUnicode(QStringLiteral("KOWALSKI%1").arg(i));
    r.imie1 = cp1250::fromUnicode(u"ŁUKASZ");
    r.nip = i % 10 == 1 ? std::string("123-456-78-90") : validNip(i);
    constexpr int kBirthDays = 18000;  // about fifty years of birth dates, then the serial number
    const QDate born = QDate(1950, 1, 1).addDays(i % kBirthDays);
    r.pesel = validPesel(born, i / kBirthDays);
    r.dataUr = born.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    r.us = cp1250::fromUnicode(u"Pierwszy Urząd Skarbowy w Łodzi");
    r.kraj = "POLSKA";
    r.wojewodztwo = cp1250::fromUnicode(u"ŁÓDZKIE");
    r.powiat = cp1250::fromUnicode(u"ŁÓDŹ");
    r.gmina = cp1250::fromUnicode(u"ŁÓDŹ");
    r.ulica = "PIOTRKOWSKA";
    r.nrDomu = std::to_string(i % 300 + 1);
    r.nrLok = std::to_string(i % 40 + 1);
    r.miejsc = cp1250::fromUnicode(u"ŁÓDŹ");
    r.kodPoczt = i % 10 == 2 ? "" : "90-001";
    r.poczta = cp1250::fromUnicode(u"ŁÓDŹ");
    r.pit11_od = "01-01-2006";
    r.pit11_do = "31-12-2006";
    r.pit11_33 = 1;
    r.pit11_PITR = 2;
    r.pit40_34 = 1;
    const int pay = 30000 + i % 20000;
    // PIT-11/8B: revenue, costs and advance of every row of the table, and boxes 75 to 78.
    r.p11Box(34) = zloty(pay);
    r.p11Box(35) = "1335,00";
    r.p11Box(37) = "3120,00";
    r.p11Box(38) = "400,00";
    r.p11Box(39) = "80,00";
    fillRows([&r](int box) { return r.p11Box(box); }, {40, 43, 46, 49}, {52, 56, 60, 64, 68});
    r.p11Box(72) = "510,00";
    r.p11Box(74) = "70,00";
    r.p11Box(75) = "4110,00";
    r.p11Box(76) = "2330,00";
    r.p11Box(77) = "120,00";
    r.p11Box(78) = "90,00";
    // PIT-40: the same sources in its rows, the deductions and the health contribution.
    r.p40Box(35) = r.p11Box(34).view();
    r.p40Box(36) = "1335,00";
    r.p40Box(38) = "3120,00";
    r.p40Box(39) = "400,00";
    r.p40Box(40) = "80,00";
    fillRows([&r](int box) { return r.p40Box(box); }, {41, 44, 47}, {50, 54, 58});
    r.p40Box(66) = "4110,00";
    r.p40Box(67) = "60,00";
    r.p40Box(70) = "15,00";
    r.p40Box(72) = "2330,00";
    r.p40Box(73) = "2006,00";
    RecomputeRecord(r);  // the derived boxes as the edit form leaves them
    if (i % 10 == 3) {
        r.p11Box(36) = zloty(pay - 1334);
        r.p40Box(37) = r.p11Box(36).view();
    }
    return r;
}

// The register file and a payer file, written once.
struct Files {
    QTemporaryDir dir;
    QString taxpayers = dir.filePath(QStringLiteral("podatnicy.txt"));
    QString payer = dir.filePath(QStringLiteral("platnik.txt"));

    Files() {
        TaxpayerRegister reg;
        for (int i = 0; i < kTaxpayers; ++i) reg.Add(makeTaxpayer(i));
        SaveToFile(reg, taxpayers);
        PayerRecord p;
        p.NIP = validNip(1);
        p.rodzaj = 1;
        p.nazwa = "FIRMA";
        p.kodPoczt = "90-001";
        SaveToFile(p, payer);
    }
};

inline const Files& files() {
    static const Files made;
    return made;
}

// The first `count` taxpayers' forms of `kind`, with a tax year that fits the edition.
RegisterCheckRequest request(FormKind kind, int count) {
    RegisterCheckRequest r;
    r.choices.kind = kind;
    r.choices.taxYear = "2006";
    for (int i = 0; i < count; ++i) r.indices.push_back(i);
    return r;
}

// Loading the file as Open does: what the work on the register is measured against.
void BM_LoadRegister(benchmark::State& state) {
    const QString& file = files().taxpayers;
    for (auto _ : state) {
        TaxpayerRegister reg;
        benchmark::DoNotOptimize(LoadFromFile(reg, file));
    }
}
BENCHMARK(BM_LoadRegister)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
