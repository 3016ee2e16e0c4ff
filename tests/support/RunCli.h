#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a run of the built fiskon-cli gave: its exit code (-1 when it crashed or did not finish in
// time) and what it wrote to standard output and standard error, read as UTF-8.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs fiskon-cli with `arguments`, `input` given on its standard input, and waits for it.
CliRun RunCli(const QStringList& arguments, const QByteArray& input = {});
// The same with the size of every file it writes limited to `bytes` (as `ulimit -f` does).
CliRun RunCliWithFileSizeLimit(const QStringList& arguments, qint64 bytes);
