#pragma once

#include "store/TaxpayerRecord.h"

#include <QString>

#include <array>

// Everything the taxpayer edit form shows, as the controls hold it: masked fields with their
// blanks and hyphens, dates as dd-mm-yyyy, the voivodeship as the chosen list entry, choices as
// the numbers the record keeps.
struct TaxpayerFormValues {
    QString us, nip, nazwisko, imie1, pesel, dataUr, kraj, wojewodztwo, powiat, gmina, ulica, nrDomu,
        nrLok, miejsc, kodPoczt, poczta;
    std::array<QString, TaxpayerRecord::kLastP11Box - TaxpayerRecord::kFirstP11Box + 1> p11;
    std::array<QString, TaxpayerRecord::kLastP40Box - TaxpayerRecord::kFirstP40Box + 1> p40;
    int pit11_33 = 0;    // 0 none chosen, 1..4
    int pit40_34 = 0;    // 0 none chosen, 1..5
    int pit11_PITR = 0;  // 0..2; another value chooses no button
    bool pit40_NIP3 = false;
    bool pit40_PITR = false;
    QString pit11_od, pit11_do;
    QString email;

    QString& p11Box(int box) { return p11.at(static_cast<std::size_t>(box - TaxpayerRecord::kFirstP11Box)); }
    const QString& p11Box(int box) const {
        return p11.at(static_cast<std::size_t>(box - TaxpayerRecord::kFirstP11Box));
    }
    QString& p40Box(int box) { return p40.at(static_cast<std::size_t>(box - TaxpayerRecord::kFirstP40Box)); }
    const QString& p40Box(int box) const {
        return p40.at(static_cast<std::size_t>(box - TaxpayerRecord::kFirstP40Box));
    }
};

// What the controls show for a stored record. The birth date is turned to dd-mm-yyyy (an
// unreadable one shows empty); the period and amounts show as stored.
TaxpayerFormValues FormValuesFromRecord(const TaxpayerRecord& record);

// The record the form stores: blank-led NIP, birth date and period dates stay empty; the postal
// code is kept whole; texts are cut to their widths; the e-mail address loses the blanks around
// it; the id is 0.
TaxpayerRecord RecordFromFormValues(const TaxpayerFormValues& values);
