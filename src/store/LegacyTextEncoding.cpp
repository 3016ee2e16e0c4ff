#include "store/LegacyTextEncoding.h"

#include "store/Cp1250.h"

#include <QString>

#include <cstdint>
#include <cstring>

bool IsValidUtf8(std::string_view bytes, bool* multiByte) {
    bool sawMultiByte = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Plain ASCII, most of any file, eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if ((chunk & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;       // overlong
            if (lead == 0xED) high = 0x9F;      // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;       // overlong
            if (lead == 0xF4) high = 0x8F;      // beyond U+10FFFF
        } else {
            return false;
        }
        if (end - p < length) return false;
        if (p[1] < low || p[1] > high) return false;
        for (int i = 2; i < length; ++i)
            if (p[i] < 0x80 || p[i] > 0xBF) return false;
        p += length;
        sawMultiByte = true;
    }
    if (multiByte) *multiByte = sawMultiByte;
    return true;
}

std::string ToCp1250FromFileText(std::string bytes) {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool hasBom = std::string_view(bytes).substr(0, kBom.size()) == kBom;
    std::string_view text(bytes);
    if (hasBom) text.remove_prefix(kBom.size());
    bool multiByte = false;
    if (!IsValidUtf8(text, &multiByte)) {
        // With a byte order mark but broken further on: decode leniently (broken sequences
        // become U+FFFD and then "?"), the mark says what the file was meant to be.
        if (!hasBom) return bytes;
    } else if (!hasBom && !multiByte) {
        return bytes;  // plain ASCII reads the same either way
    }
    const QString unicode = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return cp1250::fromUnicode(unicode, '?');
}
