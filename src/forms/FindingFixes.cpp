#include "forms/FindingFixes.h"

#include "edit/AmountCalculations.h"
#include "forms/AmountDisplay.h"
#include "forms/FieldList.h"
#include "forms/FormValidation.h"
#include "store/Cp1250.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"

#include <QDate>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

const QString kDateFormat = QStringLiteral("dd-MM-yyyy");

// A period date as the field list sends it: none for an empty field or the blank mask.
bool Given(std::string_view date) { return !date.empty() && date.front() != ' '; }

QString TaxpayersGenitive(int count) {
    return ShowAmount(count, true) + u' ' +
           PolishPlural(count, QStringLiteral("podatnika"), QStringLiteral("podatników"), QStringLiteral("podatników"));
}

FormKind KindOf(const FormLayout& layout) { return layout.isPit40 ? FormKind::Pit40 : FormKind::Pit11; }

}  // namespace

FindingFix FixFor(FindingKind kind) {
    switch (kind) {
    case FindingKind::Capitals: return FindingFix::Capitals;
    case FindingKind::Period: return FindingFix::Period;
    case FindingKind::Calculation: return FindingFix::Recompute;
    default: return FindingFix::None;
    }
}

bool WriteInCapitals(const FormLayout& layout, TaxpayerRecord& record) {
    return ChangeTaxpayerTextBoxes(KindOf(layout), record, [&layout](int number, std::string_view text) -> std::optional<std::string> {
        const FormBox* box = layout.boxByNumber(number);
        if (!box || !box->capitals) return std::nullopt;
        return cp1250::fromUnicode(cp1250::toCapitals(cp1250::toUnicode(text)));
    });
}

bool PutPeriodInFormYear(const FormLayout& layout, TaxpayerRecord& record) {
    const int year = layout.editionYear;
    if (layout.isPit40 || layout.periodFromBox == 0 || year == 0) return false;
    const auto inYear = [year](std::string_view text, const QDate& otherwise) {
        const std::optional<QDate> date = ReadFormDate(cp1250::toUnicode(text));
        return date && date->year() == year ? *date : otherwise;
    };
    const bool hasFrom = Given(record.pit11_od.view());
    const bool hasTo = Given(record.pit11_do.view());
    QDate from = hasFrom ? inYear(record.pit11_od.view(), QDate(year, 1, 1)) : QDate();
    QDate to = hasTo ? inYear(record.pit11_do.view(), QDate(year, 12, 31)) : QDate();
    if (hasFrom && hasTo && from > to) std::swap(from, to);
    bool changed = false;
    const auto write = [&changed](auto& field, bool given, const QDate& date) {
        if (!given) return;
        const std::string text = date.toString(kDateFormat).toStdString();
        if (field.view() == text) return;
        field.assign(text);
        changed = true;
    };
    write(record.pit11_od, hasFrom, from);
    write(record.pit11_do, hasTo, to);
    return changed;
}

bool RecomputeComputedBoxes(TaxpayerRecord& record) {
    TaxpayerRecord recomputed = record;
    RecomputeRecord(recomputed);  // throws before the record is touched
    bool changed = false;
    for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
        changed = changed || !(recomputed.p11Box(box) == record.p11Box(box));
    for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
        changed = changed || !(recomputed.p40Box(box) == record.p40Box(box));
    if (changed) {
        record.p11 = recomputed.p11;
        record.p40 = recomputed.p40;
    }
    return changed;
}

bool ApplyFindingFix(FindingFix fix, const FormLayout& layout, TaxpayerRecord& record) {
    switch (fix) {
    case FindingFix::Capitals: return WriteInCapitals(layout, record);
    case FindingFix::Period: return PutPeriodInFormYear(layout, record);
    case FindingFix::Recompute: return RecomputeComputedBoxes(record);
    case FindingFix::None: break;
    }
    return false;
}

std::vector<int> TaxpayersToFix(FindingFix fix, const std::vector<const RegisterFinding*>& findings) {
    std::vector<int> positions;
    if (fix == FindingFix::None) return positions;
    for (const RegisterFinding* finding : findings)
        if (finding->position > 0 && FixFor(finding->kind) == fix) positions.push_back(finding->position - 1);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

QString FixQuestion(FindingFix fix, const FormLayout& layout, int taxpayers) {
    switch (fix) {
    case FindingFix::Capitals:
        return QStringLiteral("Zamienić na wielkie litery imiona, nazwiska i adresy %1?").arg(TaxpayersGenitive(taxpayers));
    case FindingFix::Period:
        return QStringLiteral("Poprawić okres (poz. %1 i %2) %3 tak, by mieścił się w roku %4? Data spoza roku albo "
                              "nieprawidłowa zostanie zastąpiona pierwszym lub ostatnim dniem roku.")
            .arg(layout.periodFromBox)
            .arg(layout.periodToBox)
            .arg(TaxpayersGenitive(taxpayers))
            .arg(layout.editionYear);
    case FindingFix::Recompute:
        return QStringLiteral("Przeliczyć wyliczane kwoty %1?").arg(TaxpayersGenitive(taxpayers));
    case FindingFix::None: break;
    }
    return {};
}

QString FixStepName(FindingFix fix) {
    switch (fix) {
    case FindingFix::Capitals: return QStringLiteral("Poprawa wielkich liter");
    case FindingFix::Period: return QStringLiteral("Poprawa okresu PIT-11/8B");
    case FindingFix::Recompute: return QStringLiteral("Przeliczenie kwot");
    case FindingFix::None: break;
    }
    return {};
}

FixOutcome FixTaxpayers(Workspace& workspace, FindingFix fix, const FormLayout& layout, const std::vector<int>& positions) {
    FixOutcome outcome;
    std::unordered_map<const TaxpayerRecord*, int> positionOf;  // made at the first refusal
    outcome.changed = workspace.changeRecords(FixStepName(fix), positions, [&](TaxpayerRecord& record) {
        try {
            return ApplyFindingFix(fix, layout, record);
        } catch (const ConversionError& error) {
            if (positionOf.empty())
                for (const int position : positions)
                    if (position >= 0 && position < workspace.taxpayers.count())
                        positionOf.emplace(&workspace.taxpayers.at(position), position);
            const int position = positionOf.count(&record) ? positionOf.at(&record) : -1;
            outcome.refused << QStringLiteral("Podatnik nr %1 (%2 %3): %4")
                                   .arg(position + 1)
                                   .arg(cp1250::toUnicode(record.nazwisko.view()), cp1250::toUnicode(record.imie1.view()),
                                        error.message());
            return false;
        }
    });
    return outcome;
}
