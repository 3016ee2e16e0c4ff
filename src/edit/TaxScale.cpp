#include "edit/AmountCalculations.h"

namespace {

// The progressive scale: rates, bracket limits and the tax at each limit less the deduction.
constexpr double kLowRate = 0.19;
constexpr double kMiddleRate = 0.3;
constexpr double kHighRate = 0.4;
constexpr double kMiddleLimit = 37024;
constexpr double kHighLimit = 74048;
constexpr double kDeduction = 530.08;
constexpr double kTaxAtMiddleLimit = 6504.48;
constexpr double kTaxAtHighLimit = 17611.68;

}  // namespace

std::string ComputeTax(std::string_view baseText) {
    const double base = ReadAmount(baseText);
    const double bracket = RoundToWhole(base);  // chooses the bracket only
    double tax = 0.0;
    if (bracket < kMiddleLimit)
        tax = base * kLowRate - kDeduction;
    else if (bracket < kHighLimit)
        tax = (base - kMiddleLimit) * kMiddleRate + kTaxAtMiddleLimit;
    else
        tax = (base - kHighLimit) * kHighRate + kTaxAtHighLimit;
    if (tax < 0.0) tax = 0.0;
    return FormatAmount(RoundToCents(tax));
}
