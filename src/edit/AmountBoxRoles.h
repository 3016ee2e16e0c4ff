#pragma once

// What each amount box of the edit form is: typed or computed, and what leaving it does.
struct AmountBoxRole {
    enum class Exit {
        None,            // computed box: leaving it changes nothing
        NormalizeOnly,   // the box is cleaned up
        RecomputePit11,  // cleaned up, then the PIT-11/8B page is recomputed
        RecomputePit40,  // cleaned up, then the PIT-40 page is recomputed
    };
    enum class Look { Typed, Computed, TaxDue };

    Exit exit = Exit::None;
    Look look = Look::Typed;
    bool readOnly = false;
    bool tabStop = true;  // computed boxes are skipped by the Tab key
};

// Box 34..78 of the PIT-11/8B page.
AmountBoxRole Pit11BoxRole(int box);
// Box 35..76 of the PIT-40 page.
AmountBoxRole Pit40BoxRole(int box);
