#include "support/RunCli.h"

#include <QProcess>

#include <sys/resource.h>

namespace {

CliRun run(QProcess& process, const QStringList& arguments, const QByteArray& input) {
    process.start(QStringLiteral(FISKON_CLI_PATH), arguments);
    if (!process.waitForStarted()) return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

CliRun RunCli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    return run(process, arguments, input);
}

CliRun RunCliWithFileSizeLimit(const QStringList& arguments, qint64 bytes) {
    QProcess process;
    process.setChildProcessModifier([bytes] {
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    return run(process, arguments, {});
}
