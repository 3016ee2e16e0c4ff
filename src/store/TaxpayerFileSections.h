#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Where the sections of a taxpayer data file lie, found without reading their keys. The INI line
// rules hold (a header is a line whose first and last non-blank characters are "[" and "]";
// names are matched without case; of a name met twice the last occurrence counts).
struct TaxpayerFileSections {
    struct Record {
        std::int64_t number;    // n of a section named "s" + n
        std::string_view body;  // from the end of the header line to the next header
    };
    std::vector<Record> records;                 // ascending by number, each number once
    std::optional<std::string_view> parameters;  // body of "Parametry", when there is one
    // The lowest number of the record sections left out because `records` was full (0: none).
    std::int64_t firstLeftOut = 0;
};

// Keeps at most `maxRecords` record sections, those of the lowest numbers: the list of a hostile
// file of millions of tiny sections stays bounded (the sections beyond are reported in
// `firstLeftOut`).
TaxpayerFileSections FindTaxpayerFileSections(std::string_view text, std::size_t maxRecords);

// The number n of a section named "s" + n (any letter case, n written without leading zeros),
// or 0 for any other name.
std::int64_t RecordSectionNumber(std::string_view name);

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lowerAscii);
