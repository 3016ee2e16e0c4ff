#pragma once

#include "store/CompactText.h"
#include "store/FixedText.h"

#include <array>
#include <cstdint>

// One taxpayer (employee). A plain value: all text is code page 1250, cut to the field widths.
struct TaxpayerRecord {
    static constexpr int kFirstP11Box = 34;  // PIT-11/8B boxes 34..78
    static constexpr int kLastP11Box = 78;
    static constexpr int kFirstP40Box = 35;  // PIT-40 boxes 35..76
    static constexpr int kLastP40Box = 76;
    using Amount = CompactText<20>;  // mostly empty or short: kept compact

    std::int32_t id = 0;  // ID_UBEZPIECZONY of the Płatnik database; 0 when made otherwise
    FixedText<50> imie1;
    FixedText<50> nazwisko;
    FixedText<11> pesel;
    FixedText<13> nip;
    FixedText<10> dataUr;
    FixedText<100> us;
    FixedText<50> kraj;
    FixedText<50> wojewodztwo;
    FixedText<50> powiat;
    FixedText<50> gmina;
    FixedText<50> ulica;
    FixedText<15> nrDomu;
    FixedText<15> nrLok;
    FixedText<50> miejsc;
    FixedText<10> kodPoczt;
    FixedText<50> poczta;
    std::uint8_t pit11_33 = 0;
    std::uint8_t pit40_34 = 0;
    std::array<Amount, kLastP11Box - kFirstP11Box + 1> p11{};  // element k holds box 34 + k
    std::array<Amount, kLastP40Box - kFirstP40Box + 1> p40{};  // element k holds box 35 + k
    std::uint8_t pit11_PITR = 0;
    std::uint8_t pit40_NIP3 = 0;
    std::uint8_t pit40_PITR = 0;
    FixedText<10> pit11_od;
    FixedText<10> pit11_do;

    // Amount of a PIT-11/8B box (34..78) or a PIT-40 box (35..76).
    Amount& p11Box(int box) { return p11.at(static_cast<std::size_t>(box - kFirstP11Box)); }
    const Amount& p11Box(int box) const { return p11.at(static_cast<std::size_t>(box - kFirstP11Box)); }
    Amount& p40Box(int box) { return p40.at(static_cast<std::size_t>(box - kFirstP40Box)); }
    const Amount& p40Box(int box) const { return p40.at(static_cast<std::size_t>(box - kFirstP40Box)); }
};
