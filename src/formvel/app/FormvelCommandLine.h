#pragma once

#include <QStringList>

// formvel's command line. The server runs only without arguments or with "/SERWER"; anything else
// is answered at once (help, version, or the usage for a bad command line), so that a mistyped
// command never leaves a hidden server with a registered window behind.
inline constexpr int kFormvelExitFailure = 1;  // the work could not be done (message on stderr)
inline constexpr int kFormvelExitUsage = 2;    // bad command line

struct FormvelCommandLine {
    enum Kind { Server, ShowFile, WritePdf, Done } kind = Server;
    bool serverSwitch = false;  // "/SERWER": the server belongs to Fiskon
    int exitCode = 0;           // Done: the program's exit code
    QStringList files;          // ShowFile: SYMBOL PLIK; WritePdf: SYMBOL PLIK WYNIK.pdf
};

// Reads the arguments (before any application object exists). Help and version go to standard
// output, a bad command line's reason and the Polish usage to standard error; both give Done.
FormvelCommandLine ReadFormvelCommandLine(int argc, char** argv);
