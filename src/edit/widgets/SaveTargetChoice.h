#pragma once

#include "store/ChangedFileCheck.h"
#include "ui/UserInterface.h"

#include <QString>

#include <functional>
#include <optional>

// The save-file dialog for a file this Fiskon may have read or written before (the data file, the
// payer file). When `changeOf` finds the chosen file changed or deleted by another program since,
// the user chooses: replace it, pick another name (the dialog again, in the same folder) or stop.
// The name to write (absolute); std::nullopt when the user stops, nothing then written.
std::optional<QString> ChooseSaveTarget(UserInterface& ui, FileDialogRequest request,
                                        const std::function<ChangeSinceStamp(const QString&)>& changeOf);
