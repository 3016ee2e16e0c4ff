#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

private:
    // (members: sections in order with their lines, hashed lookups by folded name)
};

// Strict integer conversion of a value text: a signed decimal number, or hexadecimal after
// "0x"/"0X" (more than two characters); std::nullopt when the text is not such an integer or
// does not fit in 32 bits.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);
