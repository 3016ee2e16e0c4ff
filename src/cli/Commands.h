#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

#include <span>
#include <stdexcept>

// fiskon-cli's commands. Adding one: declare its Run function here and add its line to the table
// in CommandTable.cpp; the command itself lives in a file of its own (e.g. ConvertCommand.cpp).

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the work could not be done (messages on stderr)
inline constexpr int kExitUsage = 2;    // bad command line
inline constexpr int kExitFindings = 3; // check: the data have findings (listed on stdout)

// Thrown by a command for a bad command line; main prints the message and the command's usage.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

struct CliCommand {
    const char* name;       // as typed: "convert"
    const char* arguments;  // synopsis after the name: "IN OUT [--sort nazwisko|imie|pesel]"
    const char* summary;    // one line in Polish
    // Runs the command with the arguments after its name, writing results to `out` and messages
    // to `err` (both UTF-8); returns the exit code. May throw UsageError for a bad command line.
    int (*run)(const QStringList& arguments, QTextStream& out, QTextStream& err);
};

std::span<const CliCommand> CliCommands();

int RunConvertCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunTaxCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunRecomputeCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunImportPlatnikCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunImportDelimitedCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunFieldsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunPdfCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunCertificatesCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunSummaryCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunMailCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int RunExportDelimitedCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
