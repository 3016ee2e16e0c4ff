#include "store/ByteArena.h"

#include "store/BulkMemory.h"

#include <algorithm>
#include <new>

#if defined(FISKON_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>

void ByteArena::poison(const char* block, std::size_t bytes) noexcept { ASAN_POISON_MEMORY_REGION(block, bytes); }
void ByteArena::unpoison(const char* block, std::size_t bytes) noexcept { ASAN_UNPOISON_MEMORY_REGION(block, bytes); }
#endif

ByteArena::~ByteArena() { releaseAll(); }

// A chunk goes back to the heap as the heap gave it: with all its bytes addressable.
void ByteArena::ChunkDelete::operator()(char* chunk) const noexcept {
    unpoison(chunk, bytes);
    if (bytes >= bulk_memory::kBlockBytes) bulk_memory::release(chunk);
    else ::operator delete(chunk);
}

// Chunks double from a few kilobytes, so a register of a few taxpayers takes little, up to the
// bulk blocks, which a large register takes one after the other.
void ByteArena::addChunk(std::size_t atLeast) {
    std::size_t size = chunks_.empty() ? kFirstChunkBytes : std::min(held_, bulk_memory::kBlockBytes);
    size = std::max(size, atLeast);
    const bool bulk = size >= bulk_memory::kBlockBytes;
    if (bulk) size = (size + bulk_memory::kBlockBytes - 1) / bulk_memory::kBlockBytes * bulk_memory::kBlockBytes;
    std::unique_ptr<char, ChunkDelete> chunk(
        static_cast<char*>(bulk ? bulk_memory::allocate(size) : ::operator new(size)), ChunkDelete{size});
    chunks_.reserve(chunks_.size() + 1);
    poison(chunk.get(), size);
    next_ = chunk.get();
    end_ = next_ + size;
    held_ += size;
    chunks_.push_back(std::move(chunk));
}

void ByteArena::releaseAll() noexcept {
    chunks_.clear();
    next_ = end_ = nullptr;
    held_ = 0;
}
