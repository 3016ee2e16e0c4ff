#include "store/TaxpayerTextWriter.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kP11Count = TaxpayerRecord::kLastP11Box - TaxpayerRecord::kFirstP11Box + 1;
constexpr std::size_t kP40Count = TaxpayerRecord::kLastP40Box - TaxpayerRecord::kFirstP40Box + 1;

// "p11_34=" … and "p40_35=" …, each seven characters.
struct AmountPrefixes {
    std::array<std::array<char, 7>, kP11Count> p11{};
    std::array<std::array<char, 7>, kP40Count> p40{};
    AmountPrefixes() {
        auto make = [](std::array<char, 7>& prefix, char form, int box) {
            prefix = {'p', form, form == '1' ? '1' : '0', '_', static_cast<char>('0' + box / 10),
                      static_cast<char>('0' + box % 10), '='};
        };
        for (std::size_t k = 0; k < kP11Count; ++k) make(p11[k], '1', TaxpayerRecord::kFirstP11Box + static_cast<int>(k));
        for (std::size_t k = 0; k < kP40Count; ++k) make(p40[k], '4', TaxpayerRecord::kFirstP40Box + static_cast<int>(k));
    }
};
const AmountPrefixes kAmountPrefixes;

std::string_view prefixOf(const std::array<char, 7>& prefix) { return {prefix.data(), prefix.size()}; }

// The decimal text of a form choice (0..255).
struct SmallNumber {
    char digits[3];
    std::size_t size;
    explicit SmallNumber(std::uint8_t value) {
        size = static_cast<std::size_t>(std::to_chars(digits, digits + 3, value).ptr - digits);
    }
    std::string_view view() const { return {digits, size}; }
};

// Calls line(prefix, value, isValue) for every key line of the record in the file's order;
// `prefix` is the key with its "=".
template <typename Line>
void forEachLine(const TaxpayerRecord& r, Line&& line) {
    line("nazwisko=", r.nazwisko.view());
    line("imie1=", r.imie1.view());
    line("nip=", r.nip.view());
    line("pesel=", r.pesel.view());
    line("dataUr=", r.dataUr.view());
    line("ulica=", r.ulica.view());
    line("nrDomu=", r.nrDomu.view());
    line("nrLok=", r.nrLok.view());
    line("miejsc=", r.miejsc.view());
    line("kraj=", r.kraj.view());
    line("kodPoczt=", r.kodPoczt.view());
    line("poczta=", r.poczta.view());
    line("gmina=", r.gmina.view());
    line("powiat=", r.powiat.view());
    line("wojewodztwo=", r.wojewodztwo.view());
    line("us=", r.us.view());
    r.p11.forEachFilled([&](std::size_t k, std::string_view amount) { line(prefixOf(kAmountPrefixes.p11[k]), amount); });
    r.p40.forEachFilled([&](std::size_t k, std::string_view amount) { line(prefixOf(kAmountPrefixes.p40[k]), amount); });
    line("pit11_33=", SmallNumber(r.pit11_33).view());
    line("pit40_34=", SmallNumber(r.pit40_34).view());
    line("pit40_NIP3=", SmallNumber(r.pit40_NIP3).view());
    line("pit40_PITR=", SmallNumber(r.pit40_PITR).view());
    line("pit11_PITR=", SmallNumber(r.pit11_PITR).view());
    line("pit11_od=", r.pit11_od.view());
    line("pit11_do=", r.pit11_do.view());
    // Written only when there is one, so that a register without addresses is saved as it always was.
    if (!r.email.empty()) line("email=", r.email.view());
}

constexpr std::string_view kLineEnd = "\r\n";

char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// A value with any CR or LF turned into a space.
char* putValue(char* at, std::string_view value) {
    for (const char c : value) *at++ = (c == '\r' || c == '\n') ? ' ' : c;
    return at;
}

}  // namespace

std::size_t TaxpayerTextWriter::estimatedSize(const TaxpayerRecord& record) {
    std::size_t size = 24;  // header and the empty line
    forEachLine(record, [&](std::string_view prefix, std::string_view value) {
        size += prefix.size() + value.size() + kLineEnd.size();
    });
    return size;
}

void TaxpayerTextWriter::record(const TaxpayerRecord& record, std::size_t number) {
    char numberText[24];
    const std::string_view numberView(numberText,
                                      static_cast<std::size_t>(std::to_chars(numberText, numberText + sizeof numberText, number).ptr - numberText));
    std::size_t size = 2 + numberView.size() + 1 + kLineEnd.size() + kLineEnd.size();  // "[s" n "]" CRLF … CRLF
    forEachLine(record, [&](std::string_view prefix, std::string_view value) {
        size += prefix.size() + value.size() + kLineEnd.size();
    });

    const std::size_t start = text_.size();
    text_.resize(start + size);
    char* at = text_.data() + start;
    at = put(at, "[s");
    at = put(at, numberView);
    at = put(at, "]");
    at = put(at, kLineEnd);
    forEachLine(record, [&](std::string_view prefix, std::string_view value) {
        at = put(at, prefix);
        at = putValue(at, value);
        at = put(at, kLineEnd);
    });
    put(at, kLineEnd);
}

void TaxpayerTextWriter::parameters(std::size_t recordCount) {
    text_.append("[Parametry]\r\nLiczbaRekordow=");
    text_.append(std::to_string(recordCount));
    text_.append("\r\n\r\n");
}
