#include "support/RunCli.h"

#include <QProcess>

CliRun RunCli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
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
