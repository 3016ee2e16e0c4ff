// The program's parser of the database reader helper's stream, on any bytes.
#include "import/MdbStreamParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MdbStreamResult result = ParseMdbStream(std::string(reinterpret_cast<const char*>(data), size));
    std::size_t total = 0;
    for (const MdbTableData& table : result.tables) {
        total += static_cast<std::size_t>(table.columnIndex("ID_UBEZPIECZONY") + 1);
        for (std::size_t row = 0; row < table.rowCount(); ++row)
            for (std::size_t column = 0; column < table.columns().size(); ++column)
                total += table.value(row, column).size();
    }
    if (total > size * 2 + 16) __builtin_trap();  // values can only come from the input

    // The same bytes arriving in pieces give the same result.
    const std::size_t piece = size ? data[0] % 17 + 1 : 1;
    MdbStreamParser parser;
    for (std::size_t at = 0; at < size; at += piece)
        parser.feed(std::string_view(reinterpret_cast<const char*>(data) + at, std::min(piece, size - at)));
    const MdbStreamResult pieces = parser.take();
    if (pieces.status != result.status || pieces.tables.size() != result.tables.size()) __builtin_trap();
    return 0;
}
