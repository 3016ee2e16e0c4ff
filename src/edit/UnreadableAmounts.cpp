#include "edit/UnreadableAmounts.h"

#include "edit/AmountParsing.h"
#include "store/FileErrors.h"

namespace {

template <typename Text>
void Check(const QString& form, int box, const Text& text, std::vector<UnreadableAmount>& found) {
    if (text.empty()) return;
    try {
        ParseAmount(text.view());
    } catch (const ConversionError& error) {
        found.push_back({form, box, error.message()});
    }
}

}  // namespace

std::vector<UnreadableAmount> UnreadableAmounts(const TaxpayerRecord& record, AmountForms forms) {
    std::vector<UnreadableAmount> found;
    if (forms != AmountForms::Pit40)
        for (int box = TaxpayerRecord::kFirstP11Box; box <= TaxpayerRecord::kLastP11Box; ++box)
            Check(QStringLiteral("PIT-11/8B"), box, record.p11Box(box), found);
    if (forms != AmountForms::Pit11)
        for (int box = TaxpayerRecord::kFirstP40Box; box <= TaxpayerRecord::kLastP40Box; ++box)
            Check(QStringLiteral("PIT-40"), box, record.p40Box(box), found);
    return found;
}
