#include "platform/ProcessIdentity.h"

#include <QFile>

#include <signal.h>

#include <limits>
#include <optional>

namespace {

struct ProcessStat {
    char state = '?';
    quint64 started = 0;
};

// The fields of /proc/ID/stat after the command name (which may hold spaces and parentheses):
// the state is the first of them, the start time the twentieth.
std::optional<ProcessStat> ReadStat(qint64 id) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(id));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray line = stat.read(1024);
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0) return std::nullopt;
    const QList<QByteArray> fields = line.mid(end + 2).split(' ');
    if (fields.size() < 20 || fields[0].isEmpty()) return std::nullopt;
    bool numeric = false;
    ProcessStat result;
    result.state = fields[0][0];
    result.started = fields[19].toULongLong(&numeric);
    if (!numeric) return std::nullopt;
    return result;
}

bool ValidId(qint64 id) { return id > 0 && id <= std::numeric_limits<pid_t>::max(); }

bool Ended(const ProcessStat& stat) { return stat.state == 'Z' || stat.state == 'X'; }

}  // namespace

ProcessIdentity IdentifyProcess(qint64 id) {
    ProcessIdentity identity;
    identity.id = id;
    if (!ValidId(id)) return identity;
    if (const auto stat = ReadStat(id); stat && !Ended(*stat)) identity.started = stat->started;
    return identity;
}

bool ProcessIdRunning(qint64 id) {
    if (!ValidId(id) || ::kill(static_cast<pid_t>(id), 0) != 0) return false;
    const auto stat = ReadStat(id);
    return !stat || !Ended(*stat);
}

bool ProcessRunning(const ProcessIdentity& process) {
    if (!ValidId(process.id) || process.started == 0) return false;
    const auto stat = ReadStat(process.id);
    return stat && !Ended(*stat) && stat->started == process.started;
}
