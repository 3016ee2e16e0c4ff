#include "store/Cp1250.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace cp1250 {
namespace {

// Characters of bytes 0x80..0xFF. The five bytes the code page leaves unassigned (0x81, 0x83,
// 0x88, 0x90, 0x98) decode to the C1 control of the same number, as Windows does, so that every
// byte has a character and decoding then encoding gives the bytes back.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

const std::unordered_map<char16_t, char>& encodeTable() {
    static const std::unordered_map<char16_t, char> table = [] {
        std::unordered_map<char16_t, char> map;
        for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
            map.emplace(kUpperHalf[i], static_cast<char>(0x80 + i));
        return map;
    }();
    return table;
}

// The byte for a UTF-16 unit, or -1 when the code page lacks it.
int encodeUnit(char16_t unit) {
    if (unit < 0x80) return unit;
    const auto& table = encodeTable();
    const auto it = table.find(unit);
    return it == table.end() ? -1 : static_cast<unsigned char>(it->second);
}

}  // namespace

QString toUnicode(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value < 0x80 ? char16_t(value) : kUpperHalf[value - 0x80u]);
    }
    return text;
}

std::string fromUnicode(QStringView text, char replacement, bool* lossless) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    bool allKept = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A surrogate pair is one character outside the code page: one replacement for both.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        const int byte = encodeUnit(unit);
        if (byte < 0) {
            allKept = false;
            bytes.push_back(replacement);
        } else {
            bytes.push_back(static_cast<char>(byte));
        }
    }
    if (lossless) *lossless = allKept;
    return bytes;
}

bool canEncode(QChar ch) { return encodeUnit(ch.unicode()) >= 0; }

QString toCapitals(QString text) {
    for (QChar& ch : text) {
        const QChar upper = ch.toUpper();
        if (upper != ch && canEncode(upper)) ch = upper;
    }
    return text;
}

}  // namespace cp1250
