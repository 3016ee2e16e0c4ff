#include "forms/AmountDisplay.h"

#include "edit/AmountCalculations.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

QString GroupThousands(const QString& plain) {
    // plain: optional "-", digits, optionally "," and decimals
    const bool negative = plain.startsWith(u'-');
    const QString body = negative ? plain.mid(1) : plain;
    const qsizetype comma = body.indexOf(u',');
    const QString whole = comma < 0 ? body : body.left(comma);
    const QString rest = comma < 0 ? QString() : body.mid(comma);
    QString grouped;
    grouped.reserve(whole.size() + whole.size() / 3 + rest.size() + 1);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += u' ';
        grouped += whole[i];
    }
    return (negative ? QStringLiteral("-") : QString()) + grouped + rest;
}

QString WholeText(double value) {
    const double whole = RoundToWhole(value);
    return QString::number(static_cast<long long>(whole));
}

}  // namespace

std::optional<double> ReadShownAmount(const QString& text) {
    std::string clean;
    clean.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        if (ch == u' ' || ch == QChar(0x00A0) || ch == QChar(0x202F)) continue;
        if (ch.unicode() > 127) return std::nullopt;
        clean += static_cast<char>(ch.unicode());
    }
    if (clean.empty()) return std::nullopt;
    if (clean.find(',') == std::string::npos && std::count(clean.begin(), clean.end(), '.') == 1)
        std::replace(clean.begin(), clean.end(), '.', ',');
    try {
        const double value = ReadAmount(clean);
        if (!std::isfinite(value) || std::fabs(value) >= kAmountLimit) return std::nullopt;
        return value;
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

QString ShowAmount(double value, bool wholeZloty) {
    return GroupThousands(FiskonAmount(value, wholeZloty));
}

QString FiskonAmount(double value, bool wholeZloty) {
    if (wholeZloty) return WholeText(value);
    try {
        return QString::fromStdString(FormatAmount(RoundToCents(value)));
    } catch (const ConversionError&) {
        return QString::number(value, 'f', 2).replace(u'.', u',');
    }
}
