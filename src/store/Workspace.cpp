#include "store/Workspace.h"

int Workspace::changeRecords(const QString& text, const std::vector<int>& positions,
                             const std::function<bool(TaxpayerRecord&)>& change) {
    (void)text;
    int changedCount = 0;
    for (const int position : positions) {
        if (position < 0 || position >= taxpayers.count()) continue;
        if (change(taxpayers.at(position))) ++changedCount;
    }
    if (changedCount > 0) markTaxpayersChanged();
    return changedCount;
}
