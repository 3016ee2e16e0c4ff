#include "store/FileWriteCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

int FileWriteCalls::openAt(int folderFd, const char* path, int flags, mode_t mode) {
    return ::openat(folderFd, path, flags, mode);
}
ssize_t FileWriteCalls::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileWriteCalls::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileWriteCalls::fchown(int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); }
int FileWriteCalls::statAt(int folderFd, const char* path, struct stat* status, int flags) {
    return ::fstatat(folderFd, path, status, flags);
}
int FileWriteCalls::accessAt(int folderFd, const char* path, int mode, int flags) {
    return ::faccessat(folderFd, path, mode, flags);
}
int FileWriteCalls::fdatasync(int fd) { return ::fdatasync(fd); }
int FileWriteCalls::fsyncFolder(int folderFd) { return ::fsync(folderFd); }
int FileWriteCalls::close(int fd) { return ::close(fd); }
int FileWriteCalls::linkAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath, int flags) {
    return ::linkat(fromFolderFd, fromPath, toFolderFd, toPath, flags);
}
int FileWriteCalls::renameAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath) {
    return ::renameat(fromFolderFd, fromPath, toFolderFd, toPath);
}
int FileWriteCalls::unlinkAt(int folderFd, const char* path) { return ::unlinkat(folderFd, path, 0); }

namespace {

FileWriteCalls& systemCalls() {
    static FileWriteCalls calls;
    return calls;
}

std::atomic<FileWriteCalls*>& installed() {
    static std::atomic<FileWriteCalls*> calls{&systemCalls()};
    return calls;
}

}  // namespace

FileWriteCalls& CurrentFileWriteCalls() { return *installed().load(std::memory_order_acquire); }

ScopedFileWriteCalls::ScopedFileWriteCalls(FileWriteCalls& calls) : previous_(installed().exchange(&calls)) {}

ScopedFileWriteCalls::~ScopedFileWriteCalls() { installed().store(previous_); }
