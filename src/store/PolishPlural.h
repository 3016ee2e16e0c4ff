#pragma once

#include <QString>

// Polish grammatical number after a count: 1 takes `one` ("dokument"), counts ending in 2–4
// (but not 12–14) take `few` ("dokumenty"), every other count takes `many` ("dokumentów").
// For the genitive after "z" ("1 z 5 dokumentów") pass the genitive singular as `one` and the
// genitive plural as both `few` and `many`.
inline const QString& PolishPlural(long long count, const QString& one, const QString& few, const QString& many) {
    const long long n = count < 0 ? -count : count;
    if (n == 1) return one;
    const long long lastTwo = n % 100;
    const long long last = n % 10;
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) return few;
    return many;
}
