#pragma once

#include <QString>

class QDialog;

// The import wizard's run: the main window keeps `importStep`, each step window moves it on before
// it closes, and the loop below shows the window of the step in force until the run is over.
namespace importstep {
inline constexpr int kDatabaseFile = 0;  // TFImport: where the database file is
inline constexpr int kLogin = 1;         // TFImport1: the database password
inline constexpr int kOptions = 2;       // TFImport3: what to import
inline constexpr int kFinished = 4;      // finished or cancelled; any value from 4 on ends the run
}  // namespace importstep

// Caption of the wizard's first two steps.
QString ImportWizardTitle();

struct ImportWizardSteps {
    QDialog& databaseFile;
    QDialog& login;
    QDialog& options;
};

// Starts the run at the first step and shows each step modally until a step sets 4 or more.
void RunImportWizard(int& importStep, const ImportWizardSteps& steps);

// True when `path` names an existing file (not a folder); an empty path names nothing.
bool DatabaseFileExists(const QString& path);
