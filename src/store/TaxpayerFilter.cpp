#include "store/TaxpayerFilter.h"

#include <QString>

TaxpayerFilter::TaxpayerFilter(QStringView text) {
    bool lossless = false;
    folded_ = FoldForSearch(text.trimmed(), &lossless);
    impossible_ = !lossless;  // no record holds a character the code page lacks
    for (const char byte : folded_)
        if (byte != '-' && byte != ' ') nipDigits_.push_back(byte);
}

bool TaxpayerFilter::matches(const TaxpayerRecord& record) const {
    if (empty()) return true;
    TaxpayerSearchText text;
    text.append(record);
    std::vector<int> found;
    collect(text, found);
    return !found.empty();
}

void TaxpayerFilter::collect(const TaxpayerSearchText& text, std::vector<int>& positions) const {
    if (impossible_) {
        positions.clear();
        return;
    }
    text.find(folded_, nipDigits_, positions);
}
