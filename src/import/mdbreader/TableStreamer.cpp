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

bool StreamTable(MdbTableDef* table, FrameWriter& out) {
    using namespace mdbstream;
    mdb_read_columns(table);
    const unsigned columnCount = table->num_cols;

    constexpr std::size_t kBindSize = MDB_BIND_SIZE;
    std::vector<std::unique_ptr<char[]>> values(columnCount);
    std::vector<int> lengths(columnCount, 0);

    std::string& buffer = out.buffer();
    appendFrame(buffer, kTable, table->name);
    std::size_t frame = beginFrame(buffer, kColumns);
    appendU32(buffer, columnCount);
    for (unsigned c = 0; c < columnCount; ++c) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        appendListItem(buffer, column->name);
        values[c] = std::make_unique<char[]>(kBindSize + 1);
        mdb_bind_column(table, static_cast<int>(c + 1), values[c].get(), &lengths[c]);
    }
    endFrame(buffer, frame);

    mdb_rewind_table(table);
    std::uint32_t rows = 0;
    while (mdb_fetch_row(table)) {
        frame = beginFrame(buffer, kRow);
        appendU32(buffer, columnCount);
        for (unsigned c = 0; c < columnCount; ++c) {
            std::size_t length = lengths[c] > 0 ? static_cast<std::size_t>(lengths[c]) : 0;
            length = std::min(length, std::strlen(values[c].get()));
            appendListItem(buffer, std::string_view(values[c].get(), length));
        }
        endFrame(buffer, frame);
        ++rows;
        if (!out.flushIfLarge()) return false;
    }
    std::string count;
    appendU32(count, rows);
    appendFrame(buffer, kTableEnd, count);
    return out.flushIfLarge();
}
