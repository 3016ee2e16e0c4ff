#include "store/TaxpayerRecordPool.h"

#include "store/BulkMemory.h"

#include <algorithm>
#include <new>
#include <type_traits>

#if defined(FISKON_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#define FISKON_POISON(place, bytes) ASAN_POISON_MEMORY_REGION(place, bytes)
#define FISKON_UNPOISON(place, bytes) ASAN_UNPOISON_MEMORY_REGION(place, bytes)
#else
#define FISKON_POISON(place, bytes) static_cast<void>(0)
#define FISKON_UNPOISON(place, bytes) static_cast<void>(0)
#endif

namespace {
// A place holds either a record or, once released, the free-list link: its size and alignment
// must suit both.
constexpr std::size_t kPlaceAlign = std::max(alignof(TaxpayerRecord), alignof(void*));
constexpr std::size_t kPlaceBytes = (sizeof(TaxpayerRecord) + kPlaceAlign - 1) / kPlaceAlign * kPlaceAlign;
constexpr std::align_val_t kAlignment{kPlaceAlign};
}

// A block goes back to the heap with all its bytes addressable, as the heap gave it.
void TaxpayerRecordPool::BlockDelete::operator()(void* block) const noexcept {
    FISKON_UNPOISON(block, bulk ? bulk_memory::kBlockBytes : kRecordsInFirstBlock * kPlaceBytes);
    if (bulk) bulk_memory::release(block);
    else ::operator delete(block, kAlignment);
}

TaxpayerRecordPool::~TaxpayerRecordPool() = default;

void* TaxpayerRecordPool::takePlace() {
    if (free_) {
        FISKON_UNPOISON(free_, kPlaceBytes);
        void* place = free_;
        free_ = free_->next;
        return place;
    }
    if (usedInLastBlock_ == lastBlockCapacity_) {
        const bool bulk = !blocks_.empty();
        const std::size_t capacity =
            bulk ? bulk_memory::kBlockBytes / kPlaceBytes : kRecordsInFirstBlock;
        std::unique_ptr<void, BlockDelete> block(
            bulk ? bulk_memory::allocate(bulk_memory::kBlockBytes)
                 : ::operator new(capacity * kPlaceBytes, kAlignment),
            BlockDelete{bulk});
        blocks_.push_back(std::move(block));
        usedInLastBlock_ = 0;
        lastBlockCapacity_ = capacity;
    }
    return static_cast<std::byte*>(blocks_.back().get()) + kPlaceBytes * usedInLastBlock_++;
}

// Under AddressSanitizer a released place is poisoned until it is reused, so a pointer to a
// removed record that is still read is reported as a heap use after free would be.
void TaxpayerRecordPool::release(TaxpayerRecord* record) noexcept {
    record->~TaxpayerRecord();
    free_ = new (static_cast<void*>(record)) FreePlace{free_};
    FISKON_POISON(free_, kPlaceBytes);
}

void TaxpayerRecordPool::releaseAll(std::vector<Pointer>& records) {
    // While no record anywhere has a text or amount block on the heap, a record owns nothing
    // the arena does not free, so its destructor can be skipped, and the records need not be
    // read at all. Otherwise each is destroyed where it is, without going onto the list of free
    // places, which is about to go.
    static_assert(std::is_trivially_destructible_v<FixedText<1>>);
    const bool ownNothing = out_of_line_bytes::none();
    for (Pointer& record : records) {
        TaxpayerRecord* const place = record.release();
        if (!ownNothing) place->~TaxpayerRecord();
    }
    records.clear();
    free_ = nullptr;
    blocks_.clear();
    arena_.releaseAll();
    usedInLastBlock_ = 0;
    lastBlockCapacity_ = 0;
}
