#include "support/FaultyFileWriteCalls.h"

#include <cerrno>

bool FaultyFileWriteCalls::faultFor(const char* kind) {
    const std::lock_guard lock(mutex_);
    calls_.emplace_back(kind);
    if (static_cast<int>(calls_.size()) != failAt_) return false;
    failed_ = kind;
    return true;
}

#define FAULTY_CALL(kind, call)  \
    if (faultFor(kind)) {        \
        errno = errorNumber_;    \
        return -1;               \
    }                            \
    return call

int FaultyFileWriteCalls::openAt(int folderFd, const char* path, int flags, mode_t mode) {
    FAULTY_CALL("open", FileWriteCalls::openAt(folderFd, path, flags, mode));
}

ssize_t FaultyFileWriteCalls::write(int fd, const void* data, std::size_t size) {
    if (faultFor("write")) {
        if (errorNumber_ == kShortWrite) return FileWriteCalls::write(fd, data, size > 1 ? size / 2 : size);
        errno = errorNumber_;
        return -1;
    }
    return FileWriteCalls::write(fd, data, size);
}

int FaultyFileWriteCalls::fchmod(int fd, mode_t mode) { FAULTY_CALL("fchmod", FileWriteCalls::fchmod(fd, mode)); }
int FaultyFileWriteCalls::fdatasync(int fd) { FAULTY_CALL("fdatasync", FileWriteCalls::fdatasync(fd)); }
int FaultyFileWriteCalls::fsyncFolder(int folderFd) { FAULTY_CALL("fsync-folder", FileWriteCalls::fsyncFolder(folderFd)); }

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
    FAULTY_CALL("link", FileWriteCalls::linkAt(fromFolderFd, fromPath, toFolderFd, toPath, flags));
}

int FaultyFileWriteCalls::renameAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath) {
    FAULTY_CALL("rename", FileWriteCalls::renameAt(fromFolderFd, fromPath, toFolderFd, toPath));
}

int FaultyFileWriteCalls::unlinkAt(int folderFd, const char* path) {
    FAULTY_CALL("unlink", FileWriteCalls::unlinkAt(folderFd, path));
}

#undef FAULTY_CALL

std::vector<std::string> FaultyFileWriteCalls::calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

std::string FaultyFileWriteCalls::failedCall() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}
