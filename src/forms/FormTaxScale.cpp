#include "forms/FormTaxScale.h"

#include "edit/AmountCalculations.h"

#include <QStringList>

namespace {

std::optional<double> ReadScaleNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    for (QChar ch : trimmed)
        if (ch.unicode() > 127) return std::nullopt;
    try {
        return ReadAmount(trimmed.toStdString());
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<FormTaxScale> FormTaxScale::Parse(const QString& text, QString* error) {
    FormTaxScale scale;
    int lineNumber = 0;
    for (const QString& rawLine : text.split(u'\n')) {
        ++lineNumber;
        const QString line = rawLine.trimmed();
        if (line.isEmpty()) continue;
        const QStringList parts = line.split(u';');
        std::optional<double> from, rate, amount;
        if (parts.size() == 3) {
            from = ReadScaleNumber(parts[0]);
            rate = ReadScaleNumber(parts[1]);
            amount = ReadScaleNumber(parts[2]);
        }
        if (!from || !rate || !amount) {
            if (error) *error = QStringLiteral("Wiersz %1 skali podatkowej nie ma postaci „próg;stawka;kwota”.").arg(lineNumber);
            return std::nullopt;
        }
        if (*rate < 0 || *rate > 100) {
            if (error) *error = QStringLiteral("Wiersz %1 skali podatkowej ma stawkę spoza zakresu 0–100%.").arg(lineNumber);
            return std::nullopt;
        }
        if (!scale.brackets_.empty() && *from <= scale.brackets_.back().from) {
            if (error) *error = QStringLiteral("Progi skali podatkowej muszą rosnąć (wiersz %1).").arg(lineNumber);
            return std::nullopt;
        }
        scale.brackets_.push_back({*from, *rate / 100.0, *amount});
    }
    if (scale.brackets_.empty()) {
        if (error) *error = QStringLiteral("Skala podatkowa nie ma żadnego progu.");
        return std::nullopt;
    }
    return scale;
}

std::string FormTaxScale::Tax(std::string_view baseText) const {
    const double base = ReadAmount(baseText);
    const double bracketChooser = RoundToWhole(base);
    const Bracket* chosen = &brackets_.front();
    for (const Bracket& bracket : brackets_)
        if (bracket.from <= bracketChooser) chosen = &bracket;
    double tax = (base - chosen->from) * chosen->rate + chosen->amount;
    if (tax < 0.0) tax = 0.0;
    return FormatAmount(RoundToCents(tax));
}
