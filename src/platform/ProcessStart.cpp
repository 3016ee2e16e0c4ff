#include "platform/ProcessStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString executableAt(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

QString resolve(const QString& program) {
    if (program.contains(QLatin1Char('/'))) return executableAt(program);
    for (const QString& folder : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        if (folder.isEmpty()) continue;
        if (QString found = executableAt(QDir(folder).filePath(program)); !found.isEmpty()) return found;
    }
    return QStandardPaths::findExecutable(program);
}

}  // namespace

CommandLine parseCommandLine(const QString& commandLine) {
    const QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    CommandLine result;
    if (words.isEmpty()) return result;
    // The longest run of leading words that names a program: a folder may hold spaces.
    for (qsizetype count = words.size(); count >= 1; --count) {
        const QString candidate = words.mid(0, count).join(QLatin1Char(' '));
        if (QString found = resolve(candidate); !found.isEmpty()) {
            result.program = found;
            result.arguments = words.mid(count);
            return result;
        }
    }
    result.arguments = words.mid(1);
    return result;
}

int startCommandLine(const QString& commandLine, int showCommand, qint64* processId) {
    constexpr int kStarted = 33;
    constexpr int kFileNotFound = 2;
    const CommandLine command = parseCommandLine(commandLine);
    if (command.program.isEmpty()) return kFileNotFound;
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FISKON_SHOW_COMMAND"), QString::number(showCommand));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(processId) ? kStarted : kFileNotFound;
}
