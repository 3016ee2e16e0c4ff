#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Code page 1250 text with a maximum length in bytes. Assigning a longer text keeps its first N
// bytes, so a field can never outgrow the width the data files and forms give it. The bytes live
// inside the object: copying a record copies its text without allocating.
template <std::size_t N>
class FixedText {
    static_assert(N > 0 && N <= 65535);

public:
    static constexpr std::size_t capacity = N;

    FixedText() = default;
    FixedText(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose
    FixedText(const char* text) { assign(text); }       // NOLINT
    FixedText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    FixedText& operator=(const char* text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        size_ = static_cast<std::uint16_t>(std::min(text.size(), N));
        std::copy_n(text.data(), size_, bytes_.data());
    }
    void clear() { size_ = 0; }

    std::string_view view() const { return {bytes_.data(), size_}; }
    std::string str() const { return std::string(view()); }
    operator std::string_view() const { return view(); }  // NOLINT
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    char front() const { return bytes_[0]; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
    // Exact match for literals: without it `text == "abc"` is ambiguous between the two above.
    friend bool operator==(const FixedText& a, const char* b) { return a.view() == std::string_view(b); }

private:
    std::array<char, N> bytes_{};
    std::uint16_t size_ = 0;
};
