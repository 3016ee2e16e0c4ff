#include "support/FaultyFileWriteCalls.h"

#include <fcntl.h>

#include <cerrno>

bool FaultyFileWriteCalls::faultFor(const char* kind) {
    const std::lock_guard lock(mutex_);
    calls_.emplace_back(kind);
    if (static_cast<int>(calls_.size()) != failAt_) return false;
    failed_ = kind;
    return true;
}

#define INJECT_FAULT(kind)    \
    if (faultFor(kind)) {     \
        errno = errorNumber_; \
        return -1;            \
    }

#define FAULTY_CALL(kind, call) \
    INJECT_FAULT(kind)          \
    return call

// What the profile's file system answers for a call it does not offer.
#define ABSENT_CALL(offered, error) \
    if (!(offered)) {               \
        errno = error;              \
        return -1;                  \
    }

int FaultyFileWriteCalls::openAt(int folderFd, const char* path, int flags, mode_t mode) {
    INJECT_FAULT("open")
    ABSENT_CALL(profile_.unnamedFiles || (flags & O_TMPFILE) != O_TMPFILE, EOPNOTSUPP)
    return FileWriteCalls::openAt(folderFd, path, flags, mode);
}

ssize_t FaultyFileWriteCalls::write(int fd, const void* data, std::size_t size) {
    if (faultFor("write")) {
        if (errorNumber_ == kShortWrite) return FileWriteCalls::write(fd, data, size > 1 ? size / 2 : size);
        errno = errorNumber_;
        return -1;
    }
    return FileWriteCalls::write(fd, data, size);
}

int FaultyFileWriteCalls::fchmod(int fd, mode_t mode) {
    INJECT_FAULT("fchmod")
    ABSENT_CALL(profile_.permissions, ENOSYS)
    return FileWriteCalls::fchmod(fd, mode);
}

int FaultyFileWriteCalls::fchown(int fd, uid_t owner, gid_t group) {
    INJECT_FAULT("fchown")
    ABSENT_CALL(profile_.permissions, ENOSYS)
    return FileWriteCalls::fchown(fd, owner, group);
}

int FaultyFileWriteCalls::statAt(int folderFd, const char* path, struct stat* status, int flags) {
    FAULTY_CALL("fstatat", FileWriteCalls::statAt(folderFd, path, status, flags));
}

int FaultyFileWriteCalls::accessAt(int folderFd, const char* path, int mode, int flags) {
    FAULTY_CALL("faccessat", FileWriteCalls::accessAt(folderFd, path, mode, flags));
}

int FaultyFileWriteCalls::fdatasync(int fd) { FAULTY_CALL("fdatasync", FileWriteCalls::fdatasync(fd)); }

int FaultyFileWriteCalls::fsyncFolder(int folderFd) {
    INJECT_FAULT("fsync-folder")
    ABSENT_CALL(profile_.folderSync, EINVAL)
    return FileWriteCalls::fsyncFolder(folderFd);
}

// A close that fails still closes the descriptor, as on Linux.
int FaultyFileWriteCalls::close(int fd) {
    if (faultFor("close")) {
        FileWriteCalls::close(fd);
        errno = errorNumber_;
        return -1;
    }
    return FileWriteCalls::close(fd);
}

int FaultyFileWriteCalls::linkAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath, int flags) {
    INJECT_FAULT("link")
    ABSENT_CALL(profile_.hardLinks, EPERM)
    return FileWriteCalls::linkAt(fromFolderFd, fromPath, toFolderFd, toPath, flags);
}

int FaultyFileWriteCalls::renameAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath) {
    FAULTY_CALL("rename", FileWriteCalls::renameAt(fromFolderFd, fromPath, toFolderFd, toPath));
}

int FaultyFileWriteCalls::unlinkAt(int folderFd, const char* path) {
    FAULTY_CALL("unlink", FileWriteCalls::unlinkAt(folderFd, path));
}

#undef FAULTY_CALL
#undef INJECT_FAULT
#undef ABSENT_CALL

std::vector<std::string> FaultyFileWriteCalls::calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

std::string FaultyFileWriteCalls::failedCall() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}
