#include "store/IniDocument.h"

#include "store/AtomicFileWriter.h"
#include "store/Cp1250.h"
#include "store/IniLines.h"
#include "store/LegacyTextEncoding.h"
#include "store/WholeFileReader.h"

#include <array>
#include <charconv>
#include <limits>

namespace {

// Lower-case byte of every code page 1250 byte (upper-case letters, Polish ones included, map to
// their small forms; everything else to itself).
const std::array<char, 256>& lowerTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> lower{};
        for (int b = 0; b < 256; ++b) {
            lower[static_cast<std::size_t>(b)] = static_cast<char>(b);
            const char byte = static_cast<char>(b);
            const QString ch = cp1250::toUnicode(std::string_view(&byte, 1));
            const QString small = ch.toLower();
            if (small.size() == 1 && small != ch && cp1250::canEncode(small[0])) {
                const std::string encoded = cp1250::fromUnicode(small);
                lower[static_cast<std::size_t>(b)] = encoded[0];
            }
        }
        return lower;
    }();
    return table;
}

std::optional<std::int32_t> parseHex(std::string_view digits) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        int d = 0;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    // Eight hex digits are a 32-bit pattern: 0xFFFFFFFF is -1, as a 32-bit integer reads it.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string IniDocument::foldName(std::string_view name) {
    const auto& lower = lowerTable();
    std::string folded(name.size(), '\0');
    for (std::size_t i = 0; i < name.size(); ++i)
        folded[i] = lower[static_cast<unsigned char>(name[i])];
    return folded;
}

// --- Section ------------------------------------------------------------------------------------

void IniDocument::Section::index() const {
    if (indexed) return;
    lastKey.clear();
    lastKey.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].isKey) lastKey[foldName(lines[i].key)] = i;
    indexed = true;
}

const IniDocument::Line* IniDocument::Section::find(std::string_view key) const {
    index();
    const auto it = lastKey.find(foldName(key));
    return it == lastKey.end() ? nullptr : &lines[it->second];
}

IniDocument::Line* IniDocument::Section::find(std::string_view key) {
    return const_cast<Line*>(std::as_const(*this).find(key));
}

// --- Document -----------------------------------------------------------------------------------

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    Section* section = nullptr;
    ini_lines::scan(text, [&](const ini_lines::Line& line) {
        switch (line.kind) {
        case ini_lines::Kind::Section:
            doc.sections_.push_back(Section{std::string(line.name), {}, {}, false});
            section = &doc.sections_.back();
            break;
        case ini_lines::Kind::Key:
            if (section) section->lines.push_back(Line{std::string(line.name), std::string(line.value), true});
            break;
        case ini_lines::Kind::Other:
            if (section) section->lines.push_back(Line{std::string(line.name), {}, false});
            break;
        }
    });
    doc.reindexSections();
    return doc;
}

IniDocument IniDocument::readFile(const QString& fileName) {
    std::optional<std::string> bytes = ReadWholeFile(fileName);
    if (!bytes) return {};
    return parse(ToCp1250FromFileText(std::move(*bytes)));
}

void IniDocument::reindexSections() {
    lastSection_.clear();
    lastSection_.reserve(sections_.size());
    for (std::size_t i = 0; i < sections_.size(); ++i) lastSection_[foldName(sections_[i].name)] = i;
}

const IniDocument::Section* IniDocument::findSection(std::string_view section) const {
    const auto it = lastSection_.find(foldName(section));
    return it == lastSection_.end() ? nullptr : &sections_[it->second];
}

IniDocument::Section* IniDocument::findSection(std::string_view section) {
    return const_cast<Section*>(std::as_const(*this).findSection(section));
}

std::string IniDocument::serialize() const {
    std::size_t size = 0;
    for (const Section& section : sections_) {
        size += section.name.size() + 6;
        for (const Line& line : section.lines) size += line.key.size() + line.value.size() + 3;
    }
    IniTextWriter writer;
    writer.reserve(size);
    for (const Section& section : sections_) {
        writer.beginSection(section.name);
        for (const Line& line : section.lines) {
            if (line.isKey) writer.key(line.key, line.value);
            else writer.rawLine(line.key);
        }
    }
    return writer.finish();
}

void IniDocument::writeFile(const QString& fileName) const { WriteFileAtomically(fileName, serialize()); }

bool IniDocument::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

std::optional<std::string_view> IniDocument::value(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (!found) return std::nullopt;
    const Line* line = found->find(key);
    if (!line) return std::nullopt;
    return std::string_view(line->value);
}

std::string IniDocument::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    return std::string(value(section, key).value_or(defaultValue));
}

std::int32_t IniDocument::readInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
    const auto text = value(section, key);
    if (!text) return defaultValue;
    return ParseIniInteger(*text).value_or(defaultValue);
}

void IniDocument::writeString(std::string_view section, std::string_view key, std::string_view value) {
    Section* target = findSection(section);
    if (!target) {
        sections_.push_back(Section{std::string(section), {}, {}, true});
        target = &sections_.back();
        lastSection_[foldName(section)] = sections_.size() - 1;
    }
    if (Line* line = target->find(key)) {
        line->key = std::string(key);
        line->value = std::string(value);
        return;
    }
    target->lines.push_back(Line{std::string(key), std::string(value), true});
    target->lastKey[foldName(key)] = target->lines.size() - 1;
}

void IniDocument::writeInteger(std::string_view section, std::string_view key, std::int64_t value) {
    writeString(section, key, std::to_string(value));
}

void IniDocument::eraseSection(std::string_view section) {
    const std::string folded = foldName(section);
    std::erase_if(sections_, [&](const Section& s) { return foldName(s.name) == folded; });
    reindexSections();
}

void IniDocument::clear() {
    sections_.clear();
    lastSection_.clear();
}

std::vector<std::string> IniDocument::sectionNames() const {
    std::vector<std::string> names;
    std::unordered_map<std::string, bool> seen;
    for (const Section& section : sections_)
        if (seen.emplace(foldName(section.name), true).second) names.push_back(section.name);
    return names;
}

// --- Writer -------------------------------------------------------------------------------------

void IniTextWriter::append(std::string_view text) {
    const std::size_t start = text_.size();
    text_.append(text);
    if (text.find_first_of("\r\n") == std::string_view::npos) return;
    for (std::size_t i = start; i < text_.size(); ++i)
        if (text_[i] == '\r' || text_[i] == '\n') text_[i] = ' ';
}

void IniTextWriter::endSection() {
    if (sectionOpen_) text_.append("\r\n");
    sectionOpen_ = false;
}

void IniTextWriter::beginSection(std::string_view name) {
    endSection();
    text_.push_back('[');
    append(name);
    text_.append("]\r\n");
    sectionOpen_ = true;
}

void IniTextWriter::key(std::string_view key, std::string_view value) {
    append(key);
    text_.push_back('=');
    append(value);
    text_.append("\r\n");
}

void IniTextWriter::rawLine(std::string_view line) {
    append(line);
    text_.append("\r\n");
}

std::string IniTextWriter::finish() {
    endSection();
    return std::move(text_);
}
