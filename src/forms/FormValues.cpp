#include "forms/FormValues.h"

#include "forms/AmountDisplay.h"

bool IsBlankValue(const QString& value) {
    for (QChar ch : value)
        if (ch != u' ' && ch != u'-') return false;
    return true;
}

QString FiskonAmountText(const FormBox& box, const QString& shown) {
    if (IsFiskonAmountForm(QStringView(shown), box.kind == BoxKind::WholeAmount)) return shown;
    if (QStringView(shown).trimmed().isEmpty()) return {};
    const auto amount = ReadShownAmount(shown);
    if (!amount) return shown;
    return FiskonAmount(*amount, box.kind == BoxKind::WholeAmount);
}
