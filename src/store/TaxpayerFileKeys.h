#pragma once

#include "store/TaxpayerRecord.h"

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
// from "pit11_33" to "pit11_PITR", then "pit11_od" and "pit11_do".
const std::vector<Key>& all();

// The key of a name, matched without regard to letter case; nullptr for a name that is not one.
const Key* find(std::string_view name);

}  // namespace taxpayer_file_keys
