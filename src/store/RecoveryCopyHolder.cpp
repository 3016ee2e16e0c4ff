#include "store/RecoveryCopyHolder.h"

#include <QCoreApplication>
#include <QFile>

namespace {

std::string bootId() {
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(64).trimmed().toStdString();
}

}  // namespace

RecoveryCopyHolder ThisRecoveryCopyHolder() {
    return {IdentifyProcess(QCoreApplication::applicationPid()), bootId()};
}

bool RecoveryCopyHolderRunning(const RecoveryCopyHolder& holder) {
    if (holder.process.id <= 0) return false;
    // Another boot: every process of that one is gone.
    const std::string boot = bootId();
    if (!holder.boot.empty() && !boot.empty() && holder.boot != boot) return false;
    return ProcessRunning(holder.process);
}
