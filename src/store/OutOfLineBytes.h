#pragma once

#include <atomic>
#include <cstddef>
#include <new>

// The heap blocks of the record's compact fields (longer texts, filled amounts). They are
// counted: while none exists anywhere, a large register's records own nothing, and emptying it
// need not visit every record.
namespace out_of_line_bytes {

inline std::atomic<std::size_t>& liveBlocks() {
    static std::atomic<std::size_t> count{0};
    return count;
}

inline void* allocate(std::size_t bytes) {
    void* block = ::operator new(bytes);
    liveBlocks().fetch_add(1, std::memory_order_relaxed);
    return block;
}

inline void release(void* block, std::size_t /*bytes*/) noexcept {
    // Unsized: clang offers the sized form only with -fsized-deallocation.
    ::operator delete(block);
    liveBlocks().fetch_sub(1, std::memory_order_relaxed);
}

inline bool none() { return liveBlocks().load(std::memory_order_relaxed) == 0; }

}  // namespace out_of_line_bytes
