#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// Blocks of bytes handed out from a few large chunks, all given back at once. A register fills
// the text and amount blocks of the records it reads from a file here: reading and later
// emptying a register of 100,000 taxpayers then costs a few dozen allocations instead of
// hundreds of thousands. A block cannot be given back on its own; one its owner no longer needs
// (a text replaced by an edit, a deleted record) stays until the arena is emptied, so an arena
// never holds more than what was read into it.
//
// Under AddressSanitizer the bytes of the arena that are not in use (a forgotten block, the rest
// of a chunk) are poisoned, so reading a text through a pointer that outlived it is reported as
// it would be for a heap block.
class ByteArena {
public:
    ByteArena() = default;
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;
    ~ByteArena();

    // A block of `bytes` bytes (more than 0), valid until releaseAll. Throws std::bad_alloc.
    char* allocate(std::size_t bytes) {
        const std::size_t size = (bytes + kAlign - 1) / kAlign * kAlign;
        if (size > static_cast<std::size_t>(end_ - next_)) addChunk(size);
        char* const block = next_;
        next_ += size;
        unpoison(block, bytes);
        return block;
    }
    // Marks a block as no longer used; its memory stays taken until releaseAll.
    static void forget(char* block, std::size_t bytes) noexcept { poison(block, bytes); }
    // Where the next block would be taken. rollBack gives the blocks taken since back (those
    // of a record that was refused), as long as they lie in the same chunk; the blocks must be
    // forgotten by then.
    struct Mark {
        std::size_t chunks = 0;
        char* next = nullptr;
    };
    Mark mark() const { return {chunks_.size(), next_}; }
    void rollBack(const Mark& mark) noexcept {
        if (mark.chunks == chunks_.size()) next_ = mark.next;
    }
    // Gives every chunk back: every block handed out is gone.
    void releaseAll() noexcept;

    // The arena the compact fields of records take their blocks from on this thread while a
    // Lending is alive (none otherwise: they take them from the heap).
    static ByteArena* lending() { return lending_; }
    class Lending {
    public:
        explicit Lending(ByteArena& arena) : previous_(std::exchange(lending_, &arena)) {}
        ~Lending() { lending_ = previous_; }
        Lending(const Lending&) = delete;
        Lending& operator=(const Lending&) = delete;

    private:
        ByteArena* previous_;
    };

private:
    // Blocks start on 8-byte boundaries: the granule of the sanitizer's poisoning, so a block
    // is poisoned and unpoisoned exactly.
    static constexpr std::size_t kAlign = 8;
    static constexpr std::size_t kFirstChunkBytes = 4096;

    struct ChunkDelete {
        std::size_t bytes = 0;
        void operator()(char* chunk) const noexcept;
    };

    void addChunk(std::size_t atLeast);
    static void poison(const char* block, std::size_t bytes) noexcept;
    static void unpoison(const char* block, std::size_t bytes) noexcept;

    static inline thread_local ByteArena* lending_ = nullptr;

    std::vector<std::unique_ptr<char, ChunkDelete>> chunks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t held_ = 0;
};

#if defined(__SANITIZE_ADDRESS__)
#define FISKON_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FISKON_ADDRESS_SANITIZER 1
#endif
#endif

#if !defined(FISKON_ADDRESS_SANITIZER)
inline void ByteArena::poison(const char*, std::size_t) noexcept {}
inline void ByteArena::unpoison(const char*, std::size_t) noexcept {}
#endif
