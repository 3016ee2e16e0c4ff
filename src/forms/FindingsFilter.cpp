#include "forms/FindingsFilter.h"

#include "forms/AmountDisplay.h"

#include <algorithm>
#include <array>

bool FindingsFilter::matches(const FindingRow& row) const {
    if (kind && row.finding.kind != *kind) return false;
    const QString text = taxpayer.trimmed();
    if (text.isEmpty()) return true;
    if (row.surname.contains(text, Qt::CaseInsensitive) || row.firstName.contains(text, Qt::CaseInsensitive)) return true;
    return text.contains(u' ') && (row.surname + u' ' + row.firstName).contains(text, Qt::CaseInsensitive);
}

std::vector<KindCount> CountFindingKinds(const std::vector<FindingRow>& rows) {
    std::array<int, 64> counts{};  // by the kind's value
    for (const FindingRow& row : rows) {
        const auto value = static_cast<std::size_t>(row.finding.kind);
        if (value < counts.size()) ++counts[value];
    }
    std::vector<KindCount> result;
    for (FindingKind kind : kFindingKinds)
        if (const int count = counts[static_cast<std::size_t>(kind)]; count > 0) result.push_back({kind, count});
    std::stable_sort(result.begin(), result.end(), [](const KindCount& a, const KindCount& b) { return a.count > b.count; });
    return result;
}

QString KindCountText(std::optional<FindingKind> kind, int count) {
    const QString what = kind ? FindingKindDescription(*kind) : QStringLiteral("Wszystkie");
    return what + QStringLiteral(" — ") + ShowAmount(count, true);
}
