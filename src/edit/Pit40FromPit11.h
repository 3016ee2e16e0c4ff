#pragma once

// "Przepisz z PIT-11/8B": the PIT-40 boxes that take their amounts from the PIT-11/8B page, so
// that an amount typed once serves both forms.

#include "edit/AmountCalculations.h"

#include <string>
#include <vector>

// One PIT-40 box and the PIT-11/8B boxes whose sum it takes. Revenue, costs and advances go row
// to row; the PIT-40 has one row for work done in person (art. 13) where the PIT-11/8B has four
// (rows 6 to 9), and one row for other sources where the PIT-11/8B has two (rows 5 and 11). The
// income column is not taken: the PIT-40 page computes it.
struct Pit40Source {
    int pit40Box = 0;
    std::vector<int> pit11Boxes;
};

// Every pair, in the PIT-40's box order.
const std::vector<Pit40Source>& Pit40SourcesInPit11();

// A box the transfer would change.
struct Pit40Transfer {
    int box = 0;           // PIT-40 box
    std::string text;      // its new text: the sum of its sources, empty when they all are
    bool replaces = false; // the box holds an amount of its own that this would overwrite
};

// What the transfer would write into `pit40` from `pit11`: only the boxes whose text would change.
// Throws ConversionError for a PIT-11/8B box that cannot be read (nothing is written then).
std::vector<Pit40Transfer> PlanPit40FromPit11(const AmountBoxes& pit11, const AmountBoxes& pit40);

// Writes the plan: every box with `replaceTyped`, otherwise only the boxes that held nothing.
void ApplyPit40FromPit11(const std::vector<Pit40Transfer>& plan, AmountBoxes& pit40, bool replaceTyped);
