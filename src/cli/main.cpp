// fiskon-cli: the program's data work without windows, for batch use and tests.
#include "cli/Commands.h"

#include "signing/CertificateDatabase.h"
#include "store/FileErrors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHashSeed>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

QString usageText() {
    QString text = QStringLiteral("Użycie: fiskon-cli POLECENIE [ARGUMENTY...]\n\nPolecenia:");
    for (const CliCommand& command : CliCommands())
        text += QStringLiteral("\n  %1 %2\n      %3")
                    .arg(QString::fromUtf8(command.name), QString::fromUtf8(command.arguments),
                         QString::fromUtf8(command.summary));
    return text;
}

const CliCommand* findCommand(const QString& name) {
    for (const CliCommand& command : CliCommands())
        if (name == QString::fromUtf8(command.name)) return &command;
    return nullptr;
}

QString commandUsage(const CliCommand& command) {
    return QStringLiteral("Użycie: fiskon-cli %1 %2").arg(QString::fromUtf8(command.name), QString::fromUtf8(command.arguments));
}

// "--help" or "-h" among the options (before "--").
bool asksForHelp(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--")) return false;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) return true;
    }
    return false;
}

int runCommand(const CliCommand& command, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (asksForHelp(arguments)) {
        out << commandUsage(command) << '\n' << QString::fromUtf8(command.summary) << '\n';
        return kExitSuccess;
    }
    try {
        return command.run(arguments, out, err);
    } catch (const UsageError& error) {
        err << error.message() << '\n' << commandUsage(command) << '\n';
        return kExitUsage;
    } catch (const FileError& error) {
        err << error.message() << '\n';
    } catch (const ConversionError& error) {
        err << error.message() << '\n';
    } catch (const std::exception& error) {
        err << QStringLiteral("Błąd: %1").arg(QString::fromUtf8(error.what())) << '\n';
    }
    return kExitFailure;
}

// Commands that draw pages need the GUI application (fonts, painting), without any display.
bool drawsPages(int argc, char* argv[]) {
    return argc > 1 && (std::strcmp(argv[1], "pdf") == 0 || std::strcmp(argv[1], "mail") == 0);
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[]) {
    if (!drawsPages(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The command speaks to its user through its own Polish messages; Qt's English diagnostics (a
// missing runtime folder, a font fallback) are not for the user and would mix into the findings.
void dropQtDiagnostics(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char* argv[]) {
    // Qt's PDF writer lists a document's fonts in the order of a hash table, and Qt seeds its hash
    // tables at random in each process: with a fixed seed the same register gives the same PDF
    // bytes in every run and on any number of --jobs, which a command run in scripts is expected to
    // give. The seed must be set before the first hash table exists, so it is set here, first of
    // all, and only in this program: the windowed programs keep Qt's random seed, which guards
    // their tables against input made to collide. The files this program reads are its user's own.
    if (drawsPages(argc, argv)) QHashSeed::setDeterministicGlobalSeed();
    qInstallMessageHandler(&dropQtDiagnostics);
    // A file-size limit (ulimit -f) makes a write fail with "plik jest za duży" instead of ending
    // the program half-way through the write.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        err << usageText() << '\n';
        return kExitUsage;
    }
    const QString& name = arguments.front();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        out << usageText() << '\n';
        return kExitSuccess;
    }
    const CliCommand* command = findCommand(name);
    if (!command) {
        err << QStringLiteral("Nieznane polecenie „%1”.").arg(name) << '\n' << usageText() << '\n';
        return kExitUsage;
    }
    arguments.removeFirst();
    const int code = runCommand(*command, arguments, out, err);
    // A command that signed finishes with the certificate database and its card modules here,
    // while every library is still whole. The process then ends without the exit handlers: the
    // signing library's own would shut NSS down a second time and complain of it in English,
    // and a card module's destructors must not be left to run against a live NSS.
    if (FinishCertificateDatabase()) {
        out.flush();
        err.flush();
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
