#include "import/MdbStreamParser.h"

#include <optional>

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

struct Frame {
    char tag = 0;
    std::string_view payload;
};

// Reads frames and list items from the stream without ever reading past its end.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ == bytes_.size(); }

    std::optional<Frame> next() {
        if (bytes_.size() - pos_ < 5) return std::nullopt;
        const char tag = bytes_[pos_];
        const std::uint32_t length = readU32(bytes_.data() + pos_ + 1);
        if (length > bytes_.size() - pos_ - 5) return std::nullopt;
        Frame frame{tag, bytes_.substr(pos_ + 5, length)};
        pos_ += 5 + length;
        return frame;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Splits a list payload; std::nullopt unless it holds exactly the count it announces.
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

MdbStreamResult Malformed(MdbStreamResult result, const char* why) {
    result.status = MdbStreamResult::Status::Malformed;
    result.detail = why;
    return result;
}

}  // namespace

int MdbTableData::columnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (EqualFolded(columns_[i], column)) return static_cast<int>(i);
    return -1;
}

class MdbStreamParser {
public:
    static MdbStreamResult parse(std::string bytes);
    static bool readTable(Cursor& cursor, MdbTableData& table);
};

bool MdbStreamParser::readTable(Cursor& cursor, MdbTableData& table) {
    auto columns = cursor.next();
    if (!columns || columns->tag != kColumns) return false;
    if (!ReadList(columns->payload, [&](std::string_view name) { table.columns_.emplace_back(name); }))
        return false;
    const std::size_t width = table.columns_.size();
    for (;;) {
        auto frame = cursor.next();
        if (!frame) return false;
        if (frame->tag == kTableEnd) {
            if (frame->payload.size() != 4) return false;
            table.rows_ = readU32(frame->payload.data());
            if (width != 0 && table.rows_ != table.cells_.size() / width) return false;
            return true;
        }
        if (frame->tag != kRow) return false;
        std::uint32_t count = 0;
        if (!ReadList(frame->payload, [&](std::string_view cell) { table.cells_.push_back(cell); }, &count))
            return false;
        if (count != width) return false;
    }
}

MdbStreamResult MdbStreamParser::parse(std::string bytes) {
    auto stream = std::make_shared<const std::string>(std::move(bytes));
    Cursor cursor(*stream);
    MdbStreamResult result;

    auto hello = cursor.next();
    if (!hello || hello->tag != kHello || hello->payload != kMagic)
        return Malformed(std::move(result), "no greeting");
    for (;;) {
        auto frame = cursor.next();
        if (!frame) return Malformed(std::move(result), "cut off");
        switch (frame->tag) {
            case kOpened:
                if (result.opened || !frame->payload.empty()) return Malformed(std::move(result), "bad opening");
                result.opened = true;
                break;
            case kTable: {
                if (!result.opened) return Malformed(std::move(result), "table before opening");
                MdbTableData table(stream, std::string(frame->payload));
                if (!readTable(cursor, table)) return Malformed(std::move(result), "damaged table");
                result.tables.push_back(std::move(table));
                break;
            }
            case kFailure: {
                if (frame->payload.empty() || !cursor.atEnd()) return Malformed(std::move(result), "bad failure");
                const auto code = static_cast<unsigned char>(frame->payload[0]);
                if (code < 1 || code > static_cast<unsigned char>(MdbFailure::Internal))
                    return Malformed(std::move(result), "unknown failure");
                result.status = MdbStreamResult::Status::Failed;
                result.failure = static_cast<MdbFailure>(code);
                result.detail.assign(frame->payload.substr(1));
                return result;
            }
            case kEnd:
                if (!result.opened || !frame->payload.empty() || !cursor.atEnd())
                    return Malformed(std::move(result), "bad end");
                result.status = MdbStreamResult::Status::Complete;
                return result;
            default:
                return Malformed(std::move(result), "unknown frame");
        }
    }
}

MdbStreamResult ParseMdbStream(std::string bytes) {
    return MdbStreamParser::parse(std::move(bytes));
}
