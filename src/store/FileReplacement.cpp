#include "store/FileReplacement.h"

#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/FileWriteCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int kNameAttempts = 64;

QString reasonFor(int errorNumber) {
    if (errorNumber == EIO) return QStringLiteral("błąd zapisu na dysk (EIO)");
    return file_error_text::reasonForErrno(errorNumber, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

[[noreturn]] void refuse(const QString& fileName, const QString& reason) {
    throw FileError(file_error_text::cannotWrite(fileName, reason));
}

// The answers of a file system that does not offer a call at all, as opposed to a call that failed.
bool noHardLinks(int errorNumber) {
    return errorNumber == EPERM || errorNumber == EOPNOTSUPP || errorNumber == EMLINK || errorNumber == ENOSYS;
}
bool noPermissions(int errorNumber) {
    return errorNumber == ENOSYS || errorNumber == EPERM || errorNumber == EOPNOTSUPP;
}
bool noFolderSync(int errorNumber) {
    return errorNumber == EINVAL || errorNumber == EOPNOTSUPP || errorNumber == ENOSYS;
}
bool noUnnamedFiles(int errorNumber) {
    return errorNumber == EOPNOTSUPP || errorNumber == EISDIR || errorNumber == EINVAL;
}

// The process's umask, read without changing it (umask() would, for every thread at once).
mode_t processUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        return static_cast<mode_t>(022);
    }();
    return mask;
}

// A hidden name in the target's folder that nothing else uses, for the new file until it takes the
// target's name and for the earlier target while it is replaced.
std::string freshName(const char* suffix) {
    char name[40];
    std::snprintf(name, sizeof name, ".fiskon-%016llx%s",
                  static_cast<unsigned long long>(QRandomGenerator::global()->generate64()), suffix);
    return name;
}

// Unnamed temporary files need the kernel's O_TMPFILE and /proc to give them a name later.
bool unnamedFilesUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

bool deniedAccess(int errorNumber) { return errorNumber == EACCES || errorNumber == EPERM || errorNumber == EROFS; }

bool isReadOnly(const struct stat& status) { return (status.st_mode & S_IWUSR) == 0; }

// Why what stands at the target must not be replaced; empty when nothing stands in the way. A
// device or a pipe is left as it is, and so is a file marked read-only (no write permission for its
// owner), even for a user whose rights would allow replacing it.
QString refusalOf(const QFileInfo& target) {
    if (target.isDir()) return QStringLiteral("wskazano folder, a nie plik");
    if (target.exists() && !target.isFile()) return QStringLiteral("to nie jest zwykły plik");
    if (target.isFile() && (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner)))
        return QStringLiteral("plik jest tylko do odczytu");
    if (target.isSymLink() && !target.exists()) return QStringLiteral("dowiązanie symboliczne wskazuje plik, którego nie ma");
    return QString();
}

// The same for a name whose link, if any, is to be replaced rather than followed.
QString refusalOfName(const QString& fileName) {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    const QByteArray name = QFile::encodeName(fileName);
    struct stat status {};
    if (calls.statAt(AT_FDCWD, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? QString() : reasonFor(errno);
    if (S_ISLNK(status.st_mode)) return QString();
    if (S_ISDIR(status.st_mode)) return QStringLiteral("wskazano folder, a nie plik");
    if (!S_ISREG(status.st_mode)) return QStringLiteral("to nie jest zwykły plik");
    if (isReadOnly(status)) return QStringLiteral("plik jest tylko do odczytu");
    if (calls.accessAt(AT_FDCWD, name.constData(), W_OK, 0) != 0)
        return deniedAccess(errno) ? QStringLiteral("plik jest tylko do odczytu") : reasonFor(errno);
    return QString();
}

// Why the target's folder could not be opened, judged from the folder itself first.
QString folderFailureReason(const QFileInfo& folder, int errorNumber) {
    if (!folder.exists()) return QStringLiteral("folder „%1” nie istnieje").arg(folder.filePath());
    if (!folder.isDir()) return QStringLiteral("„%1” nie jest folderem").arg(folder.filePath());
    return reasonFor(errorNumber);
}

}  // namespace

TargetFolder OpenTargetFolder(const QString& fileName, const FileWriteOptions& options) {
    const QFileInfo target(fileName);
    QString realTarget = target.absoluteFilePath();
    if (options.replaceLinks) {
        if (const QString refusal = refusalOfName(realTarget); !refusal.isEmpty()) refuse(fileName, refusal);
    } else {
        if (const QString refusal = refusalOf(target); !refusal.isEmpty()) refuse(fileName, refusal);
        if (target.isSymLink()) realTarget = target.canonicalFilePath();
    }
    const QFileInfo real(realTarget);
    TargetFolder folder;
    folder.path = QFile::encodeName(real.absolutePath()).toStdString();
    folder.targetName = QFile::encodeName(real.fileName()).toStdString();
    if (folder.targetName.empty()) refuse(fileName, QStringLiteral("wskazano folder, a nie plik"));
    folder.fd = CurrentFileWriteCalls().openAt(AT_FDCWD, folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder.fd < 0) refuse(fileName, folderFailureReason(QFileInfo(real.absolutePath()), errno));
    if (CurrentFileWriteCalls().accessAt(folder.fd, ".", W_OK, AT_EACCESS) != 0) {
        const int errorNumber = errno;
        CloseFolder(folder.fd);
        if (!deniedAccess(errorNumber)) refuse(fileName, reasonFor(errorNumber));
        refuse(fileName, QStringLiteral("brak uprawnień do zapisu w folderze „%1”").arg(real.absolutePath()));
    }
    return folder;
}

int SyncFolder(int folderFd) noexcept {
    if (CurrentFileWriteCalls().fsyncFolder(folderFd) == 0 || noFolderSync(errno)) return 0;
    return errno;
}

// Nothing was written through the folder's descriptor, so closing it cannot lose anything.
void CloseFolder(int folderFd) noexcept {
    if (folderFd >= 0) ::close(folderFd);
}

FileReplacement::FileReplacement(const QString& fileName, int folderFd, std::string targetName,
                                 const FileWriteOptions& options)
    : fileName_(fileName), folderFd_(folderFd), targetName_(std::move(targetName)), options_(options) {
    openTemporary();
}

FileReplacement::~FileReplacement() {
    if (state_ != State::Kept) abandon();
}

// Undoes what can be undone, then says what is on the disk.
void FileReplacement::fail(int errorNumber) {
    const QString reason = reasonFor(errorNumber);
    const std::string backup = backupName_;
    switch (undo()) {
    case Undone::AsItWas: refuse(fileName_, reason);
    case Undone::NewFileStays:
        throw FileError(QStringLiteral("Plik „%1” zawiera już nowe dane, ale system nie potwierdził ich zapisu na "
                                       "dysk: %2. Zapisz plik ponownie, zanim wyjmiesz nośnik lub wyłączysz komputer.")
                            .arg(QDir::toNativeSeparators(fileName_), reason));
    case Undone::EarlierUnderBackupName:
        refuse(fileName_, QStringLiteral("%1; poprzednia zawartość pliku została zachowana w tym samym folderze "
                                         "jako „%2”")
                              .arg(reason, QFile::decodeName(backup.c_str())));
    }
    refuse(fileName_, reason);
}

void FileReplacement::openTemporary() {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    if (unnamedFilesUsable()) {
        fd_ = calls.openAt(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ >= 0) return;
        if (!noUnnamedFiles(errno)) fail(errno);
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = freshName(".tmp");
        fd_ = calls.openAt(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            temporaryName_ = std::move(name);
            return;
        }
        if (errno != EEXIST) fail(errno);
    }
    fail(EEXIST);
}

// An existing target keeps its group (where the user may give it; its owner too for root) and its
// permissions; options may set the permissions outright; a new file gets 0666 less the umask. The
// group goes first: changing it may clear the set-group bit that the permissions then restore.
void FileReplacement::applyOwnerAndMode() {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    struct stat earlier {};
    bool hasEarlier = false;
    if (calls.statAt(folderFd_, targetName_.c_str(), &earlier, AT_SYMLINK_NOFOLLOW) == 0)
        hasEarlier = S_ISREG(earlier.st_mode);
    else if (errno != ENOENT)
        fail(errno);
    if (hasEarlier) {
        const uid_t owner = ::geteuid() == 0 ? earlier.st_uid : static_cast<uid_t>(-1);
        if (calls.fchown(fd_, owner, earlier.st_gid) != 0 && !noPermissions(errno)) fail(errno);
    }
    const mode_t mode = options_.mode ? *options_.mode : hasEarlier ? earlier.st_mode & 07777 : 0666 & ~processUmask();
    if (calls.fchmod(fd_, mode) != 0 && !noPermissions(errno)) fail(errno);
}

void FileReplacement::write(std::string_view bytes) {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    while (!bytes.empty()) {
        const ssize_t written = calls.write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (written == 0) fail(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void FileReplacement::sync() {
    applyOwnerAndMode();
    if (CurrentFileWriteCalls().fdatasync(fd_) != 0) fail(errno);
    state_ = State::Synced;
}

void FileReplacement::giveTemporaryName() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = freshName(".tmp");
        if (CurrentFileWriteCalls().linkAt(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName_ = std::move(name);
            return;
        }
        if (errno != EEXIST) fail(errno);
    }
    fail(EEXIST);
}

// The earlier target gets a second name until the new file's name is safely on the disk, so that a
// failure up to then can put it back. A file system without hard links allows none.
void FileReplacement::giveBackupName() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = freshName(".old");
        if (CurrentFileWriteCalls().linkAt(folderFd_, targetName_.c_str(), folderFd_, name.c_str(), 0) == 0) {
            backupName_ = std::move(name);
            return;
        }
        if (noHardLinks(errno)) return;
        if (errno != EEXIST) fail(errno);
    }
    fail(EEXIST);
}

void FileReplacement::name() {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    if (temporaryName_.empty()) giveTemporaryName();
    if (calls.close(std::exchange(fd_, -1)) != 0) fail(errno);

    struct stat status {};
    bool hasEarlier = true;
    if (calls.statAt(folderFd_, targetName_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) fail(errno);
        hasEarlier = false;
    }
    if (hasEarlier) giveBackupName();
    if (calls.renameAt(folderFd_, temporaryName_.c_str(), folderFd_, targetName_.c_str()) != 0) fail(errno);
    temporaryName_.clear();
    state_ = hasEarlier && backupName_.empty() ? State::Replaced : State::Named;
}

void FileReplacement::keep(int folderSyncError) {
    if (folderSyncError != 0) fail(folderSyncError);
    if (!backupName_.empty() && CurrentFileWriteCalls().unlinkAt(folderFd_, backupName_.c_str()) != 0) fail(errno);
    backupName_.clear();
    state_ = State::Kept;
}

void FileReplacement::abandon() noexcept { undo(); }

FileReplacement::Undone FileReplacement::undo() noexcept {
    switch (state_) {
    case State::Kept: return Undone::NewFileStays;
    case State::Replaced: return Undone::NewFileStays;  // the only copy of the data: it stays
    case State::Abandoned: return Undone::AsItWas;
    default: break;
    }
    FileWriteCalls& calls = CurrentFileWriteCalls();
    Undone undone = Undone::AsItWas;
    if (fd_ >= 0) calls.close(std::exchange(fd_, -1));
    if (state_ == State::Named) {
        if (backupName_.empty())
            calls.unlinkAt(folderFd_, targetName_.c_str());  // a new file: as before, there is none
        else if (calls.renameAt(folderFd_, backupName_.c_str(), folderFd_, targetName_.c_str()) != 0)
            undone = Undone::EarlierUnderBackupName;
    } else {
        if (!temporaryName_.empty()) calls.unlinkAt(folderFd_, temporaryName_.c_str());
        if (!backupName_.empty()) calls.unlinkAt(folderFd_, backupName_.c_str());
    }
    temporaryName_.clear();
    backupName_.clear();
    state_ = State::Abandoned;
    return undone;
}
