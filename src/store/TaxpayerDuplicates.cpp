// Duplicate removal of the taxpayer register.
#include "store/TaxpayerRegister.h"

#include <string>
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

    std::vector<bool> removed(records_.size(), false);
    bool anyRemoved = false;
    for (const auto& [groupName, positions] : groups) {
        if (positions.size() < 2) continue;
        for (std::size_t k = 0; k < positions.size(); ++k) {
            if (removed[positions[k]]) continue;
            TaxpayerRecord& keep = *records_[positions[k]];
            for (std::size_t d = k + 1; d < positions.size(); ++d) {
                if (removed[positions[d]]) continue;
                const TaxpayerRecord& other = *records_[positions[d]];
                if (!isDuplicateOf(keep, other)) continue;
                absorb(keep, other);
                removed[positions[d]] = true;
                anyRemoved = true;
            }
        }
    }
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
