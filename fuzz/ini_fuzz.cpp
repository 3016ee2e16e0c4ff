// IniDocument: parsing arbitrary bytes, looking names up, and writing the document back must never
// crash, and what is written must read back to the same document.
#include "store/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniDocument doc = IniDocument::parse(text);

    for (const std::string& section : doc.sectionNames()) {
        if (!doc.hasSection(section)) std::abort();
        doc.forEachKey(section, [&](std::string_view key, std::string_view) {
            if (!doc.value(section, key)) std::abort();
            (void)doc.readInteger(section, key, 0);
        });
    }
    (void)doc.readString("Parametry", "LiczbaRekordow", "0");
    (void)ParseIniInteger(text.substr(0, 16));

    const std::string written = doc.serialize();
    const IniDocument reread = IniDocument::parse(written);
    if (reread.serialize() != written) std::abort();
    for (const std::string& section : doc.sectionNames()) {
        doc.forEachKey(section, [&](std::string_view key, std::string_view) {
            if (doc.value(section, key) != reread.value(section, key)) std::abort();
        });
    }

    // Writing keeps lookups consistent.
    doc.writeString("Platnik", "rodzaj", "2");
    if (doc.readInteger("PLATNIK", "Rodzaj", 0) != 2) std::abort();
    doc.eraseSection("platnik");
    if (doc.hasSection("Platnik")) std::abort();
    return 0;
}
