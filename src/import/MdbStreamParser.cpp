#include "import/MdbStreamParser.h"

#include <algorithm>

namespace {

using namespace mdbstream;

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// Splits a list payload; false unless it holds exactly the count it announces.
template <typename Sink>
bool ReadList(std::string_view payload, Sink&& sink, std::uint32_t* countOut = nullptr) {
    if (payload.size() < 4) return false;
    const std::uint32_t count = readU32(payload.data());
    std::size_t pos = 4;
    // Every item needs at least its 4-byte length, so a count cannot outgrow the payload.
    if (count > (payload.size() - pos) / 4) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (payload.size() - pos < 4) return false;
        const std::uint32_t length = readU32(payload.data() + pos);
        pos += 4;
        if (length > payload.size() - pos) return false;
        sink(payload.substr(pos, length));
        pos += length;
    }
    if (countOut) *countOut = count;
    return pos == payload.size();
}

}  // namespace

int MdbTableData::columnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (EqualFolded(columns_[i], column)) return static_cast<int>(i);
    return -1;
}

bool MdbStreamParser::stop(MdbStreamResult::Status status, const char* why) {
    result_.status = status;
    if (why) result_.detail = why;
    finished_ = true;
    pending_.clear();
    pending_.shrink_to_fit();
    return false;
}

bool MdbStreamParser::feed(std::string_view bytes) {
    while (!bytes.empty()) {
        if (finished_) {
            // Nothing may follow the end or a failure the helper reported.
            if (result_.status == MdbStreamResult::Status::Complete || result_.status == MdbStreamResult::Status::Failed) {
                result_.status = MdbStreamResult::Status::Malformed;
                result_.detail = "bytes after the end";
            }
            return false;
        }
        // A frame that lies wholly in the new bytes is read in place; the rest waits in pending_.
        std::string_view input = bytes;
        if (!pending_.empty() || bytes.size() < 5) {
            const std::size_t header = pending_.size() < 5 ? 5 - pending_.size() : 0;
            if (header) {
                const std::size_t take = std::min(header, bytes.size());
                pending_.append(bytes.substr(0, take));
                bytes.remove_prefix(take);
                if (pending_.size() < 5) return true;
            }
            const std::uint32_t length = readU32(pending_.data() + 1);
            if (length > kMaxFrameBytes) return stop(MdbStreamResult::Status::Malformed, "frame too long");
            const std::size_t missing = 5 + length - pending_.size();
            const std::size_t take = std::min(missing, bytes.size());
            pending_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (pending_.size() < 5 + length) return true;
            const std::string complete = std::move(pending_);
            pending_.clear();
            frame(complete[0], std::string_view(complete).substr(5));
            continue;
        }
        const std::uint32_t length = readU32(input.data() + 1);
        if (length > kMaxFrameBytes) return stop(MdbStreamResult::Status::Malformed, "frame too long");
        if (input.size() - 5 < length) {
            pending_.assign(input);
            return true;
        }
        bytes.remove_prefix(5 + length);
        frame(input[0], input.substr(5, length));
    }
    return !finished_;
}

bool MdbStreamParser::frame(char tag, std::string_view payload) {
    using Status = MdbStreamResult::Status;
    switch (state_) {
        case State::Hello:
            if (tag != kHello || payload != kMagic) return stop(Status::Malformed, "no greeting");
            state_ = State::Frames;
            return true;
        case State::Columns:
            if (tag != kColumns || !readColumns(payload)) return stop(Status::Malformed, "damaged table");
            state_ = State::Rows;
            return true;
        case State::Rows:
            if (tag == kRow) return readRow(payload);
            if (tag == kTableEnd) return readTableEnd(payload);
            if (tag != kFailure) return stop(Status::Malformed, "damaged table");
            break;  // the helper gave up in the middle of the table: its rows are not kept
        case State::Frames: break;
    }
    switch (tag) {
        case kOpened:
            if (result_.opened || !payload.empty()) return stop(Status::Malformed, "bad opening");
            result_.opened = true;
            return true;
        case kTable:
            if (!result_.opened) return stop(Status::Malformed, "table before opening");
            table_ = MdbTableData(std::string(payload));
            state_ = State::Columns;
            return true;
        case kFailure: {
            if (payload.empty()) return stop(Status::Malformed, "bad failure");
            const auto code = static_cast<unsigned char>(payload[0]);
            if (code < 1 || code > static_cast<unsigned char>(MdbFailure::DamagedTable))
                return stop(Status::Malformed, "unknown failure");
            result_.failure = static_cast<MdbFailure>(code);
            result_.detail.assign(payload.substr(1));
            return stop(Status::Failed, nullptr);
        }
        case kEnd:
            if (!result_.opened || !payload.empty()) return stop(Status::Malformed, "bad end");
            return stop(Status::Complete, nullptr);
        default:
            return stop(Status::Malformed, "unknown frame");
    }
}

bool MdbStreamParser::readColumns(std::string_view payload) {
    return ReadList(payload, [&](std::string_view name) { table_.columns_.emplace_back(name); });
}

bool MdbStreamParser::readRow(std::string_view payload) {
    const std::size_t width = table_.columns_.size();
    if (table_.rowCount() >= bounds_.maxRows) {
        result_.tooManyRows = true;
        result_.detail = table_.name_;
        return stop(MdbStreamResult::Status::TooLarge, nullptr);
    }
    bool tooLarge = false;
    std::uint32_t count = 0;
    const bool listed = ReadList(
        payload,
        [&](std::string_view cell) {
            if (table_.bytes_.size() + cell.size() > bounds_.maxBytes) tooLarge = true;
            if (tooLarge) return;
            table_.bytes_.append(cell);
            table_.ends_.push_back(static_cast<std::uint32_t>(table_.bytes_.size()));
        },
        &count);
    if (tooLarge) {
        result_.detail = table_.name_;
        return stop(MdbStreamResult::Status::TooLarge, nullptr);
    }
    if (!listed || count != width) return stop(MdbStreamResult::Status::Malformed, "damaged table");
    if (width == 0) ++table_.rows_;
    return true;
}

bool MdbStreamParser::readTableEnd(std::string_view payload) {
    if (payload.size() != 4 || readU32(payload.data()) != table_.rowCount())
        return stop(MdbStreamResult::Status::Malformed, "damaged table");
    result_.tables.push_back(std::move(table_));
    table_ = MdbTableData();
    state_ = State::Frames;
    return true;
}

MdbStreamResult MdbStreamParser::take() {
    if (!finished_) stop(MdbStreamResult::Status::Malformed, "cut off");
    return std::move(result_);
}

MdbStreamResult ParseMdbStream(std::string_view bytes, MdbTableBounds bounds) {
    MdbStreamParser parser(bounds);
    parser.feed(bytes);
    MdbStreamResult result = parser.take();
    return result;
}
