#pragma once

#include <QString>
#include <QStringList>

// What `fiskon` was started with (after Qt has taken its own options): at most one data file to
// open, as "Otwórz" would, in place of the start screen.
struct ProgramArguments {
    QString dataFile;
    bool help = false;
    bool version = false;
    QString error;  // a Polish sentence; the program then says it on the terminal and ends
};

ProgramArguments ParseProgramArguments(const QStringList& arguments);

// The text of `fiskon --help`.
QString ProgramUsage();
