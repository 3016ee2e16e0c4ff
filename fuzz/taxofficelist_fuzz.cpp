// Reading a tax office list file ("us.lst"): any bytes must give a list, never a crash.
#include "edit/TaxOfficeList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bool binary = false;
    const QStringList lines = TaxOfficeList::parse(bytes, &binary);
    TaxOfficeList list;
    list.replace(lines);
    if (!lines.isEmpty())
        list.addIfNew(lines.front() + QStringLiteral("x"));
    return 0;
}
