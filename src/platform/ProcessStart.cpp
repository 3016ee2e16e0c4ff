#include "platform/ProcessStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString executableAt(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

// Owned by this user or root, and writable by nobody else.
bool ownedSafely(const QByteArray& path, bool folder) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) return false;
    if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)) return false;
    return (info.st_uid == ::getuid() || info.st_uid == 0) && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString resolve(const QString& program) {
    if (program.contains(QLatin1Char('/'))) return executableAt(program);
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty())
        if (QString found = executableAt(QDir(programFolder).filePath(program)); !found.isEmpty()) return found;
    if (QString found = executableAt(QDir::current().filePath(program)); !found.isEmpty() && isTrustedProgram(found))
        return found;
    return QStandardPaths::findExecutable(program);
}

}  // namespace

bool isTrustedProgram(const QString& path) {
    const QFileInfo info(path);
    return ownedSafely(QFile::encodeName(info.absoluteFilePath()), false) &&
           ownedSafely(QFile::encodeName(info.absolutePath()), true);
}

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
