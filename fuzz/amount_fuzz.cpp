// Amount texts come from data files and imports as well as from typing: reading, cleaning up and
// recomputing a page must never crash, and every text the program writes must read back.
#include "edit/AmountCalculations.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void checkReadsBack(const std::string& written) {
    if (written.size() > 20) std::abort();  // must fit a record's amount field
    (void)ReadAmount(written);               // throws (and so aborts the run) if unreadable
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const NormalizedAmount normalized = NormalizeAmount(text);
    if (!normalized.text.empty()) checkReadsBack(normalized.text);

    try {
        checkReadsBack(ComputeTax(text));
    } catch (const ConversionError&) {
    }

    // The same text in every box of both pages.
    TaxpayerRecord record;
    for (std::size_t k = 0; k < record.p11.size(); ++k) record.p11[k] = text;
    for (std::size_t k = 0; k < record.p40.size(); ++k) record.p40[k] = text;
    try {
        RecomputeRecord(record);
    } catch (const ConversionError&) {
    }
    return 0;
}
