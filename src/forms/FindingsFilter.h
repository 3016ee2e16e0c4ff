#pragma once

#include "forms/FindingKind.h"
#include "forms/FindingsList.h"

#include <QString>

#include <optional>
#include <vector>

// Which findings of the register check the list shows: those of one kind or of every kind, and of
// those only the ones about taxpayers whose name holds a text.
struct FindingsFilter {
    std::optional<FindingKind> kind;  // none: "Wszystkie"
    // Letter case aside, a part of the surname or of the first name, or of both as "NAZWISKO IMIĘ";
    // blanks around it do not count, an empty text takes every row. The payer's findings go by
    // the payer's name.
    QString taxpayer;

    bool matches(const FindingRow& row) const;
};

// A kind of finding and how many of the list's findings are of it.
struct KindCount {
    FindingKind kind;
    int count = 0;
};

// The kinds the findings are of, the most frequent first (kinds as frequent in kFindingKinds order).
std::vector<KindCount> CountFindingKinds(const std::vector<FindingRow>& rows);

// A line of the list of kinds: "formularz wypełnia się dużymi literami — 187 542"; for no kind,
// "Wszystkie — 294 735".
QString KindCountText(std::optional<FindingKind> kind, int count);
