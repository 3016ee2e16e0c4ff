#include "store/DataFileCommands.h"

#include "store/PayerRecord.h"
#include "store/TaxpayerDataFile.h"

OpenTaxpayersResult OpenTaxpayersFile(TaxpayerRegister& taxpayers, const QString& fileName) {
    OpenTaxpayersResult result;
    LoadFailure kind = LoadFailure::None;
    const bool loaded = LoadFromFile(taxpayers, fileName, &result.failure, &kind, &result.stamp);
    result.usable = loaded && !taxpayers.empty();
    result.refused = kind == LoadFailure::FileRefused || kind == LoadFailure::OverlongAmount;
    return result;
}

bool CanSaveTaxpayers(const Workspace& workspace) { return !workspace.taxpayers.empty(); }

ChangeSinceStamp DataFileChangeBeforeSave(const Workspace& workspace, const QString& fileName) {
    return ChangeBeforeSave(workspace.dataFileName, workspace.dataFileStamp, fileName);
}

namespace {

// Writes the file (`write` hands back the stamp of the bytes written) and takes it as `name` with
// that stamp. The register and the payer may share one file: the other one's stamp follows the
// save when it was true until now.
template <typename Write>
void SaveStamped(QString& name, FileStamp& stamp, const QString& otherName, FileStamp& otherStamp,
                 const QString& fileName, Write&& write) {
    const bool otherFollows = StampFollowsSave(otherName, otherStamp, fileName);
    FileStamp written;
    write(&written);
    name = fileName;
    stamp = written;
    if (otherFollows) otherStamp = written;
}

}  // namespace

SaveTaxpayersResult SaveTaxpayersFile(Workspace& workspace, const QString& fileName) {
    if (!CanSaveTaxpayers(workspace)) return SaveTaxpayersResult::NothingToSave;
    SaveStamped(workspace.dataFileName, workspace.dataFileStamp, workspace.payerFileName, workspace.payerFileStamp,
                fileName, [&](FileStamp* written) { SaveToFile(workspace.taxpayers, fileName, written); });
    workspace.markTaxpayersSaved();
    return SaveTaxpayersResult::Saved;
}

ChangeSinceStamp PayerFileChangeBeforeSave(const Workspace& workspace, const QString& fileName) {
    return ChangeBeforeSave(workspace.payerFileName, workspace.payerFileStamp, fileName);
}

void SavePayerFile(Workspace& workspace, const QString& fileName) {
    SaveStamped(workspace.payerFileName, workspace.payerFileStamp, workspace.dataFileName, workspace.dataFileStamp,
                fileName, [&](FileStamp* written) { SaveToFile(workspace.payer, fileName, written); });
    workspace.markPayerSaved();
}

void OpenPayerFile(Workspace& workspace, const QString& fileName) {
    FileStamp read;
    LoadPayerFile(workspace.payer, fileName, &read);
    workspace.payerFileName = fileName;
    workspace.payerFileStamp = read;
    workspace.markPayerSaved();
}
