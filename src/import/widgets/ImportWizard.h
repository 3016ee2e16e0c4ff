#pragma once

#include <QString>

// The import wizard's run: the main window keeps `importStep` and shows the window of the step in
// force until it reaches 4; each step window moves it on before it closes.
namespace importstep {
inline constexpr int kDatabaseFile = 0;  // TFImport: where the database file is
inline constexpr int kLogin = 1;         // TFImport1: the database password
inline constexpr int kOptions = 2;       // TFImport3: what to import
inline constexpr int kFinished = 4;      // finished or cancelled; any value from 4 on ends the run
}  // namespace importstep

// Caption of the wizard's first two steps.
QString ImportWizardTitle();
