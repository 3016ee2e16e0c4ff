#pragma once

#include "store/TaxpayerRecord.h"

#include <cstddef>
#include <string>

// Appends the sections of the taxpayer data file to a text: "[s<n>]", the record's keys in the
// file's order (empty amounts left out), an empty line; then "[Parametry]" with the count. CRLF
// line ends; a line break inside a value is written as a space, so no value can break the file.
// Each section is measured first and written into its place in one step.
class TaxpayerTextWriter {
public:
    explicit TaxpayerTextWriter(std::string& text) : text_(text) {}

    void record(const TaxpayerRecord& record, std::size_t number);
    void parameters(std::size_t recordCount);

    // About how many bytes the section of a record takes, for reserving.
    static std::size_t estimatedSize(const TaxpayerRecord& record);

private:
    std::string& text_;
};
