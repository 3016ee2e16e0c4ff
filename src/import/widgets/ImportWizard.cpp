#include "import/widgets/ImportWizard.h"

#include <QDialog>
#include <QFileInfo>

QString ImportWizardTitle() {
    return QStringLiteral("Kreator importu danych z Programu Płatnika");
}

void RunImportWizard(int& importStep, const ImportWizardSteps& steps) {
    importStep = importstep::kDatabaseFile;
    while (importStep < importstep::kFinished) {
        switch (importStep) {
        case importstep::kDatabaseFile: steps.databaseFile.exec(); break;
        case importstep::kLogin: steps.login.exec(); break;
        case importstep::kOptions: steps.options.exec(); break;
        default:
            // 3 is no step of its own; a window that left it behind ends the run rather than
            // looping for ever.
            importStep = importstep::kFinished;
            break;
        }
    }
}

bool DatabaseFileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}
