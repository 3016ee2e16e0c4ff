#pragma once

#include "store/CompactText.h"
#include "store/FixedText.h"
#include "store/SparseAmounts.h"

#include <cstdint>

// Text fields of 50 bytes and more: most hold a short word or nothing, so up to 15 bytes sit in
// the field and a longer text in a block of its own. The short fields (PESEL, NIP, dates, numbers)
// keep their bytes inside the record.
template <std::size_t N>
using LongText = CompactText<N, 15>;

// One taxpayer (employee). A plain value: all text is code page 1250, cut to the field widths.
// It costs memory in proportion to what it holds: about 300 bytes empty, plus the texts longer
// than 15 bytes and two bytes more than the text of each filled amount.
struct TaxpayerRecord {
    static constexpr int kFirstP11Box = 34;  // PIT-11/8B boxes 34..78
    static constexpr int kLastP11Box = 78;
    static constexpr int kFirstP40Box = 35;  // PIT-40 boxes 35..76
    static constexpr int kLastP40Box = 76;
    using P11Amounts = SparseAmounts<kLastP11Box - kFirstP11Box + 1>;  // element k holds box 34 + k
    using P40Amounts = SparseAmounts<kLastP40Box - kFirstP40Box + 1>;  // element k holds box 35 + k

    std::int32_t id = 0;  // ID_UBEZPIECZONY of the Płatnik database; 0 when made otherwise
    LongText<50> imie1;
    LongText<50> nazwisko;
    FixedText<11> pesel;
    FixedText<13> nip;
    FixedText<10> dataUr;
    LongText<100> us;
    LongText<50> kraj;
    LongText<50> wojewodztwo;
    LongText<50> powiat;
    LongText<50> gmina;
    LongText<50> ulica;
    FixedText<15> nrDomu;
    FixedText<15> nrLok;
    LongText<50> miejsc;
    FixedText<10> kodPoczt;
    LongText<50> poczta;
    std::uint8_t pit11_33 = 0;
    std::uint8_t pit40_34 = 0;
    P11Amounts p11;
    P40Amounts p40;
    std::uint8_t pit11_PITR = 0;
    std::uint8_t pit40_NIP3 = 0;
    std::uint8_t pit40_PITR = 0;
    FixedText<10> pit11_od;
    FixedText<10> pit11_do;
    LongText<254> email;  // where the taxpayer's forms are sent; the longest address mail allows

    // Amount of a PIT-11/8B box (34..78) or a PIT-40 box (35..76).
    P11Amounts::Box p11Box(int box) { return p11.at(static_cast<std::size_t>(box - kFirstP11Box)); }
    P11Amounts::Text p11Box(int box) const { return p11.at(static_cast<std::size_t>(box - kFirstP11Box)); }
    P40Amounts::Box p40Box(int box) { return p40.at(static_cast<std::size_t>(box - kFirstP40Box)); }
    P40Amounts::Text p40Box(int box) const { return p40.at(static_cast<std::size_t>(box - kFirstP40Box)); }

    // Bytes the record takes beyond its own object: the blocks of longer texts and of amounts.
    std::size_t heapBytes() const;

    friend bool operator==(const TaxpayerRecord&, const TaxpayerRecord&) = default;
};

inline std::size_t TaxpayerRecord::heapBytes() const {
    return imie1.heapBytes() + nazwisko.heapBytes() + us.heapBytes() + kraj.heapBytes() +
           wojewodztwo.heapBytes() + powiat.heapBytes() + gmina.heapBytes() + ulica.heapBytes() +
           miejsc.heapBytes() + poczta.heapBytes() + email.heapBytes() + p11.heapBytes() + p40.heapBytes();
}
