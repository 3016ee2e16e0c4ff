#pragma once

#include "store/ByteArena.h"

#include <atomic>
#include <cstddef>
#include <new>

// The blocks of the record's compact fields (longer texts, filled amounts). A block comes from
// the heap, or is lent by the arena in force on this thread (ByteArena::Lending: a register
// reading a file); its owner keeps which, and a lent block is only forgotten, never freed, when
// the owner lets it go. Heap blocks are counted: while none exists anywhere, a large register's
// records own nothing on the heap, and emptying it need not visit every record.
namespace out_of_line_bytes {

inline std::atomic<std::size_t>& liveBlocks() {
    static std::atomic<std::size_t> count{0};
    return count;
}

// A block of `bytes` (more than 0) bytes; `lent` says whether an arena lent it.
inline char* allocate(std::size_t bytes, bool& lent) {
    if (ByteArena* arena = ByteArena::lending()) {
        lent = true;
        return arena->allocate(bytes);
    }
    lent = false;
    void* block = ::operator new(bytes);
    liveBlocks().fetch_add(1, std::memory_order_relaxed);
    return static_cast<char*>(block);
}

inline void release(char* block, std::size_t bytes, bool lent) noexcept {
    if (lent) {
        ByteArena::forget(block, bytes);
        return;
    }
    // Unsized: clang offers the sized form only with -fsized-deallocation.
    ::operator delete(block);
    liveBlocks().fetch_sub(1, std::memory_order_relaxed);
}

// Whether no heap block exists (lent blocks are not counted: their arena frees them).
inline bool none() { return liveBlocks().load(std::memory_order_relaxed) == 0; }

}  // namespace out_of_line_bytes
