#include "store/TaxpayerSectionReader.h"

#include "store/IniDocument.h"
#include "store/IniLines.h"
#include "store/TaxpayerFileKeys.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using taxpayer_file_keys::Key;
using taxpayer_file_keys::Kind;

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// High bit set in the bytes of `word` equal to `byte`; the lowest set bit is always a true match
// (a borrow can only mark bytes above a matching one).
std::uint64_t bytesEqual(std::uint64_t word, char byte) {
    const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
    return (x - kOnes) & ~x & kHighs;
}

bool isStop(char c) { return c == '\r' || c == '\n' || c == '='; }

// The first CR, LF or "=" at or after `p`, or `end`; sixteen or eight bytes at a time while they
// last (a key or a value mostly ends within the first sixteen).
const char* nextStop(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i equals = _mm_set1_epi8('=');
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                                           _mm_cmpeq_epi8(bytes, equals));
        if (const auto found = static_cast<unsigned>(_mm_movemask_epi8(stops))) return p + std::countr_zero(found);
        p += 16;
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t found = bytesEqual(word, '\r') | bytesEqual(word, '\n') | bytesEqual(word, '=');
            if (found) return p + std::countr_zero(found) / 8;
            p += 8;
        }
    }
    while (p < end && !isStop(*p)) ++p;
    return p;
}

std::string_view trimRight(const char* begin, const char* end) {
    while (end > begin && ini_lines::isBlank(end[-1])) --end;
    return {begin, static_cast<std::size_t>(end - begin)};
}

// The amount lines of one form in a section, kept until the section is read and then put into
// the record at once: lines in ascending box order (as the program writes them) into an empty set
// make one block of exactly the right size. Other orders, repeated keys and a set that already
// holds amounts take the box-by-box way, which gives the same result.
template <typename Amounts>
class AmountLines {
public:
    void take(std::size_t box, std::string_view value, Amounts& amounts) {
        if (count_ == kMaxLines) flushBoxByBox(amounts);  // a section of very many amount lines
        ascending_ = ascending_ && (count_ == 0 || box > lines_[count_ - 1].box);
        lines_[count_++] = {box, value.data(), value.size()};
    }
    void storeInto(Amounts& amounts) {
        if (count_ == 0) return;
        if (!ascending_ || !amounts.none()) {
            flushBoxByBox(amounts);
            return;
        }
        for (std::size_t i = 0; i < count_; ++i) noteWidth(lines_[i].box, lines_[i].text());
        amounts.assignAscending([&](auto&& visit) {
            for (std::size_t i = 0; i < count_; ++i) visit(lines_[i].box, lines_[i].text());
        });
        count_ = 0;
    }
    // The lowest box whose last value was longer than a box holds (and was stored cut), with that
    // value; only after storeInto.
    std::optional<std::pair<std::size_t, std::string_view>> firstOverlong() const {
        if (overlong_ == 0) return std::nullopt;
        const auto box = static_cast<std::size_t>(std::countr_zero(overlong_));
        return std::pair{box, overlongText_[box].text()};
    }

private:
    static constexpr std::size_t kMaxLines = 2 * Amounts::size();
    // Plain data, left uninitialised until used: a section costs no clearing of this buffer.
    struct Line {
        std::size_t box;
        const char* data;
        std::size_t size;
        std::string_view text() const { return {data, size}; }
    };
    void flushBoxByBox(Amounts& amounts) {
        for (std::size_t i = 0; i < count_; ++i) {
            noteWidth(lines_[i].box, lines_[i].text());
            amounts[lines_[i].box] = lines_[i].text();
        }
        count_ = 0;
        ascending_ = false;
    }
    // In the order the values are stored, so that a box's last value decides.
    void noteWidth(std::size_t box, std::string_view text) {
        const std::uint64_t bit = std::uint64_t{1} << box;
        if (text.size() > Amounts::kWidth) {
            overlong_ |= bit;
            overlongText_[box] = {box, text.data(), text.size()};
        } else {
            overlong_ &= ~bit;
        }
    }

    static_assert(Amounts::size() <= 64);
    Line lines_[kMaxLines];
    Line overlongText_[Amounts::size()];  // read only for the boxes marked in overlong_
    std::uint64_t overlong_ = 0;
    std::size_t count_ = 0;
    bool ascending_ = true;
};

struct SectionAmounts {
    AmountLines<TaxpayerRecord::P11Amounts> p11;
    AmountLines<TaxpayerRecord::P40Amounts> p40;
};

void store(TaxpayerRecord& record, SectionAmounts& amounts, const Key& key, std::string_view value) {
    switch (key.kind) {
    case Kind::Text: key.set(record, value); break;
    case Kind::Amount:
        if (key.pit11) amounts.p11.take(static_cast<std::size_t>(key.box - TaxpayerRecord::kFirstP11Box), value, record.p11);
        else amounts.p40.take(static_cast<std::size_t>(key.box - TaxpayerRecord::kFirstP40Box), value, record.p40);
        break;
    case Kind::Number:
        record.*key.number = static_cast<std::uint8_t>(ParseIniInteger(value).value_or(0) & 0xFF);
        break;
    }
}

}  // namespace

std::optional<OverlongAmount> ReadTaxpayerSection(std::string_view body, TaxpayerRecord& record) {
    taxpayer_file_keys::KeyMatcher keys;
    SectionAmounts amounts;
    const char* p = body.data();
    const char* const end = p + body.size();
    for (;;) {
        // Blanks before a line, line breaks and empty lines all go at once.
        while (p < end && ini_lines::isBlank(*p)) ++p;
        if (p == end) break;
        const char* const line = p;
        const char* equals = nullptr;
        for (;;) {
            p = nextStop(p, end);
            if (p == end || *p != '=') break;
            if (!equals) equals = p;
            ++p;
        }
        // `p` is at the line break; a section header cannot be met here (it would end the body),
        // but a line shaped like one is no key either.
        if (!equals || *line == ';') continue;
        if (*line == '[' && trimRight(line, p).back() == ']') continue;
        const std::string_view name = trimRight(line, equals);
        const char* valueBegin = equals + 1;
        while (valueBegin < p && ini_lines::isBlank(*valueBegin)) ++valueBegin;
        if (const Key* key = keys.find(name)) store(record, amounts, *key, trimRight(valueBegin, p));
    }
    amounts.p11.storeInto(record.p11);
    amounts.p40.storeInto(record.p40);
    if (const auto p11 = amounts.p11.firstOverlong())
        return OverlongAmount{true, TaxpayerRecord::kFirstP11Box + static_cast<int>(p11->first), p11->second};
    if (const auto p40 = amounts.p40.firstOverlong())
        return OverlongAmount{false, TaxpayerRecord::kFirstP40Box + static_cast<int>(p40->first), p40->second};
    return std::nullopt;
}
