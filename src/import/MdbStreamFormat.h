#pragma once

// The stream in which the database reader helper (fiskon-mdb-reader) hands tables to the program.
// Plain C++ only: the helper includes this header too.
//
// The stream is a sequence of frames: one tag byte, the payload length as 4 bytes little-endian,
// then the payload. A list payload is a 4-byte count followed by that many strings, each a 4-byte
// length and its bytes. The frames, in order:
//
//   'H'  "FISKON-MDB/1"                      always first
//   'O'  empty                               the file is a database and the password matched
//   per table asked for:
//   'T'  table name
//   'C'  list of column names
//   'R'  list of values, one per column      once per row; code page 1250, NULL as empty text
//   'E'  row count (4 bytes)                 end of the table
//   'Z'  empty                               the end: everything asked for was sent
//
// A failure ends the stream with 'X' instead of 'Z': one code byte (MdbFailure) and a detail
// text (a table name, a system reason). Tables sent before the failure are complete.
//
// A table is asked for by its name alone (every column) or as "NAME=COLUMN,COLUMN,...": then
// only those of the named columns that the table has are sent, in the order asked.

#include <cstdint>
#include <string>
#include <string_view>

namespace mdbstream {

inline constexpr std::string_view kMagic = "FISKON-MDB/1";
inline constexpr char kColumnsFollow = '=';
inline constexpr char kColumnSeparator = ',';

enum Tag : char {
    kHello = 'H',
    kOpened = 'O',
    kTable = 'T',
    kColumns = 'C',
    kRow = 'R',
    kTableEnd = 'E',
    kFailure = 'X',
    kEnd = 'Z',
};

enum class MdbFailure : std::uint8_t {
    WrongPassword = 1,
    NotADatabase = 2,
    Truncated = 3,
    MissingTable = 4,
    Unreadable = 5,
    Internal = 6,
    DamagedTable = 7,  // fewer rows could be read than the table holds (an unreadable page)
};

inline void appendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

inline std::uint32_t readU32(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// Starts a frame whose payload length is patched by endFrame; returns the frame's offset.
inline std::size_t beginFrame(std::string& out, Tag tag) {
    std::size_t start = out.size();
    out.push_back(static_cast<char>(tag));
    appendU32(out, 0);
    return start;
}

inline void endFrame(std::string& out, std::size_t start) {
    auto length = static_cast<std::uint32_t>(out.size() - start - 5);
    for (int i = 0; i < 4; ++i)
        out[start + 1 + static_cast<std::size_t>(i)] = static_cast<char>((length >> (8 * i)) & 0xFFu);
}

inline void appendFrame(std::string& out, Tag tag, std::string_view payload) {
    out.push_back(static_cast<char>(tag));
    appendU32(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
}

inline void appendListItem(std::string& out, std::string_view item) {
    appendU32(out, static_cast<std::uint32_t>(item.size()));
    out.append(item);
}

}  // namespace mdbstream
