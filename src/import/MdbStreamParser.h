#pragma once

#include "import/MdbStreamFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One table as the reader helper sent it. The values are code page 1250 bytes, kept one after
// the other in one block with the end of each: a cell costs its bytes and four more.
class MdbTableData {
public:
    explicit MdbTableData(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<std::string>& columns() const { return columns_; }
    std::size_t rowCount() const { return columns_.empty() ? rows_ : ends_.size() / columns_.size(); }
    // Position of a column, matched without regard to letter case; -1 when there is none.
    int columnIndex(std::string_view column) const;
    // Value of a row (from 0) and column; the caller keeps both in range.
    std::string_view value(std::size_t row, std::size_t column) const {
        const std::size_t cell = row * columns_.size() + column;
        const std::size_t begin = cell == 0 ? 0 : ends_[cell - 1];
        return std::string_view(bytes_).substr(begin, ends_[cell] - begin);
    }
    // Bytes of the values.
    std::size_t valueBytes() const { return bytes_.size(); }

private:
    friend class MdbStreamParser;
    std::string name_;
    std::vector<std::string> columns_;
    std::string bytes_;
    std::vector<std::uint32_t> ends_;
    std::size_t rows_ = 0;  // rows of a table without columns
};

// What a run of the reader helper produced.
struct MdbStreamResult {
    enum class Status {
        Complete,   // every table asked for, ended by 'Z'
        Failed,     // the helper reported a failure ('X'); earlier tables are complete
        Malformed,  // not a stream of the helper (cut off, damaged, out of order)
        TooLarge,   // a table beyond the bounds the reader was given
    };
    Status status = Status::Malformed;
    bool opened = false;  // the helper got as far as opening the database
    mdbstream::MdbFailure failure = mdbstream::MdbFailure::Internal;
    std::string detail;   // the failure's detail, what was wrong with a malformed stream, or the
                          // name of a table too large
    bool tooManyRows = false;  // TooLarge: by its rows (else by its bytes)
    std::vector<MdbTableData> tables;
};

// The most the program takes of one table.
struct MdbTableBounds {
    std::size_t maxRows = 1'000'000;
    std::size_t maxBytes = std::size_t{256} << 20;  // of the values
};

// Checks and splits the helper's standard output as it arrives: bytes are fed in pieces of any
// size, and only the frame not yet complete is held besides the tables. Never trusts a length or
// a count: whatever the bytes, the result is Malformed (or TooLarge beyond the bounds) rather
// than a crash or a huge allocation.
class MdbStreamParser {
public:
    static constexpr std::size_t kMaxFrameBytes = std::size_t{8} << 20;

    explicit MdbStreamParser(MdbTableBounds bounds = {}) : bounds_(bounds) {
        // A table's values are indexed by 32-bit offsets.
        bounds_.maxBytes = std::min<std::size_t>(bounds_.maxBytes, UINT32_MAX);
    }

    // Takes the next bytes; false once the stream is over (ended, failed, malformed or too
    // large): what follows is not read.
    bool feed(std::string_view bytes);
    // Whether the stream is over (no more bytes wanted).
    bool finished() const { return finished_; }
    // Whether the stream is over because it was found bad (malformed or too large).
    bool refused() const {
        return finished_ && (result_.status == MdbStreamResult::Status::Malformed ||
                             result_.status == MdbStreamResult::Status::TooLarge);
    }
    // The result once the input has ended; a stream that did not end properly is Malformed.
    MdbStreamResult take();

private:
    enum class State { Hello, Frames, Columns, Rows };
    bool frame(char tag, std::string_view payload);
    bool readColumns(std::string_view payload);
    bool readRow(std::string_view payload);
    bool readTableEnd(std::string_view payload);
    bool stop(MdbStreamResult::Status status, const char* why);

    MdbTableBounds bounds_;
    State state_ = State::Hello;
    std::string pending_;  // the start of a frame not yet complete
    bool finished_ = false;
    MdbStreamResult result_;
    MdbTableData table_;  // the table being read
};

// The whole output at once (tests, fuzzing).
MdbStreamResult ParseMdbStream(std::string_view bytes, MdbTableBounds bounds = {});
