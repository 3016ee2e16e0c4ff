#include "store/TaxpayerFileSections.h"

#include "store/IniLines.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

bool isLineBreak(char c) { return c == '\n' || c == '\r'; }

// The raw line around `at`: from just after the previous line break to the next one.
struct RawLine {
    const char* begin;
    const char* end;
};

}  // namespace

std::int64_t RecordSectionNumber(std::string_view name) {
    if (name.size() < 2 || name.size() > 11 || (name[0] != 's' && name[0] != 'S') || name[1] == '0') return 0;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size()) return 0;
    return number;
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lowerAscii) {
    if (text.size() != lowerAscii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c != lowerAscii[i]) return false;
    }
    return true;
}

namespace {

// Sorts the sections by number and keeps the last occurrence of each number; then, beyond
// `maxRecords`, drops those of the highest numbers.
void Compact(TaxpayerFileSections& sections, std::size_t maxRecords) {
    auto& records = sections.records;
    auto byNumber = [](const auto& a, const auto& b) { return a.number < b.number; };
    if (!std::is_sorted(records.begin(), records.end(), byNumber))
        std::stable_sort(records.begin(), records.end(), byNumber);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i + 1 < records.size() && records[i + 1].number == records[i].number) continue;
        records[kept++] = records[i];
    }
    records.resize(kept);
    if (records.size() > maxRecords) {
        const std::int64_t dropped = records[maxRecords].number;
        sections.firstLeftOut = sections.firstLeftOut ? std::min(sections.firstLeftOut, dropped) : dropped;
        records.resize(maxRecords);
    }
}

}  // namespace

// Headers are found by looking only at the "[" characters of the text: one that is the first
// non-blank character of its line starts a header when the line's last non-blank one is "]".
TaxpayerFileSections FindTaxpayerFileSections(std::string_view text, std::size_t maxRecords) {
    TaxpayerFileSections sections;
    // The list is compacted whenever it reaches twice its bound, so it never holds more.
    const std::size_t compactAt = 2 * std::max<std::size_t>(maxRecords, 1024);
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* open = nullptr;  // body of the section read last, to close at the next header
    enum class Open { None, Record, Parameters } openKind = Open::None;
    auto close = [&](const char* at) {
        const std::string_view body(open, static_cast<std::size_t>(at - open));
        if (openKind == Open::Record) sections.records.back().body = body;
        else if (openKind == Open::Parameters) sections.parameters = body;
        openKind = Open::None;
    };

    const char* p = begin;
    while (p < end) {
        const void* found = std::memchr(p, '[', static_cast<std::size_t>(end - p));
        if (!found) break;
        const char* bracket = static_cast<const char*>(found);
        RawLine line{bracket, bracket + 1};
        while (line.begin > begin && !isLineBreak(line.begin[-1]) && ini_lines::isBlank(line.begin[-1])) --line.begin;
        while (line.end < end && !isLineBreak(*line.end)) ++line.end;
        p = line.end;
        if (line.begin > begin && !isLineBreak(line.begin[-1])) continue;  // not first on its line
        const std::string_view trimmed =
            ini_lines::trim(std::string_view(bracket, static_cast<std::size_t>(line.end - bracket)));
        if (trimmed.size() < 2 || trimmed.back() != ']') continue;

        if (openKind != Open::None) close(line.begin);
        const std::string_view name = ini_lines::trim(trimmed.substr(1, trimmed.size() - 2));
        open = line.end;
        if (const std::int64_t number = RecordSectionNumber(name); number > 0) {
            if (sections.records.size() == compactAt) Compact(sections, maxRecords);
            sections.records.push_back({number, {}});
            openKind = Open::Record;
        } else if (EqualsIgnoringAsciiCase(name, "parametry")) {
            openKind = Open::Parameters;
        }
    }
    if (openKind != Open::None) close(end);

    // Files written by the program have the numbers in order; of a number met more than once
    // the last occurrence is kept.
    Compact(sections, maxRecords);
    return sections;
}
