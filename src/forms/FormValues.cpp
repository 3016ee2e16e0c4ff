#include "forms/FormValues.h"

#include "forms/AmountDisplay.h"

bool IsBlankValue(const QString& value) {
    for (QChar ch : value)
        if (ch != u' ' && ch != u'-') return false;
    return true;
}

namespace {

// True for text already in Fiskon's form: digits without a leading zero (a lone 0 allowed), then
// for grosze a comma and two digits.
bool IsFiskonForm(const QString& text, bool wholeZloty) {
    const qsizetype digits = wholeZloty ? text.size() : text.size() - 3;
    if (digits < 1 || (digits > 1 && text[0] == u'0')) return false;
    if (!wholeZloty && text[digits] != u',') return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (i != digits && (text[i] < u'0' || text[i] > u'9')) return false;
    return true;
}

}  // namespace

QString FiskonAmountText(const FormBox& box, const QString& shown) {
    if (IsFiskonForm(shown, box.kind == BoxKind::WholeAmount)) return shown;
    if (shown.trimmed().isEmpty()) return {};
    const auto amount = ReadShownAmount(shown);
    if (!amount) return shown;
    return FiskonAmount(*amount, box.kind == BoxKind::WholeAmount);
}
