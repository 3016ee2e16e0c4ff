#include "TableStreamer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

bool FrameWriter::flushIfLarge() {
    return buffer_.size() < (1u << 20) || flush();
}

bool FrameWriter::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(STDOUT_FILENO, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            buffer_.clear();
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
    return true;
}

namespace {

bool SameName(const char* a, const std::string& b) {
    return g_ascii_strcasecmp(a, b.c_str()) == 0;
}

// Positions (from 0) of the columns to send: all, or those asked for that the table has.
std::vector<unsigned> ChosenColumns(MdbTableDef* table, const std::vector<std::string>& asked) {
    std::vector<unsigned> chosen;
    const unsigned count = table->num_cols;
    if (asked.empty()) {
        for (unsigned c = 0; c < count; ++c) chosen.push_back(c);
        return chosen;
    }
    for (const std::string& name : asked)
        for (unsigned c = 0; c < count; ++c)
            if (SameName(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c))->name, name)) {
                chosen.push_back(c);
                break;
            }
    return chosen;
}

}  // namespace

bool StreamTable(MdbTableDef* table, const std::vector<std::string>& columns, FrameWriter& out, bool& complete) {
    using namespace mdbstream;
    mdb_read_columns(table);
    const std::vector<unsigned> chosen = ChosenColumns(table, columns);
    const auto width = static_cast<std::uint32_t>(chosen.size());

    constexpr std::size_t kBindSize = MDB_BIND_SIZE;
    std::vector<std::unique_ptr<char[]>> values(width);
    std::vector<int> lengths(width, 0);

    std::string& buffer = out.buffer();
    appendFrame(buffer, kTable, table->name);
    std::size_t frame = beginFrame(buffer, kColumns);
    appendU32(buffer, width);
    for (std::uint32_t i = 0; i < width; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, chosen[i]));
        appendListItem(buffer, column->name);
        values[i] = std::make_unique<char[]>(kBindSize + 1);
        mdb_bind_column(table, static_cast<int>(chosen[i] + 1), values[i].get(), &lengths[i]);
    }
    endFrame(buffer, frame);

    mdb_rewind_table(table);
    std::uint32_t rows = 0;
    while (mdb_fetch_row(table)) {
        frame = beginFrame(buffer, kRow);
        appendU32(buffer, width);
        for (std::uint32_t i = 0; i < width; ++i) {
            std::size_t length = lengths[i] > 0 ? static_cast<std::size_t>(lengths[i]) : 0;
            length = std::min(length, std::strlen(values[i].get()));
            appendListItem(buffer, std::string_view(values[i].get(), length));
        }
        endFrame(buffer, frame);
        ++rows;
        if (!out.flushIfLarge()) return false;
    }
    complete = rows == table->num_rows;
    if (!complete) return true;
    std::string count;
    appendU32(count, rows);
    appendFrame(buffer, kTableEnd, count);
    return out.flushIfLarge();
}
