#pragma once

#include "store/ChangeRevision.h"
#include "store/RecordLimit.h"
#include "store/TaxpayerRecord.h"
#include "store/TaxpayerRecordPool.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class TaxpayerSortKey { SortByNazwisko, SortByImie, SortByPesel };

// Replaces the six folded Polish capitals (Ą Ć Ę Ń Ó Ż) by their base letters; every other byte
// stays. Used for the surname and first-name sort keys.
std::string FoldPolishCapitals(std::string_view text);

// The text a record is compared by under a sort key (folded names, the PESEL as it is). Keys are
// compared byte by byte as unsigned values, a prefix before the longer text.
std::string TaxpayerSortKeyText(const TaxpayerRecord& record, TaxpayerSortKey key);

// The ordered list of taxpayers. A record's position is its index; the main window's table shows
// row i = record i. Records are held by pointer so `current` stays valid while others move.
class TaxpayerRegister {
public:
    TaxpayerRegister() = default;
    TaxpayerRegister(TaxpayerRegister&&) = default;
    TaxpayerRegister& operator=(TaxpayerRegister&&) = default;
    ~TaxpayerRegister() { Clear(); }  // the records go back to the pool before it goes

    static void ClearRecord(TaxpayerRecord& record);

    // Appends a copy; refuses (false, nothing changes) a record without first name or surname.
    // The record's `id` is taken as it is at this point: set it before adding (SelectById relies
    // on ids not being changed in place afterwards). A register already holding recordLimit()
    // records takes no more: RecordLimitError, nothing changes.
    bool Add(const TaxpayerRecord& record);
    bool Add(TaxpayerRecord&& record);
    // The same for a record that `fill(TaxpayerRecord&)` writes into an empty record made right
    // in the register's storage (no copy of the record is made). The blocks of the longer texts
    // and the amounts written by `fill` are lent by the register's own arena, and all go at once
    // when the register is emptied; `fill` makes no other text that outlives it. A text edited
    // later takes a block from the heap (the arena keeps the old one until the register is
    // emptied); the blocks of a refused record are taken again by the next one.
    template <typename Fill>
    bool AddFilled(Fill&& fill) {
        checkRoom();
        TaxpayerRecordPool& records = pool();
        const ByteArena::Mark mark = records.arena().mark();
        TaxpayerRecordPool::Pointer record = records.make();
        {
            const ByteArena::Lending lending(records.arena());
            fill(*record);
        }
        if (adopt(std::move(record))) return true;
        records.arena().rollBack(mark);
        return false;
    }
    // Empties the register. While records of it are held elsewhere (the steps of the undo
    // history keep removed records and copies), the records go one by one and the blocks of
    // their texts stay, since those held elsewhere may still use them.
    void Clear();
    // What an import that only appends can go back to: the number of records and the current
    // one before it began.
    struct Checkpoint {
        int count = 0;
        int current = -1;
    };
    Checkpoint MakeCheckpoint() const { return {count(), currentIndex()}; }
    // Removes the records appended since the checkpoint and selects the record current then.
    void RollBackTo(const Checkpoint& checkpoint);
    // The most records the register takes (kMaxTaxpayers; tests set a small one).
    int recordLimit() const { return recordLimit_; }
    void setRecordLimit(int limit) { recordLimit_ = limit; }
    bool SelectByIndex(int index);
    bool SelectById(std::int32_t id);
    void DeleteAt(int index);

    using RecordPointer = TaxpayerRecordPool::Pointer;
    // While a sink is set, the records DeleteAt, RollBackTo, RemoveDuplicates and Clear remove are
    // moved into it instead of being destroyed, so that a change can be undone with the very
    // records (their addresses stay theirs); nullptr ends that.
    void setRemovalSink(std::vector<RecordPointer>* sink) { removalSink_ = sink; }
    // Takes the records at `positions` (ascending, valid) out of the register, in one pass.
    std::vector<RecordPointer> TakeAt(const std::vector<int>& positions);
    // Puts records back: each at its position of the register that results (ascending); a
    // position past the end appends. The records must come from this register's pool.
    void PutAt(std::vector<std::pair<int, RecordPointer>> records);
    // Position of each record of the register.
    std::unordered_map<const TaxpayerRecord*, int> PositionsByRecord() const;
    // The addresses of the records in chain order.
    std::vector<const TaxpayerRecord*> RecordOrder() const;
    // Keeps the storage of the records alive for as long as the returned handle lives, also past
    // the register itself; records taken out with TakeAt or a sink need it.
    std::shared_ptr<void> StorageHold();
    // Changes when the register loses records other than into a sink (DeleteAt, Clear…) or gets
    // the records of another register: what remembers records of it by their addresses must
    // forget them then, since another record may come to have the address.
    std::uint64_t lineage() const { return lineage_.value(); }
    // Selection by exchange: at each position the earliest strictly smallest later key changes
    // places with the record there, so equal keys may swap ([B1, B2, A] becomes [A, B2, B1]).
    // Computed in O(n log n); `current` keeps pointing at the same record.
    void Sort(TaxpayerSortKey key);
    void Resort();
    // Each record, in chain order, absorbs the later records with the same surname and first name
    // (exact bytes) that share its non-empty PESEL, birth date or NIP: it takes their address,
    // tax office and identity fields where its own are empty, and they are removed.
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

    // Changes with every change of the records, their order or the sort key: each Add, Clear,
    // RollBackTo, DeleteAt, Sort, Resort and RemoveDuplicates (also one that found the order or
    // the records as they were). Selecting a record is no change.
    std::uint64_t revision() const { return revision_.value(); }
    // Records were changed in place, through at() or current(): the register cannot see that.
    void NoteRecordsChanged() { revision_.advance(); }

private:
    TaxpayerRecordPool& pool();
    bool adopt(TaxpayerRecordPool::Pointer record);
    void checkRoom() const {
        if (count() >= recordLimit_) throw RecordLimitError(recordLimit_);
    }
    void invalidateIdIndex();
    // A record leaves the register: into the sink when there is one, destroyed otherwise.
    void dispose(RecordPointer record);

    // The pool sits on the heap so that its address, which every record's owner holds, survives
    // moving the register; `records_` is declared first so a move assignment gives the old
    // records back to the old pool before that pool goes.
    std::vector<TaxpayerRecordPool::Pointer> records_;
    std::shared_ptr<TaxpayerRecordPool> pool_;
    TaxpayerRecord* current_ = nullptr;
    TaxpayerSortKey sortKey_ = TaxpayerSortKey::SortByNazwisko;
    int recordLimit_ = kMaxTaxpayers;
    ChangeRevision revision_;
    ChangeRevision lineage_;
    std::vector<RecordPointer>* removalSink_ = nullptr;
    // First position of each id, built on demand and dropped when positions change.
    mutable std::unordered_map<std::int32_t, int> firstById_;
    mutable bool idIndexValid_ = false;
};
