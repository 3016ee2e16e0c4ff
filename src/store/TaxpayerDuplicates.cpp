// Duplicate removal of the taxpayer register.
#include "store/TaxpayerRegister.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <cstdint>
#include <functional>
#include <vector>

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
    fillIfEmpty(keep.email, other.email);
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

// The records of a group with one identifying field, sorted by the hash of its value and then by
// their place in the group: the records that may share a value lie together, in chain order.
class ValueIndex {
public:
    using Field = std::string_view (*)(const TaxpayerRecord&);

    ValueIndex(const Records& records, const std::vector<std::size_t>& positions, Field field, bool blankWhenSpaceFirst)
        : records_(records), positions_(positions), field_(field) {
        entries_.reserve(positions.size());
        for (std::size_t j = 0; j < positions.size(); ++j) {
            const std::string_view value = field(*records[positions[j]]);
            if (identifies(value, blankWhenSpaceFirst)) entries_.push_back({hashOf(value), j});
        }
        std::sort(entries_.begin(), entries_.end());
    }

    // The earliest record of the group after place `after`, not yet removed, whose value is
    // `value`; positions.size() when there is none.
    std::size_t nextAfter(std::string_view value, std::size_t after, const std::vector<bool>& removed) const {
        const std::uint64_t hash = hashOf(value);
        for (auto at = std::upper_bound(entries_.begin(), entries_.end(), Entry{hash, after}); at != entries_.end() && at->hash == hash; ++at) {
            const std::size_t position = positions_[at->place];
            if (!removed[position] && field_(*records_[position]) == value) return at->place;
        }
        return positions_.size();
    }

private:
    struct Entry {
        std::uint64_t hash;
        std::size_t place;
        bool operator<(const Entry& other) const { return hash != other.hash ? hash < other.hash : place < other.place; }
    };
    static std::uint64_t hashOf(std::string_view value) { return std::hash<std::string_view>{}(value); }

    const Records& records_;
    const std::vector<std::size_t>& positions_;
    Field field_;
    std::vector<Entry> entries_;
};

// The same passes for a large group (many people of one name, or a hostile file), without
// comparing every pair: the later records are found through their PESEL, birth date and NIP.
// Only identifying values are indexed, and those never change (absorbing fills empty fields
// only), so the index stays right while records merge. The next duplicate of a record is the
// earliest later record that shares one of its identifying values as they stand now.
void mergeLargeGroup(const Records& records, const std::vector<std::size_t>& positions, std::vector<bool>& removed) {
    const ValueIndex byPesel(records, positions, [](const TaxpayerRecord& r) { return r.pesel.view(); }, false);
    const ValueIndex byDataUr(records, positions, [](const TaxpayerRecord& r) { return r.dataUr.view(); }, true);
    const ValueIndex byNip(records, positions, [](const TaxpayerRecord& r) { return r.nip.view(); }, true);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (removed[positions[k]]) continue;
        TaxpayerRecord& keep = *records[positions[k]];
        for (std::size_t from = k;;) {
            std::size_t next = positions.size();
            if (identifies(keep.pesel, false)) next = std::min(next, byPesel.nextAfter(keep.pesel.view(), from, removed));
            if (identifies(keep.dataUr, true)) next = std::min(next, byDataUr.nextAfter(keep.dataUr.view(), from, removed));
            if (identifies(keep.nip, true)) next = std::min(next, byNip.nextAfter(keep.nip.view(), from, removed));
            if (next == positions.size()) break;
            absorb(keep, *records[positions[next]]);
            removed[positions[next]] = true;
            from = next;
        }
    }
}

// The records' positions grouped by surname and first name (exact bytes), each group in chain
// order; groups of one record are left out. Sorting by a hash of the two names keeps this to a
// few allocations however many records there are.
std::vector<std::vector<std::size_t>> nameGroups(const Records& records) {
    struct Entry {
        std::uint64_t hash;
        std::size_t position;
        bool operator<(const Entry& other) const { return hash != other.hash ? hash < other.hash : position < other.position; }
    };
    std::vector<Entry> entries(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TaxpayerRecord& record = *records[i];
        const std::uint64_t surname = std::hash<std::string_view>{}(record.nazwisko.view());
        const std::uint64_t firstName = std::hash<std::string_view>{}(record.imie1.view());
        entries[i] = {surname * 0x9E3779B97F4A7C15ULL ^ (firstName + 0x632BE59BD9B4E019ULL), i};
    }
    std::sort(entries.begin(), entries.end());

    std::vector<std::vector<std::size_t>> groups;
    auto sameNames = [&](std::size_t a, std::size_t b) {
        return records[a]->nazwisko == records[b]->nazwisko && records[a]->imie1 == records[b]->imie1;
    };
    for (std::size_t run = 0; run < entries.size();) {
        std::size_t end = run + 1;
        while (end < entries.size() && entries[end].hash == entries[run].hash) ++end;
        if (end - run == 1) {
            run = end;
            continue;
        }
        // Records of a run share the hash; names that merely collide form groups of their own.
        std::vector<std::vector<std::size_t>> split;
        for (std::size_t at = run; at < end; ++at) {
            const std::size_t position = entries[at].position;
            auto group = std::find_if(split.begin(), split.end(),
                                      [&](const auto& g) { return sameNames(g.front(), position); });
            if (group == split.end()) split.push_back({position});
            else group->push_back(position);
        }
        for (auto& group : split)
            if (group.size() > 1) groups.push_back(std::move(group));
        run = end;
    }
    return groups;
}

}  // namespace

void TaxpayerRegister::RemoveDuplicates() {
    // Only records with equal surname and first name can merge, so the pass of each record only
    // has to look at the later records of its own name group; within a group the records are
    // visited in chain order, which gives exactly the merges of a pass over the whole chain.
    constexpr std::size_t kSmallGroup = 24;
    revision_.advance();
    std::vector<bool> removed(records_.size(), false);
    for (const auto& positions : nameGroups(records_)) {
        if (positions.size() <= kSmallGroup) mergeSmallGroup(records_, positions, removed);
        else mergeLargeGroup(records_, positions, removed);
    }
    const bool anyRemoved = std::find(removed.begin(), removed.end(), true) != removed.end();
    if (!anyRemoved) return;

    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (removed[i]) {
            if (records_[i].get() == current_) current_ = nullptr;
            dispose(std::move(records_[i]));
            continue;
        }
        records_[kept++] = std::move(records_[i]);
    }
    records_.resize(kept);
    invalidateIdIndex();
}
