#include "import/MdbReaderProcess.h"

#include "import/DatabaseError.h"
#include "store/RecordLimit.h"

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
    for (const QString& candidate : candidates)
        if (IsExecutable(candidate)) return candidate;
    return {};
}

namespace {

void Stop(QProcess& process) {
    process.kill();
    process.waitForFinished(5000);
}

// Moves what the helper has written so far into the parser, a piece at a time.
void FeedAvailable(QProcess& process, MdbStreamParser& parser) {
    char piece[1 << 16];
    for (;;) {
        const qint64 got = process.read(piece, sizeof piece);
        if (got <= 0) return;
        parser.feed(std::string_view(piece, static_cast<std::size_t>(got)));
    }
}

}  // namespace

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

    // The output is parsed as it comes: only the tables (within their bounds) and one frame not
    // yet complete are held. A stream that is over (ended, or found bad) stops the helper.
    MdbStreamParser parser(bounds_);
    QDeadlineTimer deadline(timeoutMs);
    const int slice = shouldStop_ ? 20 : 200;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            Stop(process);
            throw DatabaseError(QStringLiteral("Odczyt bazy danych trwał zbyt długo i został przerwany."));
        }
        if (shouldStop_ && shouldStop_()) {
            Stop(process);
            throw ReadingCancelled();
        }
        if (process.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), slice))))
            FeedAvailable(process, parser);
        // A stream found bad needs nothing more of the helper; one that ended gets a moment to
        // exit by itself.
        if (parser.refused() && process.state() != QProcess::NotRunning) Stop(process);
        if (parser.finished() && process.state() != QProcess::NotRunning && !process.waitForFinished(2000))
            Stop(process);
    }
    FeedAvailable(process, parser);

    MdbStreamResult result = parser.take();
    if (result.status == MdbStreamResult::Status::TooLarge) {
        if (result.tooManyRows) throw RecordLimitError(static_cast<int>(bounds_.maxRows));
        throw DatabaseError(QStringLiteral("Tabela '%1' bazy danych jest większa, niż program może odczytać.")
                                .arg(QString::fromStdString(result.detail)));
    }
    // A stream that ended properly is whole, whatever exit code follows it (a leak report, say).
    if (result.status != MdbStreamResult::Status::Malformed) return result;
    if (process.exitStatus() == QProcess::CrashExit)
        throw DatabaseError(QStringLiteral("Program odczytu bazy danych zakończył się awaryjnie."));
    throw DatabaseError(QStringLiteral("Program odczytu bazy danych przekazał nieprawidłowe dane."));
}
