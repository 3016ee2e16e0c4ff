// Duplicate removal of the taxpayer register.
#include "store/TaxpayerRegister.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// A text that identifies a taxpayer: not empty, and (for the birth date and NIP) not starting
// with a space, which is how blank masked input is stored.
bool identifies(std::string_view text, bool blankWhenSpaceFirst) {
    return !text.empty() && !(blankWhenSpaceFirst && text.front() == ' ');
}

bool isDuplicateOf(const TaxpayerRecord& keep, const TaxpayerRecord& other) {
    if (!(other.nazwisko == keep.nazwisko) || !(other.imie1 == keep.imie1)) return false;
    return (other.pesel == keep.pesel && identifies(keep.pesel, false)) ||
           (other.dataUr == keep.dataUr && identifies(keep.dataUr, true)) ||
           (other.nip == keep.nip && identifies(keep.nip, true));
}

template <typename Field>
void fillIfEmpty(Field& keep, const Field& other) {
    if (keep.empty() && !other.empty()) keep = other;
}

void absorb(TaxpayerRecord& keep, const TaxpayerRecord& other) {
    fillIfEmpty(keep.us, other.us);
    fillIfEmpty(keep.nip, other.nip);
    fillIfEmpty(keep.pesel, other.pesel);
    fillIfEmpty(keep.dataUr, other.dataUr);
    fillIfEmpty(keep.kraj, other.kraj);
    fillIfEmpty(keep.wojewodztwo, other.wojewodztwo);
    fillIfEmpty(keep.powiat, other.powiat);
    fillIfEmpty(keep.gmina, other.gmina);
    fillIfEmpty(keep.ulica, other.ulica);
    fillIfEmpty(keep.poczta, other.poczta);
    fillIfEmpty(keep.kodPoczt, other.kodPoczt);
}

using Records = std::vector<TaxpayerRecordPool::Pointer>;

// The pass of each record over the later records of its group, as the chain order gives it.
void mergeSmallGroup(const Records& records, const std::vector<std::size_t>& positions, std::vector<bool>& removed) {
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (removed[positions[k]]) continue;
        TaxpayerRecord& keep = *records[positions[k]];
        for (std::size_t d = k + 1; d < positions.size(); ++d) {
            if (removed[positions[d]]) continue;
            const TaxpayerRecord& other = *records[positions[d]];
            if (!isDuplicateOf(keep, other)) continue;
            absorb(keep, other);
            removed[positions[d]] = true;
        }
    }
}

// The same passes for a large group (many people of one name, or a hostile file), without
// comparing every pair: the later records are found through their PESEL, birth date and NIP.
// Only identifying values are indexed, and those never change (absorbing fills empty fields
// only), so the index stays right while records merge. The next duplicate of a record is the
// earliest later record that shares one of its identifying values as they stand now.
void mergeLargeGroup(const Records& records, const std::vector<std::size_t>& positions, std::vector<bool>& removed) {
    using Index = std::unordered_map<std::string_view, std::vector<std::size_t>>;
    Index byPesel, byDataUr, byNip;
    for (std::size_t j = 0; j < positions.size(); ++j) {
        const TaxpayerRecord& record = *records[positions[j]];
        if (identifies(record.pesel, false)) byPesel[record.pesel.view()].push_back(j);
        if (identifies(record.dataUr, true)) byDataUr[record.dataUr.view()].push_back(j);
        if (identifies(record.nip, true)) byNip[record.nip.view()].push_back(j);
    }
    auto nextAfter = [&](const Index& index, std::string_view value, std::size_t after) {
        const auto it = index.find(value);
        if (it == index.end()) return positions.size();
        const auto& list = it->second;
        for (auto at = std::upper_bound(list.begin(), list.end(), after); at != list.end(); ++at)
            if (!removed[positions[*at]]) return *at;
        return positions.size();
    };
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (removed[positions[k]]) continue;
        TaxpayerRecord& keep = *records[positions[k]];
        for (std::size_t from = k;;) {
            std::size_t next = positions.size();
            if (identifies(keep.pesel, false)) next = std::min(next, nextAfter(byPesel, keep.pesel.view(), from));
            if (identifies(keep.dataUr, true)) next = std::min(next, nextAfter(byDataUr, keep.dataUr.view(), from));
            if (identifies(keep.nip, true)) next = std::min(next, nextAfter(byNip, keep.nip.view(), from));
            if (next == positions.size()) break;
            absorb(keep, *records[positions[next]]);
            removed[positions[next]] = true;
            from = next;
        }
    }
}

}  // namespace

void TaxpayerRegister::RemoveDuplicates() {
    // Only records with equal surname and first name can merge, so the pass of each record only
    // has to look at the later records of its own name group; within a group the records are
    // visited in chain order, which gives exactly the merges of a pass over the whole chain.
    std::unordered_map<std::string, std::vector<std::size_t>> groups;
    groups.reserve(records_.size());
    std::string name;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const TaxpayerRecord& record = *records_[i];
        name.assign(record.nazwisko.view());
        name.push_back('\0');
        name.append(record.imie1.view());
        groups[name].push_back(i);
    }

    constexpr std::size_t kSmallGroup = 24;
    std::vector<bool> removed(records_.size(), false);
    for (const auto& [groupName, positions] : groups) {
        if (positions.size() < 2) continue;
        if (positions.size() <= kSmallGroup) mergeSmallGroup(records_, positions, removed);
        else mergeLargeGroup(records_, positions, removed);
    }
    const bool anyRemoved = std::find(removed.begin(), removed.end(), true) != removed.end();
    if (!anyRemoved) return;

    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (removed[i]) {
            if (records_[i].get() == current_) current_ = nullptr;
            continue;
        }
        records_[kept++] = std::move(records_[i]);
    }
    records_.resize(kept);
    invalidateIdIndex();
}
