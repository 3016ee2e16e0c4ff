#include "store/RecoveryFolder.h"

#include "store/AtomicFileWriter.h"
#include "store/FileErrorText.h"
#include "store/FileErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kPrefix = "kopia-";
constexpr const char* kSetAsidePrefix = "uszkodzona-";
const QString kCopySuffix = QStringLiteral(".txt");
const QString kLockSuffix = QStringLiteral(".lock");
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kCopyMode = 0600;

[[noreturn]] void failFolder(const QString& folder, int errorNumber) {
    throw FileError(file_error_text::cannotWrite(
        folder, file_error_text::reasonForErrno(errorNumber, QString::fromLocal8Bit(std::strerror(errorNumber)))));
}

// Creates the folder and its parents; the folder itself is made, or set, 0700.
void ensureFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) failFolder(folder, errno ? errno : EACCES);
    if (::chmod(QFile::encodeName(folder).constData(), kFolderMode) != 0) failFolder(folder, errno);
}

QString uniqueId() {
    return QStringLiteral("%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

// Writes an empty lock file and locks it; retried when another Fiskon cleared it away in between.
FileLock makeLock(const QString& lockFile) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        WriteFileAtomically(lockFile, std::string_view());
        FileLock lock = FileLock::tryLock(lockFile);
        if (lock.held()) return lock;
    }
    throw FileError(file_error_text::cannotWrite(lockFile, QStringLiteral("nie można zablokować pliku")));
}

}  // namespace

QString RecoveryFolderPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir(state).filePath(QStringLiteral("fiskon"));
}

OwnRecoveryCopy::OwnRecoveryCopy(const QString& folder) {
    ensureFolder(folder);
    const QString base = QDir(folder).filePath(QString::fromLatin1(kPrefix) + uniqueId());
    fileName_ = base + kCopySuffix;
    lock_ = makeLock(base + kLockSuffix);
}

OwnRecoveryCopy::~OwnRecoveryCopy() {
    QFile::remove(fileName_);
    lock_.removeAndRelease();
}

// The copy holds PESELs and incomes: it is made readable by its owner only before it has a name.
void OwnRecoveryCopy::write(std::string_view text) const { WriteFileAtomically(fileName_, text, FileWriteOptions{false, kCopyMode}); }

void OwnRecoveryCopy::remove() const { QFile::remove(fileName_); }

void OrphanedRecoveryCopy::remove() {
    QFile::remove(fileName_);
    lock_.removeAndRelease();
}

QString OrphanedRecoveryCopy::setAside() {
    const QFileInfo file(fileName_);
    const QString target =
        file.dir().filePath(QString::fromLatin1(kSetAsidePrefix) + file.fileName().mid(int(std::strlen(kPrefix))));
    // QFile::rename never replaces a file: a copy set aside earlier under that name stays too.
    if (!QFile::rename(fileName_, target)) return {};
    lock_.removeAndRelease();
    return target;
}

std::vector<OrphanedRecoveryCopy> FindOrphanedRecoveryCopies(const QString& folder) {
    std::vector<OrphanedRecoveryCopy> found;
    const QDir dir(folder);
    const QStringList locks = dir.entryList({QString::fromLatin1(kPrefix) + QLatin1Char('*') + kLockSuffix},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& lockName : locks) {
        FileLock lock = FileLock::tryLock(dir.filePath(lockName));
        if (!lock.held()) continue;  // a Fiskon that runs, or one that has just cleared it away
        const QString copy = dir.filePath(lockName.chopped(kLockSuffix.size()) + kCopySuffix);
        RecoveryCopyInfo info;
        if (!QFileInfo::exists(copy)) {
            lock.removeAndRelease();  // it ended before its first change
            continue;
        }
        if (!ReadRecoveryCopyInfo(copy, info)) continue;
        // A lock file made anew beside the copy of a Fiskon that runs (its own was removed by hand).
        if (RecoveryCopyHolderRunning(info.holder)) continue;
        found.emplace_back(copy, std::move(lock), std::move(info));
    }
    // Copies whose lock file is gone are orphans too.
    for (const QString& copyName : dir.entryList({QString::fromLatin1(kPrefix) + QLatin1Char('*') + kCopySuffix}, QDir::Files)) {
        const QString lockFile = dir.filePath(copyName.chopped(kCopySuffix.size()) + kLockSuffix);
        if (QFileInfo::exists(lockFile)) continue;
        // Its Fiskon may still run, its lock file removed by hand: the head says who keeps it.
        RecoveryCopyInfo info;
        if (!ReadRecoveryCopyInfo(dir.filePath(copyName), info) || RecoveryCopyHolderRunning(info.holder)) continue;
        FileLock lock;
        try {
            lock = makeLock(lockFile);
        } catch (const FileError&) {
            continue;
        }
        found.emplace_back(dir.filePath(copyName), std::move(lock), std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const OrphanedRecoveryCopy& a, const OrphanedRecoveryCopy& b) {
        return a.info().madeAt > b.info().madeAt;
    });
    return found;
}
