#pragma once

#include <string>
#include <string_view>

// An amount read from text together with the number of decimals it was written with, so that sums
// and differences can be taken back to the precision of their arguments.
struct ParsedAmount {
    double value = 0.0;
    int decimals = 0;
};

// Reads like ReadAmount (same accepted forms, same ConversionError; an amount of 10^13 or more is
// refused naming the text as it stands).
ParsedAmount ParseAmount(std::string_view text);

// The general ways of reading and writing an amount, which ParseAmount and FormatAmount take for
// the text and values off their quick path (more than 15 significant digits, more than two
// decimals, errors); they give the same results for every input.
ParsedAmount ParseAmountGeneral(std::string_view text);
std::string FormatAmountGeneral(double value);

// Rounds `value` to `decimals` places when that is exact in a double; otherwise leaves it.
double SnapToDecimals(double value, int decimals);
