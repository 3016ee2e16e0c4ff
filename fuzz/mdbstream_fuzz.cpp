// The program's parser of the database reader helper's stream, on any bytes.
#include "import/MdbStreamParser.h"

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
    return 0;
}
