#include "store/TaxpayerRegister.h"

#include "store/ExchangeSortOrder.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

char foldPolishCapital(char c) {
    switch (static_cast<unsigned char>(c)) {
    case 0xA5: return 'A';  // Ą
    case 0xC6: return 'C';  // Ć
    case 0xCA: return 'E';  // Ę
    case 0xD1: return 'N';  // Ń
    case 0xD3: return 'O';  // Ó
    case 0xAF: return 'Z';  // Ż
    default: return c;
    }
}

// The text a record is sorted by, before its folding (folded only for the names).
std::string_view sortedText(const TaxpayerRecord& record, TaxpayerSortKey key) {
    switch (key) {
    case TaxpayerSortKey::SortByNazwisko: return record.nazwisko.view();
    case TaxpayerSortKey::SortByImie: return record.imie1.view();
    case TaxpayerSortKey::SortByPesel: return record.pesel.view();
    }
    return {};
}

// TaxpayerSortKeyText(a) < TaxpayerSortKeyText(b), without making the two texts.
bool sortKeyLess(const TaxpayerRecord& a, const TaxpayerRecord& b, TaxpayerSortKey key) {
    const std::string_view x = sortedText(a, key);
    const std::string_view y = sortedText(b, key);
    const bool fold = key != TaxpayerSortKey::SortByPesel;
    const std::size_t common = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto cx = static_cast<unsigned char>(fold ? foldPolishCapital(x[i]) : x[i]);
        const auto cy = static_cast<unsigned char>(fold ? foldPolishCapital(y[i]) : y[i]);
        if (cx != cy) return cx < cy;
    }
    return x.size() < y.size();
}

}  // namespace

std::string FoldPolishCapitals(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = foldPolishCapital(c);
    return folded;
}

std::string TaxpayerSortKeyText(const TaxpayerRecord& record, TaxpayerSortKey key) {
    const std::string_view text = sortedText(record, key);
    return key == TaxpayerSortKey::SortByPesel ? std::string(text) : FoldPolishCapitals(text);
}

void TaxpayerRegister::ClearRecord(TaxpayerRecord& record) { record = TaxpayerRecord{}; }

namespace {
bool hasBothNames(const TaxpayerRecord& record) { return !record.imie1.empty() && !record.nazwisko.empty(); }
}  // namespace

TaxpayerRecordPool& TaxpayerRegister::pool() {
    if (!pool_) pool_ = std::make_shared<TaxpayerRecordPool>();  // also after the register was moved from
    return *pool_;
}

bool TaxpayerRegister::Add(const TaxpayerRecord& record) {
    if (!hasBothNames(record)) return false;
    checkRoom();
    return adopt(pool().make(record));
}

bool TaxpayerRegister::Add(TaxpayerRecord&& record) {
    if (!hasBothNames(record)) return false;
    checkRoom();
    return adopt(pool().make(std::move(record)));
}

bool TaxpayerRegister::adopt(TaxpayerRecordPool::Pointer record) {
    if (!hasBothNames(*record)) return false;  // its place goes back to the pool
    records_.push_back(std::move(record));
    revision_.advance();
    current_ = records_.back().get();
    if (idIndexValid_) firstById_.emplace(current_->id, count() - 1);  // keeps an earlier position
    return true;
}

void TaxpayerRegister::Clear() {
    if (removalSink_) {
        for (RecordPointer& record : records_) removalSink_->push_back(std::move(record));
    } else {
        lineage_.advance();
        if (pool_ && pool_.use_count() == 1) pool_->releaseAll(records_);
    }
    records_.clear();
    revision_.advance();
    current_ = nullptr;
    invalidateIdIndex();
}

void TaxpayerRegister::RollBackTo(const Checkpoint& checkpoint) {
    revision_.advance();
    if (checkpoint.count >= 0 && checkpoint.count < count()) {
        for (auto record = records_.begin() + checkpoint.count; record != records_.end(); ++record)
            if (record->get() == current_) current_ = nullptr;
        for (auto record = records_.begin() + checkpoint.count; record != records_.end(); ++record)
            dispose(std::move(*record));
        records_.erase(records_.begin() + checkpoint.count, records_.end());
        invalidateIdIndex();
    }
    SelectByIndex(checkpoint.current);
}

bool TaxpayerRegister::SelectByIndex(int index) {
    current_ = nullptr;
    if (index < 0 || index >= count()) return false;
    current_ = records_[static_cast<std::size_t>(index)].get();
    return true;
}

bool TaxpayerRegister::SelectById(std::int32_t id) {
    if (!idIndexValid_) {
        firstById_.clear();
        firstById_.reserve(records_.size());
        for (int i = 0; i < count(); ++i) firstById_.emplace(records_[static_cast<std::size_t>(i)]->id, i);
        idIndexValid_ = true;
    }
    const auto it = firstById_.find(id);
    if (it == firstById_.end()) return false;
    current_ = records_[static_cast<std::size_t>(it->second)].get();
    return true;
}

void TaxpayerRegister::DeleteAt(int index) {
    if (!SelectByIndex(index)) return;
    RecordPointer record = std::move(records_[static_cast<std::size_t>(index)]);
    records_.erase(records_.begin() + index);
    dispose(std::move(record));
    revision_.advance();
    current_ = nullptr;
    invalidateIdIndex();
}

void TaxpayerRegister::Sort(TaxpayerSortKey key) {
    sortKey_ = key;
    revision_.advance();
    if (records_.size() < 2) return;
    // Records already in order (a file the program wrote, read back under the same key) stay
    // where they are; finding that needs no key texts.
    const auto less = [key](const auto& a, const auto& b) { return sortKeyLess(*a, *b, key); };
    if (std::is_sorted(records_.begin(), records_.end(), less)) {
        invalidateIdIndex();
        return;
    }
    std::vector<std::string> keys;
    keys.reserve(records_.size());
    for (const auto& record : records_) keys.push_back(TaxpayerSortKeyText(*record, key));
    const std::vector<std::size_t> order = ExchangeSortOrder(keys);
    std::vector<TaxpayerRecordPool::Pointer> sorted;
    sorted.reserve(records_.size());
    for (const std::size_t from : order) sorted.push_back(std::move(records_[from]));
    records_ = std::move(sorted);
    invalidateIdIndex();
}

void TaxpayerRegister::Resort() { Sort(sortKey_); }

int TaxpayerRegister::currentIndex() const {
    if (!current_) return -1;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].get() == current_) return static_cast<int>(i);
    return -1;
}

void TaxpayerRegister::dispose(RecordPointer record) {
    if (removalSink_) removalSink_->push_back(std::move(record));
    else lineage_.advance();  // what knew the record by its address must not find another there
}

std::vector<TaxpayerRegister::RecordPointer> TaxpayerRegister::TakeAt(const std::vector<int>& positions) {
    std::vector<RecordPointer> taken;
    if (positions.empty()) return taken;
    taken.reserve(positions.size());
    std::size_t kept = static_cast<std::size_t>(positions.front());
    std::size_t next = 0;
    for (std::size_t i = kept; i < records_.size(); ++i) {
        if (next < positions.size() && static_cast<std::size_t>(positions[next]) == i) {
            if (records_[i].get() == current_) current_ = nullptr;
            taken.push_back(std::move(records_[i]));
            ++next;
        } else {
            records_[kept++] = std::move(records_[i]);
        }
    }
    records_.resize(kept);
    revision_.advance();
    invalidateIdIndex();
    return taken;
}

void TaxpayerRegister::PutAt(std::vector<std::pair<int, RecordPointer>> records) {
    if (records.empty()) return;
    std::vector<RecordPointer> merged;
    merged.reserve(records_.size() + records.size());
    std::size_t from = 0;
    for (auto& [position, record] : records) {
        while (merged.size() < static_cast<std::size_t>(position) && from < records_.size())
            merged.push_back(std::move(records_[from++]));
        merged.push_back(std::move(record));
    }
    while (from < records_.size()) merged.push_back(std::move(records_[from++]));
    records_ = std::move(merged);
    revision_.advance();
    invalidateIdIndex();
}

std::unordered_map<const TaxpayerRecord*, int> TaxpayerRegister::PositionsByRecord() const {
    std::unordered_map<const TaxpayerRecord*, int> positions;
    positions.reserve(records_.size());
    for (std::size_t i = 0; i < records_.size(); ++i) positions.emplace(records_[i].get(), static_cast<int>(i));
    return positions;
}

std::vector<const TaxpayerRecord*> TaxpayerRegister::RecordOrder() const {
    std::vector<const TaxpayerRecord*> order;
    order.reserve(records_.size());
    for (const RecordPointer& record : records_) order.push_back(record.get());
    return order;
}

std::shared_ptr<void> TaxpayerRegister::StorageHold() {
    pool();
    return pool_;
}

void TaxpayerRegister::invalidateIdIndex() {
    idIndexValid_ = false;
    firstById_.clear();
}
