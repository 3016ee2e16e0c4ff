#include "store/TaxpayerRecordPool.h"

#include "store/BulkMemory.h"

#include <algorithm>
#include <new>
#include <type_traits>

namespace {
// A place holds either a record or, once released, the free-list link: its size and alignment
// must suit both.
constexpr std::size_t kPlaceAlign = std::max(alignof(TaxpayerRecord), alignof(void*));
constexpr std::size_t kPlaceBytes = (sizeof(TaxpayerRecord) + kPlaceAlign - 1) / kPlaceAlign * kPlaceAlign;
constexpr std::align_val_t kAlignment{kPlaceAlign};
}

void TaxpayerRecordPool::BlockDelete::operator()(void* block) const noexcept {
    if (bulk) bulk_memory::release(block);
    else ::operator delete(block, kAlignment);
}

TaxpayerRecordPool::~TaxpayerRecordPool() = default;

void* TaxpayerRecordPool::takePlace() {
    if (free_) {
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

void TaxpayerRecordPool::release(TaxpayerRecord* record) noexcept {
    record->~TaxpayerRecord();
    free_ = new (static_cast<void*>(record)) FreePlace{free_};
}

void TaxpayerRecordPool::releaseAll(std::vector<Pointer>& records) {
    // While no record anywhere has a text or amount block, a record owns nothing, so its
    // destructor can be skipped, and the records need not be read at all.
    static_assert(std::is_trivially_destructible_v<FixedText<1>>);
    if (out_of_line_bytes::none())
        for (Pointer& record : records) static_cast<void>(record.release());
    records.clear();
    free_ = nullptr;
    blocks_.clear();
    usedInLastBlock_ = 0;
    lastBlockCapacity_ = 0;
}
