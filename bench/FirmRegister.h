#pragma once

// A firm of 1,000 taxpayers for the benchmarks of forms output and mailing: complete PIT-11/8B
// amounts, each taxpayer with a surname and an address of its own.

#include "store/Cp1250.h"
#include "store/Workspace.h"

#include <QString>

#include <string>

namespace {

constexpr int kFirmTaxpayers = 1000;

inline std::string cp(const char* utf8) { return cp1250::fromUnicode(QString::fromUtf8(utf8)); }

inline Workspace& firm() {
    static Workspace workspace = [] {
        Workspace w;
        w.payer.NIP = "526-025-09-95";
        w.payer.rodzaj = 1;
        w.payer.nazwa = cp("ZAKŁAD USŁUG ŻEGLUGOWYCH SPÓŁKA Z O.O.");
        w.payer.kraj = "POLSKA";
        w.payer.miejscowosc = cp("GDAŃSK");
        for (int n = 0; n < kFirmTaxpayers; ++n) {
            TaxpayerRecord record;
            record.nazwisko = cp("PRACOWNIK-") + std::to_string(n);
            record.imie1 = cp("JÓZEFINA");
            record.nip = "123-456-32-18";
            record.dataUr = "1970-01-31";
            record.us = cp("Pierwszy Urząd Skarbowy w Gdańsku");
            record.kraj = "POLSKA";
            record.miejsc = "SOPOT";
            record.pit11_od = "01-01-2006";
            record.pit11_do = "31-12-2006";
            record.pit11_33 = 1;
            record.pit11_PITR = 2;
            for (int box = 34; box <= 40; ++box) record.p11Box(box) = std::to_string(1000 + box * 37 + n) + ",00";
            record.email = "pracownik." + std::to_string(n) + "@example.pl";
            w.taxpayers.Add(record);
        }
        return w;
    }();
    return workspace;
}

}  // namespace
