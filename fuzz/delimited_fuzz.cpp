// The delimited text importer on any bytes: the first byte is the separator, the rest the file.
#include "import/DelimitedImport.h"

#include "store/FileErrors.h"
#include "store/OverlongAmount.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char separator = static_cast<char>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    TaxpayerRegister taxpayers;
    try {
        ImportDelimitedText(taxpayers, text, separator);
    } catch (const ConversionError&) {
        // a flag value that is not a one-byte integer: reported to the user
    } catch (const OverlongAmountError&) {
        // an amount too long for its box: reported, and nothing of the file is kept
        if (taxpayers.count() != 0) __builtin_trap();
    }
    for (int i = 0; i < taxpayers.count(); ++i) {
        const TaxpayerRecord& record = taxpayers.at(i);
        if (record.nazwisko.empty() || record.imie1.empty()) __builtin_trap();
    }
    return 0;
}
