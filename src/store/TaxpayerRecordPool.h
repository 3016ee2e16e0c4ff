#pragma once

#include "store/ByteArena.h"
#include "store/TaxpayerRecord.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <new>
#include <vector>

// Storage of a register's records: blocks of many records instead of one allocation each, so
// reading a large file costs a few hundred allocations, not one per taxpayer. A record keeps its
// address until it is released (the register's `current` relies on that); a released place is
// reused by the next record. Beside the records the pool keeps the arena that lends the blocks of
// their texts and amounts while a file is read (see `arena`).
class TaxpayerRecordPool {
public:
    struct Release {
        TaxpayerRecordPool* pool = nullptr;
        void operator()(TaxpayerRecord* record) const noexcept { pool->release(record); }
    };
    using Pointer = std::unique_ptr<TaxpayerRecord, Release>;

    TaxpayerRecordPool() = default;
    TaxpayerRecordPool(const TaxpayerRecordPool&) = delete;
    TaxpayerRecordPool& operator=(const TaxpayerRecordPool&) = delete;
    ~TaxpayerRecordPool();

    // A record made from the arguments (none: an empty record), owned by the returned pointer.
    template <typename... Args>
    Pointer make(Args&&... args) {
        void* place = takePlace();
        try {
            return Pointer(new (place) TaxpayerRecord(std::forward<Args>(args)...), Release{this});
        } catch (...) {
            free_ = new (place) FreePlace{free_};
            throw;
        }
    }

    // Destroys the records (all records of the pool) and gives the memory of all blocks back,
    // the arena's too.
    void releaseAll(std::vector<Pointer>& records);

    // The arena for the text and amount blocks of records made in bulk: it lends them while a
    // ByteArena::Lending of it is alive. A block given up later (a replaced text, a removed
    // record) stays until releaseAll, so its memory is at most what was made in bulk; later
    // edits take their blocks from the heap.
    ByteArena& arena() { return arena_; }

private:
    // The first block is small, for the registers of a few records; the others are bulk blocks.
    static constexpr std::size_t kRecordsInFirstBlock = 32;
    struct BlockDelete {
        bool bulk = false;
        void operator()(void* block) const noexcept;
    };

    void* takePlace();
    void release(TaxpayerRecord* record) noexcept;

    std::vector<std::unique_ptr<void, BlockDelete>> blocks_;
    std::size_t usedInLastBlock_ = 0;
    std::size_t lastBlockCapacity_ = 0;
    // Released places, linked through the places themselves.
    struct FreePlace {
        FreePlace* next;
    };
    FreePlace* free_ = nullptr;
    ByteArena arena_;
};
