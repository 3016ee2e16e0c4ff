#include "store/DataFileCommands.h"

#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"

OpenTaxpayersResult OpenTaxpayersFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    OpenTaxpayersResult result;
    LoadFailure kind = LoadFailure::None;
    const bool loaded = LoadFromFile(taxpayers, fileName, &result.failure, &kind, &result.stamp);
    result.usable = loaded && !taxpayers.empty();
    result.refused = kind == LoadFailure::FileRefused;
    return result;
}

bool CanSaveTaxpayers(const Workspace& workspace) { return !workspace.taxpayers.empty(); }

ChangeSinceStamp DataFileChangeBeforeSave(const Workspace& workspace, const QString& fileName) {
    return ChangeBeforeSave(workspace.dataFileName, workspace.dataFileStamp, fileName);
}

// The register and the payer may share one file. A save to it leaves the other's stamp true only
// when that one was true until now.
SaveTaxpayersResult SaveTaxpayersFile(Workspace& workspace, const QString& fileName) {
    if (!CanSaveTaxpayers(workspace)) return SaveTaxpayersResult::NothingToSave;
    const bool payerFollows = StampFollowsSave(workspace.payerFileName, workspace.payerFileStamp, fileName);
    FileStamp written;
    SaveToFile(workspace.taxpayers, fileName, &written);
    workspace.dataFileName = fileName;
    workspace.dataFileStamp = written;
    if (payerFollows) workspace.payerFileStamp = written;
    workspace.markTaxpayersSaved();
    return SaveTaxpayersResult::Saved;
}

ChangeSinceStamp PayerFileChangeBeforeSave(const Workspace& workspace, const QString& fileName) {
    return ChangeBeforeSave(workspace.payerFileName, workspace.payerFileStamp, fileName);
}

void SavePayerFile(Workspace& workspace, const QString& fileName) {
    const bool dataFollows = StampFollowsSave(workspace.dataFileName, workspace.dataFileStamp, fileName);
    FileStamp written;
    SaveToFile(workspace.payer, fileName, &written);
    workspace.payerFileName = fileName;
    workspace.payerFileStamp = written;
    if (dataFollows) workspace.dataFileStamp = written;
    workspace.markPayerSaved();
}

void OpenPayerFile(Workspace& workspace, const QString& fileName) {
    FileStamp read;
    LoadPayerFile(workspace.payer, fileName, &read);
    workspace.payerFileName = fileName;
    workspace.payerFileStamp = read;
    workspace.markPayerSaved();
}
