#include "import/JetHeader.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace jet {
namespace {

constexpr std::size_t kMaskedStart = 0x18;
constexpr std::size_t kMaskedLength = 128;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kPasswordBytes = 40;
constexpr std::size_t kCreationDateOffset = 0x72;

// The fixed keystream that masks bytes 0x18..0x97: RC4 output for the key C7 DA 39 6B.
std::array<unsigned char, kMaskedLength> HeaderKeystream() {
    std::array<unsigned char, 256> state{};
    for (std::size_t i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
    const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::size_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % 4]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    std::array<unsigned char, kMaskedLength> stream{};
    std::size_t a = 0;
    std::size_t b = 0;
    for (auto& byte : stream) {
        a = (a + 1) & 0xFF;
        b = (b + state[a]) & 0xFF;
        std::swap(state[a], state[b]);
        byte = state[(state[a] + state[b]) & 0xFF];
    }
    return stream;
}

std::array<unsigned char, kMaskedLength> UnmaskedArea(std::string_view page) {
    static const auto keystream = HeaderKeystream();
    std::array<unsigned char, kMaskedLength> area{};
    for (std::size_t i = 0; i < kMaskedLength; ++i)
        area[i] = static_cast<unsigned char>(static_cast<unsigned char>(page[kMaskedStart + i]) ^ keystream[i]);
    return area;
}

// Whole days of the creation date, as a C cast truncates them; out-of-range dates give 0.
std::int32_t CreationDays(const std::array<unsigned char, kMaskedLength>& area) {
    unsigned char raw[8];
    for (std::size_t i = 0; i < 8; ++i) raw[i] = area[kCreationDateOffset - kMaskedStart + i];
    double days = 0;
    std::memcpy(&days, raw, sizeof days);
    if (!(days > -2147483648.0 && days < 2147483648.0)) return 0;  // also NaN
    return static_cast<std::int32_t>(days);
}

}  // namespace

HeaderKind ClassifyHeader(std::string_view firstBytes) {
    static constexpr unsigned char kSignature[4] = {0x00, 0x01, 0x00, 0x00};
    if (firstBytes.size() < 0x15) return HeaderKind::NotJet;
    if (std::memcmp(firstBytes.data(), kSignature, 4) != 0) return HeaderKind::NotJet;
    if (firstBytes.substr(4, 15) != "Standard Jet DB") return HeaderKind::NotJet;
    return firstBytes[0x14] == 0x01 ? HeaderKind::Jet4 : HeaderKind::OtherVersion;
}

std::u16string StoredPassword(std::string_view headerPage) {
    if (headerPage.size() < kPageSize) return {};
    const auto area = UnmaskedArea(headerPage);
    const auto days = static_cast<std::uint32_t>(CreationDays(area));
    const unsigned char dateMask[4] = {static_cast<unsigned char>(days & 0xFF),
                                       static_cast<unsigned char>((days >> 8) & 0xFF),
                                       static_cast<unsigned char>((days >> 16) & 0xFF),
                                       static_cast<unsigned char>((days >> 24) & 0xFF)};
    std::u16string password;
    for (std::size_t i = 0; i + 1 < kPasswordBytes; i += 2) {
        const std::size_t at = kPasswordOffset - kMaskedStart + i;
        const auto low = static_cast<unsigned>(area[at] ^ dateMask[i % 4]);
        const auto high = static_cast<unsigned>(area[at + 1] ^ dateMask[(i + 1) % 4]);
        const auto unit = static_cast<char16_t>(low | (high << 8));
        if (unit == 0) break;
        password.push_back(unit);
    }
    return password;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t code = 0;
        std::size_t extra = 0;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            code = lead & 0x1Fu;
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            code = lead & 0x0Fu;
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            code = lead & 0x07u;
            extra = 3;
        } else {
            return std::nullopt;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size()) return std::nullopt;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return std::nullopt;
            code = (code << 6) | (next & 0x3Fu);
        }
        const bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FFu)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += extra + 1;
    }
    return out;
}

bool PasswordMatches(std::string_view headerPage, std::string_view typedUtf8) {
    const auto typed = Utf8ToUtf16(typedUtf8);
    if (!typed) return false;
    const std::u16string stored = StoredPassword(headerPage);
    // A database without a password opens whatever password is given, as with the engine.
    return stored.empty() || *typed == stored;
}

}  // namespace jet
