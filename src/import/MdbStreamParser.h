#pragma once

#include "import/MdbStreamFormat.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One table as the reader helper sent it. The values are code page 1250 bytes.
class MdbTableData {
public:
    MdbTableData(std::shared_ptr<const std::string> stream, std::string name)
        : stream_(std::move(stream)), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<std::string>& columns() const { return columns_; }
    std::size_t rowCount() const { return columns_.empty() ? rows_ : cells_.size() / columns_.size(); }
    // Position of a column, matched without regard to letter case; -1 when there is none.
    int columnIndex(std::string_view column) const;
    // Value of a row (from 0) and column; the caller keeps both in range.
    std::string_view value(std::size_t row, std::size_t column) const {
        return cells_[row * columns_.size() + column];
    }

private:
    friend class MdbStreamParser;
    std::shared_ptr<const std::string> stream_;  // owns the bytes the cells point into
    std::string name_;
    std::vector<std::string> columns_;
    std::vector<std::string_view> cells_;
    std::size_t rows_ = 0;  // rows of a table without columns
};

// What a run of the reader helper produced.
struct MdbStreamResult {
    enum class Status {
        Complete,   // every table asked for, ended by 'Z'
        Failed,     // the helper reported a failure ('X'); earlier tables are complete
        Malformed,  // not a stream of the helper (cut off, damaged, out of order)
    };
    Status status = Status::Malformed;
    bool opened = false;  // the helper got as far as opening the database
    mdbstream::MdbFailure failure = mdbstream::MdbFailure::Internal;
    std::string detail;   // the failure's detail, or what was wrong with a malformed stream
    std::vector<MdbTableData> tables;
};

// Checks and splits the helper's standard output. Never trusts a length or a count: whatever the
// bytes, the result is Malformed rather than a crash or a huge allocation.
MdbStreamResult ParseMdbStream(std::string bytes);
