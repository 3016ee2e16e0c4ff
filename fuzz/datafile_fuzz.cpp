// The taxpayer data file reader on arbitrary bytes (decoded as the file reader does, UTF-8 files
// included): no crash, no runaway allocation, and a loaded register saves and reloads unchanged.
#include "store/IniDocument.h"
#include "store/LegacyTextEncoding.h"
#include "store/TaxpayerDataFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = ToCp1250FromFileText(std::move(bytes));

    // The file reader and the straightforward reader over a parsed document agree.
    TaxpayerRegister taxpayers;
    TaxpayerRegister reference;
    const bool loaded = LoadFromText(taxpayers, text);
    if (LoadFromDocument(reference, IniDocument::parse(text)) != loaded) std::abort();
    if (TaxpayerFileText(taxpayers) != TaxpayerFileText(reference)) std::abort();
    if (!loaded) return 0;
    taxpayers.RemoveDuplicates();
    taxpayers.Sort(TaxpayerSortKey::SortByImie);

    // A field cut to its width may end in a space, which the reader trims: after one save and
    // load the text is settled, and every later round gives the same bytes.
    const std::string written = TaxpayerFileText(taxpayers);
    TaxpayerRegister reread;
    reread.Sort(TaxpayerSortKey::SortByImie);
    if (!LoadFromText(reread, written)) std::abort();
    if (reread.count() != taxpayers.count()) std::abort();
    const std::string settled = TaxpayerFileText(reread);
    TaxpayerRegister again;
    again.Sort(TaxpayerSortKey::SortByImie);
    if (!LoadFromText(again, settled)) std::abort();
    if (TaxpayerFileText(again) != settled) std::abort();
    return 0;
}
