#pragma once

#include <cstring>
#include <string_view>

// The line rules of the program's INI files, shared by the general document reader and the fast
// reader of the taxpayer data file:
// - a line ends at CR, LF or CRLF and is trimmed of spaces and control characters (bytes up to
//   0x20) at both ends; empty lines and lines starting with ";" are skipped;
// - "[name]" starts a section, its name trimmed;
// - a line with "=" is a key: the trimmed text before the first "=" and the trimmed rest;
// - any other line is kept as it is (readers ignore it).
namespace ini_lines {

enum class Kind { Section, Key, Other };

struct Line {
    Kind kind;
    std::string_view name;   // section name, key, or the whole line for Other
    std::string_view value;  // Key only
    const char* begin;       // the raw line in the text, before trimming
    const char* end;         // one past the raw line (its line break not included)
};

inline bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

inline std::string_view trim(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    std::size_t last = text.size();
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

inline bool classify(std::string_view raw, Line& line) {
    const std::string_view text = trim(raw);
    if (text.empty() || text.front() == ';') return false;
    line.begin = raw.data();
    line.end = raw.data() + raw.size();
    line.value = {};
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        line.kind = Kind::Section;
        line.name = trim(text.substr(1, text.size() - 2));
        return true;
    }
    const void* eq = std::memchr(text.data(), '=', text.size());
    if (!eq) {
        line.kind = Kind::Other;
        line.name = text;
        return true;
    }
    const auto at = static_cast<std::size_t>(static_cast<const char*>(eq) - text.data());
    line.kind = Kind::Key;
    line.name = trim(text.substr(0, at));
    line.value = trim(text.substr(at + 1));
    return true;
}

// Calls visit(const Line&) for every line that is not empty or a comment, in order.
template <typename Visitor>
void scan(std::string_view text, Visitor&& visit) {
    const char* p = text.data();
    const char* const end = p + text.size();
    Line line{};
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* lineEnd = lf ? static_cast<const char*>(lf) : end;
        // A CR ends a line too; the usual one just before LF is trimmed as a control character.
        const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(lineEnd - p));
        if (cr && static_cast<const char*>(cr) + 1 < lineEnd) lineEnd = static_cast<const char*>(cr);
        if (classify(std::string_view(p, static_cast<std::size_t>(lineEnd - p)), line)) visit(line);
        p = lineEnd + 1;
    }
}

}  // namespace ini_lines
