#pragma once

#include "store/TaxpayerRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The keys of a record section of the taxpayer data file and the record fields behind them.
namespace taxpayer_file_keys {

enum class Kind { Text, Amount, Number };

struct Key {
    std::string name;  // as written, e.g. "nazwisko", "p11_34", "pit11_33"
    Kind kind;
    std::string_view (*get)(const TaxpayerRecord&);  // Text and Amount
    void (*set)(TaxpayerRecord&, std::string_view);  // Text and Amount; cuts to the field width
    std::uint8_t TaxpayerRecord::*number;            // Number
    int box;                                         // Amount: the box number; p11 or p40 by `pit11`
    bool pit11;
    std::string lowerName;  // `name` in lower case, for matching
};

// Every key in the order the file has them: the sixteen texts from "nazwisko" to "us", the
// PIT-11/8B amounts "p11_34".."p11_78", the PIT-40 amounts "p40_35".."p40_76", the five numbers
// from "pit11_33" to "pit11_PITR", then "pit11_od", "pit11_do" and "email".
const std::vector<Key>& all();

// The key of a name, matched without regard to letter case; nullptr for a name that is not one.
const Key* find(std::string_view name);

// Where the amount keys lie in all().
inline constexpr std::size_t kFirstAmountKey = 16;
inline constexpr std::size_t kAfterAmountKeys =
    kFirstAmountKey + (TaxpayerRecord::kLastP11Box - TaxpayerRecord::kFirstP11Box + 1) +
    (TaxpayerRecord::kLastP40Box - TaxpayerRecord::kFirstP40Box + 1);

// a == b for the short names of keys, in a few loads instead of a call: texts of 4 to 16 bytes
// are compared as two words from either end, which may overlap.
inline bool SameKeyName(std::string_view a, std::string_view b) {
    const std::size_t size = a.size();
    if (size != b.size()) return false;
    const auto same = [&](auto word, std::size_t at) {
        decltype(word) x;
        decltype(word) y;
        std::memcpy(&x, a.data() + at, sizeof x);
        std::memcpy(&y, b.data() + at, sizeof y);
        return x == y;
    };
    if (size >= 8 && size <= 16) return same(std::uint64_t{}, 0) && same(std::uint64_t{}, size - 8);
    if (size >= 4 && size < 8) return same(std::uint32_t{}, 0) && same(std::uint32_t{}, size - 4);
    return a == b;
}

// The same for the names of one section fed in file order: a name is first compared, exactly,
// with the key that follows the last one found (amounts aside, which are recognised by their
// shape), which in a file written by the program is right almost every time.
class KeyMatcher {
public:
    KeyMatcher() : keys_(all()) {}
    const Key* find(std::string_view name) {
        if (expected_ < keys_.size() && SameKeyName(keys_[expected_].name, name)) return &keys_[takeExpected()];
        return findOther(name);
    }

private:
    const Key* findOther(std::string_view name);
    // The expected key's index; the key after it (amounts passed over) is expected next.
    std::size_t takeExpected() {
        const std::size_t found = expected_;
        expected_ = found + 1 == kFirstAmountKey ? kAfterAmountKeys : found + 1;
        return found;
    }

    const std::vector<Key>& keys_;
    std::size_t expected_ = 0;  // index in keys_ of the next key that is not an amount
};

}  // namespace taxpayer_file_keys
