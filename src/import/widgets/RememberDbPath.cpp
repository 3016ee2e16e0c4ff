#include "import/widgets/RememberDbPath.h"

#include "settings/ProgramSettings.h"
#include "store/FileErrors.h"
#include "ui/ErrorMessage.h"

void RememberDbPath(ProgramSettings& settings, const QString& path, UserInterface& ui) {
    try {
        settings.SetParam(QStringLiteral("DatabasePath"), path);
    } catch (const FileError& error) {
        ShowErrorMessage(ui, error);
    }
}
