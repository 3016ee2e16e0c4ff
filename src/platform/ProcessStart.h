#pragma once

#include <QString>
#include <QStringList>

// Starting a program from a command line the way WinExec does: "path /ARG ..." where the path may
// hold spaces, and a program named without a folder is sought in the running program's folder, the
// current folder (only a trusted program, see below) and then the PATH.
struct CommandLine {
    QString program;  // resolved path; empty when no such program exists
    QStringList arguments;
};

CommandLine parseCommandLine(const QString& commandLine);

// A program that only this user (or root) can have put there: a regular file owned by the user or
// root that neither its group nor others may write, in a folder of the user or root that neither
// its group nor others may write. A program in any other folder someone else could have planted.
bool isTrustedProgram(const QString& path);

// Starts the program detached; 33 when it runs, 2 when it is missing or cannot be started.
// showCommand reaches the program as the environment variable FISKON_SHOW_COMMAND. `processId`
// (when given) receives the started program's process id.
int startCommandLine(const QString& commandLine, int showCommand, qint64* processId = nullptr);
