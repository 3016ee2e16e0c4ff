#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An INI-format document in memory: the one reader and writer of the taxpayer data file, the payer
// file and the settings file. Text is code page 1250 bytes. Section and key names match without
// regard to letter case; a repeated section or key reads as its last occurrence.
class IniDocument {
public:
    // Parses text with the program's INI rules (trimmed lines, ";" comments, "[name]" headers,
    // key=value lines; lines before the first header are ignored).
    static IniDocument parse(std::string_view text);
    // Reads a file; an absent file is an empty document. Throws FileError when the file exists
    // but cannot be read (or is not a regular file).
    static IniDocument readFile(const QString& fileName);

    // The document as written: every section as "[name]", its lines "key=value", one empty line
    // after each section, CRLF line ends.
    std::string serialize() const;
    // Writes through a temporary file in the same folder renamed over the target. Throws FileError.
    void writeFile(const QString& fileName) const;

    bool hasSection(std::string_view section) const;
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A signed decimal integer, or hexadecimal after "0x"/"0X"; the default when the key is
    // missing or its value is not an integer (or does not fit in 32 bits).
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;

    // Replaces an existing key (matched without case) in place, written with the new spelling, or
    // appends it to the end of its section; a new section goes after the existing ones.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void eraseSection(std::string_view section);
    void clear();

    // Names of the sections in document order (first occurrence spelling).
    std::vector<std::string> sectionNames() const;

    // Calls visit(key, value) for every key line of the section as read (its last occurrence), in
    // file order; a repeated key is visited each time, so the last call is the value lookups give.
    // Returns false when there is no such section. Lets a reader take a section in one pass.
    template <typename Visitor>
    bool forEachKey(std::string_view section, Visitor&& visit) const {
        const Section* found = findSection(section);
        if (!found) return false;
        for (const Line& line : found->lines)
            if (line.isKey) visit(std::string_view(line.key), std::string_view(line.value));
        return true;
    }

    // Lower-case form used to match names without regard to letter case (ASCII and the letters
    // of code page 1250).
    static std::string foldName(std::string_view name);

private:
    struct Line {
        std::string key;    // the key, or the whole line for a line without "="
        std::string value;
        bool isKey = true;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
        // Folded key -> index of its last line; built on the first lookup, kept up to date after.
        mutable std::unordered_map<std::string, std::size_t> lastKey;
        mutable bool indexed = false;
        const Line* find(std::string_view key) const;
        Line* find(std::string_view key);
        void index() const;
    };

    const Section* findSection(std::string_view section) const;
    Section* findSection(std::string_view section);
    void reindexSections();

    std::vector<Section> sections_;
    // Folded section name -> index of its last occurrence in sections_.
    std::unordered_map<std::string, std::size_t> lastSection_;
};

// Builds text in the form the program writes INI files: "[name]", "key=value" lines, an empty line
// after each section, CRLF line ends. A line break inside a name or value is written as a space,
// so no value can break the file into extra lines or sections.
class IniTextWriter {
public:
    void reserve(std::size_t bytes) { text_.reserve(bytes); }
    void beginSection(std::string_view name);
    void key(std::string_view key, std::string_view value);
    void rawLine(std::string_view line);
    // Ends the open section (its empty line) and hands over the text.
    std::string finish();

private:
    void endSection();
    void append(std::string_view text);
    std::string text_;
    bool sectionOpen_ = false;
};

// Strict integer conversion of a value text: a signed decimal number, or hexadecimal after
// "0x"/"0X" (more than two characters); std::nullopt when the text is not such an integer or
// does not fit in 32 bits.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);
