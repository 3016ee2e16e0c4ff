#include "edit/AmountCalculations.h"
#include "edit/AmountParsing.h"

#include <algorithm>
#include <initializer_list>

namespace {

// The exact decimal result of adding and subtracting amounts: the double sum taken back to the
// largest number of decimals among the terms.
double SignedSum(std::initializer_list<std::string_view> added,
                 std::initializer_list<std::string_view> subtracted = {}) {
    double sum = 0.0;
    int decimals = 0;
    for (std::string_view text : added) {
        const ParsedAmount amount = ParseAmount(text);
        sum += amount.value;
        decimals = std::max(decimals, amount.decimals);
    }
    for (std::string_view text : subtracted) {
        const ParsedAmount amount = ParseAmount(text);
        sum -= amount.value;
        decimals = std::max(decimals, amount.decimals);
    }
    return SnapToDecimals(sum, decimals);
}

std::string PositiveOrZero(double value) { return value > 0.0 ? FormatAmount(value) : "0,00"; }

}  // namespace

std::string AmountDiff(std::string_view a, std::string_view b) {
    return PositiveOrZero(SignedSum({a}, {b}));
}

std::string RowIncome(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
    return PositiveOrZero(SignedSum({a, c}, {b, d}));
}

std::string AmountSum(std::string_view a1, std::string_view a2, std::string_view a3, std::string_view a4,
                      std::string_view a5, std::string_view a6, std::string_view a7, std::string_view a8) {
    return PositiveOrZero(SignedSum({a1, a2, a3, a4, a5, a6, a7, a8}));
}

std::string TaxBase(std::string_view a, std::string_view b, std::string_view c) {
    const double base = SignedSum({a}, {b, c});
    if (!(base > 0.0)) return "0,00";  // deductions above the income leave no base, not a negative one
    return FormatAmount(RoundToWhole(base));
}

std::string DueTax(std::string_view a, std::string_view b) {
    const double due = SignedSum({a}, {b});
    if (!(due > 0.0)) return "0";
    std::string text = FormatAmount(RoundToWhole(due));  // whole, so it ends in ",00"
    text.resize(text.size() - 3);
    return text;
}
