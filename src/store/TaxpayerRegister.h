#pragma once

#include "store/TaxpayerRecord.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

enum class TaxpayerSortKey { SortByNazwisko, SortByImie, SortByPesel };

// Replaces the six folded Polish capitals (Ą Ć Ę Ń Ó Ż) by their base letters; every other byte
// stays. Used for the surname and first-name sort keys.
std::string FoldPolishCapitals(std::string_view text);

// The ordered list of taxpayers. A record's position is its index; the main window's table shows
// row i = record i. Records are held by pointer so `current` stays valid while others move.
class TaxpayerRegister {
public:
    static void ClearRecord(TaxpayerRecord& record);

    // Appends a copy; refuses (false, nothing changes) a record without first name or surname.
    bool Add(const TaxpayerRecord& record);
    void Clear();
    bool SelectByIndex(int index);
    bool SelectById(std::int32_t id);
    void DeleteAt(int index);
    void Sort(TaxpayerSortKey key);
    void Resort();
    void RemoveDuplicates();

    int count() const { return static_cast<int>(records_.size()); }
    bool empty() const { return records_.empty(); }
    TaxpayerRecord& at(int index) { return *records_.at(static_cast<std::size_t>(index)); }
    const TaxpayerRecord& at(int index) const { return *records_.at(static_cast<std::size_t>(index)); }

    TaxpayerRecord* current() const { return current_; }
    void ClearCurrent() { current_ = nullptr; }
    // Position of the current record, or -1 when there is none.
    int currentIndex() const;
    TaxpayerSortKey sortKey() const { return sortKey_; }

private:
    std::vector<std::unique_ptr<TaxpayerRecord>> records_;
    TaxpayerRecord* current_ = nullptr;
    TaxpayerSortKey sortKey_ = TaxpayerSortKey::SortByNazwisko;
    // First position of each id, built on demand and dropped when positions change.
    mutable std::unordered_map<std::int32_t, int> firstById_;
    mutable bool idIndexValid_ = false;
};
