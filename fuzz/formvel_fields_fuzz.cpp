// Field lists and tax scales reach the forms program from another process: taking any text must
// never crash, and a form's own list sent back without options must leave it unchanged.
#include "formvel/FormDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const char* const symbols[] = {"PIT118B_C", "PIT118B_14", "PIT40_13", "PIT40_14"};
    auto document = FormDocument::create(symbols[data[0] % 4]);
    const int options = data[1] & 7;
    const QByteArray text(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));

    if (data[0] & 4) (void)document->setTaxScale(text.left(text.size() / 3));
    if (!document->setFields(text, options)) return 0;
    (void)document->errors();
    const QByteArray converted = document->fields(true);
    const QByteArray shown = document->fields(false);
    if (!document->setFields(converted, 0)) std::abort();  // its own list is always a list
    if (!document->setFields(shown, 0)) std::abort();
    if (document->changedSinceReceived()) std::abort();
    if (document->fields(false) != document->fields(false)) std::abort();
    return 0;
}
