#include "store/RecoveryCopyHolder.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace {

// The kernel's boot id, as the register's lock file names it too.
std::string bootId() { return QSysInfo::bootUniqueId().toStdString(); }

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
