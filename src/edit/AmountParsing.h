#pragma once

#include <string_view>

// An amount read from text together with the number of decimals it was written with, so that sums
// and differences can be taken back to the precision of their arguments.
struct ParsedAmount {
    double value = 0.0;
    int decimals = 0;
};

// Reads like ReadAmount (same accepted forms, same ConversionError).
ParsedAmount ParseAmount(std::string_view text);

// Rounds `value` to `decimals` places when that is exact in a double; otherwise leaves it.
double SnapToDecimals(double value, int decimals);
