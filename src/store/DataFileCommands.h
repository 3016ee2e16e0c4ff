#pragma once

#include "store/ChangedFileCheck.h"
#include "store/Workspace.h"

#include <QString>

// What the main window's Open and Save as do with the register, without the dialogs, so that
// the window and fiskon-cli behave the same.

inline const QString kNoUsableDataMessage = QStringLiteral("Wskazany plik nie zawierał przydatnych danych!");
inline const QString kNothingToSaveMessage = QStringLiteral("Nie ma żadnych danych do zapisania!");

struct OpenTaxpayersResult {
    // False when the load failed or gave no records: show kNoUsableDataMessage.
    bool usable = false;
    // Why a load failed (a Polish sentence), empty when it did not fail or only found no records.
    QString failure;
    // The file was refused for what it is (unreadable, too large, not a regular file, more
    // taxpayers than a register may hold) or for an amount too long for its box: show `failure`
    // itself, not kNoUsableDataMessage.
    bool refused = false;
    // What the file held, for the check before it is saved over (known when it was read).
    FileStamp stamp;
};

// Open: empties the register, loads the file and sorts it by the register's own sort key. The
// saved flags are left as they are. After a failed load the register is as it was before.
OpenTaxpayersResult OpenTaxpayersFile(TaxpayerRegister& taxpayers, const QString& fileName);

enum class SaveTaxpayersResult { Saved, NothingToSave };

// Whether Save as may ask for a file name at all: an empty register has nothing to save.
bool CanSaveTaxpayers(const Workspace& workspace);

// Whether another program changed or deleted the data file this Fiskon opened or saved, when a
// save to `fileName` is about to replace it (None for another file).
ChangeSinceStamp DataFileChangeBeforeSave(const Workspace& workspace, const QString& fileName);

// Save as, once the file is chosen: NothingToSave (and no file touched) for an empty register;
// otherwise writes the file, takes it as the data file with the stamp of the bytes written, and
// marks the taxpayer data saved. Throws FileError, the flag then unchanged and the earlier file
// intact.
SaveTaxpayersResult SaveTaxpayersFile(Workspace& workspace, const QString& fileName);

// The payer form's save and load, once the file is chosen: the payer file and its stamp are
// remembered, the payer data marked saved. Throw FileError (and ConversionError for a load whose
// "Rodzaj" is not a number), the workspace then unchanged.
ChangeSinceStamp PayerFileChangeBeforeSave(const Workspace& workspace, const QString& fileName);
void SavePayerFile(Workspace& workspace, const QString& fileName);
void OpenPayerFile(Workspace& workspace, const QString& fileName);
