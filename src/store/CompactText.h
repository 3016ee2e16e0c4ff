#pragma once

#include "store/OutOfLineBytes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

// Code page 1250 text of at most N bytes, like FixedText<N> (a longer text keeps its first N
// bytes), for fields that are mostly empty or short: a taxpayer's names and address parts are
// mostly far shorter than their widths. Up to Inline bytes live inside the (Inline + 1)-byte
// object; a longer text goes to a block of its own, exactly as long as the text (from the heap,
// or lent by the arena in force: see OutOfLineBytes.h). A moved text takes its block along, so a
// text with a lent block must not be moved into an object that outlives the arena.
template <std::size_t N, std::size_t Inline = 11>
class CompactText {
    static_assert(N > 0 && N <= 255);
    // Out of line, the first bytes hold the block's address and the next one whether it is lent.
    static_assert(Inline > sizeof(char*) && Inline < N);

public:
    static constexpr std::size_t capacity = N;
    static constexpr std::size_t kInline = Inline;

    CompactText() = default;
    CompactText(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose
    CompactText(const char* text) { assign(text); }       // NOLINT
    CompactText(const CompactText& other) { assign(other.view()); }
    CompactText(CompactText&& other) noexcept { steal(other); }
    ~CompactText() { release(); }

    CompactText& operator=(const CompactText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    CompactText& operator=(CompactText&& other) noexcept {
        if (this != &other) {
            release();
            steal(other);
        }
        return *this;
    }
    CompactText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    CompactText& operator=(const char* text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        const std::size_t size = std::min(text.size(), N);
        if (size <= kInline && !outOfLine()) {
            if (size) std::memmove(bytes_, text.data(), size);  // the text may be this object's own
        } else if (size <= kInline) {
            // The text may be this object's own: copy before the old block goes.
            char copy[kInline];
            std::copy_n(text.data(), size, copy);
            release();
            std::copy_n(copy, size, bytes_);
        } else {
            bool lent = false;
            char* const block = out_of_line_bytes::allocate(size, lent);
            std::copy_n(text.data(), size, block);
            release();
            std::memcpy(bytes_, &block, sizeof block);
            bytes_[kLentFlag] = lent;
        }
        size_ = static_cast<std::uint8_t>(size);
    }
    void clear() {
        release();
        size_ = 0;
    }

    // Whether no compact text (of any width) lives out of line anywhere: destroying such texts
    // then does nothing, which lets a large register be emptied without visiting every record.
    static bool noneOutOfLine() { return out_of_line_bytes::none(); }
    // Bytes of the block behind the object (0 for an inline text).
    std::size_t heapBytes() const { return outOfLine() ? size_ : 0; }

    std::string_view view() const { return {data(), size_}; }
    std::string str() const { return std::string(view()); }
    operator std::string_view() const { return view(); }  // NOLINT
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    char front() const { return data()[0]; }

    friend bool operator==(const CompactText& a, const CompactText& b) { return a.view() == b.view(); }
    friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }
    // Exact match for literals: without it `text == "abc"` is ambiguous between the two above.
    friend bool operator==(const CompactText& a, const char* b) { return a.view() == std::string_view(b); }

private:
    static constexpr std::size_t kLentFlag = sizeof(char*);

    bool outOfLine() const { return size_ > kInline; }
    char* block() const {
        char* pointer;
        std::memcpy(&pointer, bytes_, sizeof pointer);
        return pointer;
    }
    const char* data() const { return outOfLine() ? block() : bytes_; }
    void release() {
        if (outOfLine()) out_of_line_bytes::release(block(), size_, bytes_[kLentFlag] != 0);
        size_ = 0;
    }
    void steal(CompactText& other) {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        size_ = std::exchange(other.size_, std::uint8_t{0});
    }

    char bytes_[kInline]{};
    std::uint8_t size_ = 0;
};
