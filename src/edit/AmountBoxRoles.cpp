#include "edit/AmountBoxRoles.h"

#include <algorithm>
#include <array>

namespace {

template <std::size_t N>
bool In(const std::array<int, N>& boxes, int box) {
    return std::find(boxes.begin(), boxes.end(), box) != boxes.end();
}

AmountBoxRole Computed() {
    return {AmountBoxRole::Exit::None, AmountBoxRole::Look::Computed, true, false};
}

AmountBoxRole Typed(AmountBoxRole::Exit exit) {
    return {exit, AmountBoxRole::Look::Typed, false, true};
}

}  // namespace

AmountBoxRole Pit11BoxRole(int box) {
    // The "Dochód" column.
    static constexpr std::array<int, 11> computed = {36, 41, 44, 47, 50, 54, 58, 62, 66, 70, 73};
    // Revenue and cost boxes feed the page's formulas.
    static constexpr std::array<int, 19> income = {34, 35, 38, 39, 40, 43, 46, 49, 52, 53,
                                                   56, 57, 60, 61, 64, 65, 68, 69, 72};
    if (In(computed, box))
        return Computed();
    if (In(income, box))
        return Typed(AmountBoxRole::Exit::RecomputePit11);
    return Typed(AmountBoxRole::Exit::NormalizeOnly);  // advances and boxes 75..78
}

AmountBoxRole Pit40BoxRole(int box) {
    static constexpr std::array<int, 12> computed = {37, 42, 45, 48, 52, 56, 60, 62, 63, 64, 65, 71};
    switch (box) {
    case 68:  // the tax base
        return {AmountBoxRole::Exit::NormalizeOnly, AmountBoxRole::Look::Computed, true, false};
    case 71:  // the tax: computed, yet leaving it recomputes like a typed box
        return {AmountBoxRole::Exit::RecomputePit40, AmountBoxRole::Look::Computed, true, false};
    case 74:  // the tax due, in a colour of its own
        return {AmountBoxRole::Exit::NormalizeOnly, AmountBoxRole::Look::TaxDue, true, false};
    case 75:
    case 76:  // to pay / overpaid: computed, but the user may overwrite them
        return {AmountBoxRole::Exit::NormalizeOnly, AmountBoxRole::Look::Computed, false, false};
    default:
        break;
    }
    if (In(computed, box))
        return Computed();
    return Typed(AmountBoxRole::Exit::RecomputePit40);
}
