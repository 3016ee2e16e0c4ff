#include "store/Workspace.h"

#include "store/RegisterChangeRecording.h"

int Workspace::changeRecords(const QString& text, const std::vector<int>& positions,
                             const std::function<bool(TaxpayerRecord&)>& change) {
    RegisterChangeRecording recording(*this, text, positions);
    int changedCount = 0;
    for (const int position : positions) {
        if (position < 0 || position >= taxpayers.count()) continue;
        if (change(taxpayers.at(position))) ++changedCount;
    }
    recording.finish();
    if (changedCount > 0) markTaxpayersChanged();
    return changedCount;
}
