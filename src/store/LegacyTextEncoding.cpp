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

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

constexpr std::u16string_view kPolishLetters = u"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";

// The bytes of the Polish letters in code page 1250.
bool IsPolishLetterByte(unsigned char byte) {
    static constexpr std::string_view kBytes = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    return kBytes.find(static_cast<char>(byte)) != std::string_view::npos;
}

// One multi-byte sequence of valid UTF-8 (checked before): its code point.
char32_t DecodeSequence(const unsigned char* p, int length) {
    char32_t code = p[0] & (0x7F >> length);
    for (int i = 1; i < length; ++i) code = (code << 6) | (p[i] & 0x3F);
    return code;
}

int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

// Every sequence of valid UTF-8 decodes to a character of code page 1250, and Polish letters of
// code page 1250 occur only inside the UTF-8 form of a Polish letter.
bool Utf8FitsCodePage1250(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8) {  // plain ASCII, eight bytes at a time
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if ((chunk & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const int length = SequenceLength(*p);
        if (length > 1) {
            if (length == 4) return false;  // beyond the code page's 16-bit characters
            const auto code = static_cast<char16_t>(DecodeSequence(p, length));
            if (!cp1250::canEncode(QChar(code))) return false;
            const bool polishLetter = kPolishLetters.find(code) != std::u16string_view::npos;
            for (int i = 0; i < length && !polishLetter; ++i)
                if (IsPolishLetterByte(p[i])) return false;
        }
        p += length;
    }
    return true;
}

}  // namespace

bool IsCertainlyUtf8(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) return true;
    bool multiByte = false;
    return IsValidUtf8(bytes, &multiByte) && multiByte && Utf8FitsCodePage1250(bytes);
}

std::string ToCp1250FromFileText(std::string bytes) {
    if (!IsCertainlyUtf8(bytes)) return bytes;
    std::string_view text(bytes);
    // With a byte order mark but broken further on, broken sequences become U+FFFD and then "?":
    // the mark says what the file was meant to be.
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    const QString unicode = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return cp1250::fromUnicode(unicode, '?');
}
