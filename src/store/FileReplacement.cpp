#include "store/FileReplacement.h"

#include "store/FileErrorText.h"
#include "store/FileErrors.h"
#include "store/FileWriteCalls.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kNameAttempts = 64;

QString reasonFor(int errorNumber) {
    if (errorNumber == EIO) return QStringLiteral("błąd zapisu na dysk (EIO)");
    return file_error_text::reasonForErrno(errorNumber, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

[[noreturn]] void refuse(const QString& fileName, const QString& reason) {
    throw FileError(file_error_text::cannotWrite(fileName, reason));
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
    struct stat status {};
    if (::lstat(QFile::encodeName(fileName).constData(), &status) != 0 || S_ISLNK(status.st_mode)) return QString();
    if (S_ISDIR(status.st_mode)) return QStringLiteral("wskazano folder, a nie plik");
    if (!S_ISREG(status.st_mode)) return QStringLiteral("to nie jest zwykły plik");
    if (isReadOnly(status) || ::access(QFile::encodeName(fileName).constData(), W_OK) != 0)
        return QStringLiteral("plik jest tylko do odczytu");
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
    if (::faccessat(folder.fd, ".", W_OK, AT_EACCESS) != 0) {
        CloseFolder(folder.fd);
        refuse(fileName, QStringLiteral("brak uprawnień do zapisu w folderze „%1”").arg(real.absolutePath()));
    }
    return folder;
}

void SyncFolder(int folderFd, const QString& fileName) {
    if (CurrentFileWriteCalls().fsyncFolder(folderFd) != 0) refuse(fileName, reasonFor(errno));
}

// Nothing was written through the folder's descriptor, so closing it cannot lose anything.
void CloseFolder(int folderFd) noexcept {
    if (folderFd >= 0) ::close(folderFd);
}

FileReplacement::FileReplacement(const QString& fileName, int folderFd, std::string targetName,
                                 const FileWriteOptions& options)
    : fileName_(fileName), folderFd_(folderFd), targetName_(std::move(targetName)) {
    try {
        openTemporary(0666);
        applyMode(options);
    } catch (...) {
        abandon();
        throw;
    }
}

FileReplacement::~FileReplacement() {
    if (state_ != State::Kept) abandon();
}

void FileReplacement::fail(int errorNumber) { refuse(fileName_, reasonFor(errorNumber)); }

void FileReplacement::openTemporary(mode_t mode) {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    if (unnamedFilesUsable()) {
        fd_ = calls.openAt(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0) return;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) fail(errno);
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = freshName(".tmp");
        fd_ = calls.openAt(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporaryName_ = std::move(name);
            return;
        }
        if (errno != EEXIST) fail(errno);
    }
    fail(EEXIST);
}

// An existing target keeps its permissions; options may set them outright.
void FileReplacement::applyMode(const FileWriteOptions& options) {
    mode_t mode = 0;
    struct stat status {};
    if (options.mode)
        mode = *options.mode;
    else if (::fstatat(folderFd_, targetName_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode))
        mode = status.st_mode & 07777;
    else
        return;
    if (CurrentFileWriteCalls().fchmod(fd_, mode) != 0) fail(errno);
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

void FileReplacement::name() {
    FileWriteCalls& calls = CurrentFileWriteCalls();
    if (temporaryName_.empty()) giveTemporaryName();
    const int fd = std::exchange(fd_, -1);
    if (calls.close(fd) != 0) fail(errno);

    // The earlier target gets a second name until the new file's name is safely on the disk, so
    // that a failure up to then can put it back.
    struct stat status {};
    if (::fstatat(folderFd_, targetName_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        for (int attempt = 0; backupName_.empty() && attempt < kNameAttempts; ++attempt) {
            std::string name = freshName(".old");
            if (calls.linkAt(folderFd_, targetName_.c_str(), folderFd_, name.c_str(), 0) == 0)
                backupName_ = std::move(name);
            else if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK)
                break;  // a file system without hard links: the target is replaced without a way back
            else if (errno != EEXIST)
                fail(errno);
        }
    }
    if (calls.renameAt(folderFd_, temporaryName_.c_str(), folderFd_, targetName_.c_str()) != 0) fail(errno);
    temporaryName_.clear();
    state_ = State::Named;
}

void FileReplacement::keep() {
    if (!backupName_.empty() && CurrentFileWriteCalls().unlinkAt(folderFd_, backupName_.c_str()) != 0) fail(errno);
    backupName_.clear();
    state_ = State::Kept;
}

void FileReplacement::abandon() noexcept {
    if (state_ == State::Abandoned || state_ == State::Kept) return;
    FileWriteCalls& calls = CurrentFileWriteCalls();
    if (fd_ >= 0) calls.close(std::exchange(fd_, -1));
    if (state_ == State::Named) {
        if (!backupName_.empty())
            calls.renameAt(folderFd_, backupName_.c_str(), folderFd_, targetName_.c_str());
        else
            calls.unlinkAt(folderFd_, targetName_.c_str());
    } else {
        if (!temporaryName_.empty()) calls.unlinkAt(folderFd_, temporaryName_.c_str());
        if (!backupName_.empty()) calls.unlinkAt(folderFd_, backupName_.c_str());
    }
    temporaryName_.clear();
    backupName_.clear();
    state_ = State::Abandoned;
}
