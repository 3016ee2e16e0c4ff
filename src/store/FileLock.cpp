#include "store/FileLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), fileName_(std::move(other.fileName_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        fileName_ = std::move(other.fileName_);
    }
    return *this;
}

FileLock FileLock::tryLock(const QString& fileName) {
    FileLock lock;
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return lock;
    lock.fd_ = fd;
    lock.fileName_ = fileName;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !lock.stillNamed()) lock.release();
    return lock;
}

bool FileLock::stillNamed() const {
    if (fd_ < 0) return false;
    struct stat opened {};
    struct stat named {};
    const QByteArray path = QFile::encodeName(fileName_);
    return ::fstat(fd_, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

void FileLock::removeAndRelease() {
    if (stillNamed()) ::unlink(QFile::encodeName(fileName_).constData());
    release();
}

void FileLock::release() {
    if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
    fd_ = -1;
}
