#pragma once

#include <QString>

#include <functional>

class TFMain;

// How the program starts: the data file named on the command line, and (for the tests that run
// the whole program) a call made once the main window is shown.
struct ProgramStart {
    QString dataFile;
    std::function<void(TFMain&)> started;
};

// Makes every window once, in the program's order, runs the program until the user closes it and
// returns its exit code. The application object (QApplication) must exist.
int RunFiskon(const ProgramStart& start);
