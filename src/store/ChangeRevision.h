#pragma once

#include <atomic>
#include <cstdint>

// A number that marks one state of some data: every change gives the data a number no state of
// any data in this process had before, so two equal numbers mean the data did not change in
// between (also when the data were replaced by other data moved in, which bring their own number,
// and the data moved away from take a new one).
class ChangeRevision {
public:
    ChangeRevision() : value_(next()) {}
    ChangeRevision(ChangeRevision&& other) noexcept : value_(other.value_) { other.advance(); }
    ChangeRevision& operator=(ChangeRevision&& other) noexcept {
        if (this != &other) {
            value_ = other.value_;
            other.advance();
        }
        return *this;
    }
    ChangeRevision(const ChangeRevision&) = delete;
    ChangeRevision& operator=(const ChangeRevision&) = delete;

    void advance() { value_ = next(); }
    std::uint64_t value() const { return value_; }

private:
    static std::uint64_t next() {
        static std::atomic<std::uint64_t> last{0};
        return last.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    std::uint64_t value_;
};
