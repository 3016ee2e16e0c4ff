#pragma once

#include "store/OutOfLineBytes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// The amount texts of one form's boxes (Count of them, each at most 20 bytes of code page 1250).
// Most boxes of most taxpayers are empty, so only the filled ones are kept: packed one after the
// other, in box order, as [box][length][bytes], in one block that exists only while some box
// holds text (from the heap, or lent by the arena in force: see OutOfLineBytes.h; a moved set
// takes its block along). An empty set costs the 16 bytes of the object and nothing more.
template <std::size_t Count>
class SparseAmounts {
    static_assert(Count > 0 && Count < 256);

public:
    static constexpr std::size_t kWidth = 20;  // bytes of one amount

    // Read-only text of one box.
    class Text {
    public:
        explicit Text(std::string_view text = {}) : text_(text) {}
        std::string_view view() const { return text_; }
        std::string str() const { return std::string(text_); }
        operator std::string_view() const { return text_; }  // NOLINT
        bool empty() const { return text_.empty(); }
        std::size_t size() const { return text_.size(); }
        char front() const { return text_.front(); }
        friend bool operator==(const Text& a, const Text& b) { return a.text_ == b.text_; }
        friend bool operator==(const Text& a, std::string_view b) { return a.text_ == b; }
        friend bool operator==(const Text& a, const char* b) { return a.text_ == std::string_view(b); }

    private:
        std::string_view text_;
    };

    // One box of a set that may be changed: reads like Text, takes a text by assignment (cut to
    // 20 bytes; empty text empties the box).
    class Box {
    public:
        Box(SparseAmounts& owner, std::size_t index) : owner_(&owner), index_(index) {}
        Box& operator=(std::string_view text) {
            owner_->set(index_, text);
            return *this;
        }
        Box& operator=(const char* text) { return *this = std::string_view(text); }
        Box& operator=(const std::string& text) { return *this = std::string_view(text); }
        Box& operator=(const Box& other) { return *this = other.view(); }
        void assign(std::string_view text) { owner_->set(index_, text); }
        void clear() { owner_->set(index_, {}); }
        std::string_view view() const { return owner_->get(index_); }
        std::string str() const { return std::string(view()); }
        operator std::string_view() const { return view(); }  // NOLINT
        bool empty() const { return view().empty(); }
        std::size_t size() const { return view().size(); }
        char front() const { return view().front(); }
        friend bool operator==(const Box& a, std::string_view b) { return a.view() == b; }
        friend bool operator==(const Box& a, const char* b) { return a.view() == std::string_view(b); }
        friend bool operator==(const Box& a, const Text& b) { return a.view() == b.view(); }
        friend bool operator==(const Box& a, const Box& b) { return a.view() == b.view(); }

    private:
        SparseAmounts* owner_;
        std::size_t index_;
    };

    SparseAmounts() = default;
    SparseAmounts(const SparseAmounts& other) { copyFrom(other); }
    SparseAmounts(SparseAmounts&& other) noexcept { steal(other); }
    ~SparseAmounts() { release(); }
    SparseAmounts& operator=(const SparseAmounts& other) {
        if (this != &other) {
            release();
            copyFrom(other);
        }
        return *this;
    }
    SparseAmounts& operator=(SparseAmounts&& other) noexcept {
        if (this != &other) {
            release();
            steal(other);
        }
        return *this;
    }

    static constexpr std::size_t size() { return Count; }
    Text operator[](std::size_t index) const { return Text(get(index)); }
    Box operator[](std::size_t index) { return Box(*this, index); }
    Text at(std::size_t index) const { return Text(get(checked(index))); }
    Box at(std::size_t index) { return Box(*this, checked(index)); }

    // Whether no box holds text.
    bool none() const { return used_ == 0; }
    // Bytes of the block behind the object (0 while every box is empty).
    std::size_t heapBytes() const { return capacity_; }

    // Calls visit(index, text) for each filled box, in box order.
    template <typename Visit>
    void forEachFilled(Visit&& visit) const {
        for (std::size_t at = 0; at < used_;) {
            const auto length = static_cast<unsigned char>(data_[at + 1]);
            visit(static_cast<std::size_t>(static_cast<unsigned char>(data_[at])), std::string_view(data_ + at + 2, length));
            at += 2 + length;
        }
    }

    std::string_view get(std::size_t index) const {
        for (std::size_t at = 0; at < used_;) {
            const auto box = static_cast<unsigned char>(data_[at]);
            const auto length = static_cast<unsigned char>(data_[at + 1]);
            if (box == index) return {data_ + at + 2, length};
            if (box > index) break;
            at += 2 + length;
        }
        return {};
    }

    void set(std::size_t index, std::string_view text) {
        text = text.substr(0, std::min(text.size(), kWidth));
        // Where the box is (or would go) and how long its entry is now.
        std::size_t at = 0;
        std::size_t oldEntry = 0;
        while (at < used_) {
            const auto box = static_cast<unsigned char>(data_[at]);
            const std::size_t entry = 2 + static_cast<unsigned char>(data_[at + 1]);
            if (box == index) {
                oldEntry = entry;
                break;
            }
            if (box > index) break;
            at += entry;
        }
        const std::size_t newEntry = text.empty() ? 0 : 2 + text.size();
        if (oldEntry == 0 && newEntry == 0) return;
        // The text may be this set's own: keep a copy before bytes move.
        char copy[kWidth];
        std::copy_n(text.data(), text.size(), copy);
        const std::size_t newUsed = used_ - oldEntry + newEntry;
        if (newUsed > capacity_) grow(newUsed);
        std::memmove(data_ + at + newEntry, data_ + at + oldEntry, used_ - at - oldEntry);
        if (newEntry) {
            data_[at] = static_cast<char>(index);
            data_[at + 1] = static_cast<char>(text.size());
            std::copy_n(copy, text.size(), data_ + at + 2);
        }
        used_ = static_cast<std::uint16_t>(newUsed);
        if (used_ == 0) release();
    }

    // Replaces the whole set by the boxes that `forEach(visit)` gives as visit(box, text), in
    // strictly ascending box order (empty texts are passed over), in one block of exactly the
    // size needed: the way to fill a set from a file, where each box would otherwise grow the
    // block anew. `forEach` is called twice and must give the same boxes both times.
    template <typename ForEach>
    void assignAscending(ForEach&& forEach) {
        std::size_t total = 0;
        forEach([&](std::size_t, std::string_view text) {
            if (!text.empty()) total += 2 + std::min(text.size(), kWidth);
        });
        bool lent = false;
        char* block = total ? out_of_line_bytes::allocate(total, lent) : nullptr;
        std::size_t at = 0;
        forEach([&](std::size_t box, std::string_view text) {
            text = text.substr(0, std::min(text.size(), kWidth));
            if (text.empty()) return;
            block[at] = static_cast<char>(box);
            block[at + 1] = static_cast<char>(text.size());
            std::copy_n(text.data(), text.size(), block + at + 2);
            at += 2 + text.size();
        });
        release();
        data_ = block;
        used_ = static_cast<std::uint16_t>(total);
        capacity_ = static_cast<std::uint16_t>(total);
        lent_ = lent;
    }

    friend bool operator==(const SparseAmounts& a, const SparseAmounts& b) {
        return a.used_ == b.used_ && (a.used_ == 0 || std::memcmp(a.data_, b.data_, a.used_) == 0);
    }

private:
    // Every box filled to the full width: the most a set can ever hold.
    static constexpr std::size_t kMaxBytes = Count * (2 + kWidth);
    static_assert(kMaxBytes <= 0xFFFF);

    static std::size_t checked(std::size_t index) {
        if (index >= Count) throw std::out_of_range("amount box");
        return index;
    }
    void grow(std::size_t needed) {
        std::size_t capacity = capacity_ ? capacity_ : 32;
        while (capacity < needed) capacity *= 2;
        capacity = std::min(capacity, kMaxBytes);
        bool lent = false;
        char* block = out_of_line_bytes::allocate(capacity, lent);
        if (used_) std::memcpy(block, data_, used_);
        if (data_) out_of_line_bytes::release(data_, capacity_, lent_);
        data_ = block;
        capacity_ = static_cast<std::uint16_t>(capacity);
        lent_ = lent;
    }
    void copyFrom(const SparseAmounts& other) {
        if (other.used_ == 0) return;
        data_ = out_of_line_bytes::allocate(other.used_, lent_);
        std::memcpy(data_, other.data_, other.used_);
        used_ = other.used_;
        capacity_ = other.used_;
    }
    void steal(SparseAmounts& other) {
        data_ = std::exchange(other.data_, nullptr);
        used_ = std::exchange(other.used_, std::uint16_t{0});
        capacity_ = std::exchange(other.capacity_, std::uint16_t{0});
        lent_ = std::exchange(other.lent_, false);
    }
    void release() {
        if (data_) out_of_line_bytes::release(data_, capacity_, lent_);
        data_ = nullptr;
        used_ = 0;
        capacity_ = 0;
        lent_ = false;
    }

    char* data_ = nullptr;
    std::uint16_t used_ = 0;
    std::uint16_t capacity_ = 0;
    bool lent_ = false;  // the block is lent by an arena
};
