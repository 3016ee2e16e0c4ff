#include "store/DataFileCommands.h"

#include "store/TaxpayerDataFile.h"

OpenTaxpayersResult OpenTaxpayersFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    OpenTaxpayersResult result;
    LoadFailure kind = LoadFailure::None;
    const bool loaded = LoadFromFile(taxpayers, fileName, &result.failure, &kind);
    result.usable = loaded && !taxpayers.empty();
    result.refused = kind == LoadFailure::FileRefused || kind == LoadFailure::OverlongAmount;
    return result;
}

bool CanSaveTaxpayers(const Workspace& workspace) { return !workspace.taxpayers.empty(); }

SaveTaxpayersResult SaveTaxpayersFile(Workspace& workspace, const QString& fileName) {
    if (!CanSaveTaxpayers(workspace)) return SaveTaxpayersResult::NothingToSave;
    SaveToFile(workspace.taxpayers, fileName);
    workspace.dataFileName = fileName;
    workspace.markTaxpayersSaved();
    return SaveTaxpayersResult::Saved;
}
