#include "import/MdbReaderProcess.h"

#include "import/DatabaseError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

const char kProgramName[] = "fiskon-mdb-reader";

bool IsExecutable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString RunningProgramFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

}  // namespace

QString MdbReaderProcess::findProgram() {
    const QString fromEnvironment = qEnvironmentVariable("FISKON_MDB_READER");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    QStringList candidates;
    const QString folder = RunningProgramFolder();
    if (!folder.isEmpty()) candidates << folder + QLatin1Char('/') + QLatin1String(kProgramName);
    candidates << QStringLiteral(FISKON_LIBEXEC_DIR "/") + QLatin1String(kProgramName);
#ifdef FISKON_MDB_READER_BUILD_PATH
    candidates << QStringLiteral(FISKON_MDB_READER_BUILD_PATH);
#endif
    for (const QString& candidate : candidates)
        if (IsExecutable(candidate)) return candidate;
    return {};
}

MdbStreamResult MdbReaderProcess::run(const QString& databasePath, const QString& password,
                                      const QStringList& tables, int timeoutMs) const {
    const QString program = program_.isEmpty() ? findProgram() : program_;
    if (program.isEmpty())
        throw DatabaseError(QStringLiteral("Nie znaleziono programu odczytu bazy danych (%1).")
                                .arg(QLatin1String(kProgramName)));

    QProcess process;
    process.setProgram(program);
    process.setArguments(QStringList{databasePath} + tables);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(timeoutMs))
        throw DatabaseError(QStringLiteral("Nie udało się uruchomić programu odczytu bazy danych (%1).")
                                .arg(program));
    // The password travels unparsed: whatever it holds (";", line ends) reaches the helper as is.
    process.write(password.toUtf8());
    process.closeWriteChannel();

    QByteArray output;
    QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            process.kill();
            process.waitForFinished(5000);
            throw DatabaseError(QStringLiteral("Odczyt bazy danych trwał zbyt długo i został przerwany."));
        }
        const auto slice = static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200));
        if (process.waitForReadyRead(slice)) output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();

    if (process.exitStatus() == QProcess::CrashExit)
        throw DatabaseError(QStringLiteral("Program odczytu bazy danych zakończył się awaryjnie."));
    MdbStreamResult result = ParseMdbStream(output.toStdString());
    if (result.status == MdbStreamResult::Status::Malformed)
        throw DatabaseError(QStringLiteral("Program odczytu bazy danych przekazał nieprawidłowe dane."));
    // A stream that ended properly is whole, whatever exit code follows it (a leak report, say).
    return result;
}
