#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

// The system calls through which the program's one file writer works, in one place, so that a test
// can make any one of them fail (a full disk, an I/O error, a file-size limit, a short write), or
// answer as a file system without some of them would (no hard links, no unnamed files, no folder
// sync, no permissions), and prove that no failure loses a file. The calls return what the system
// calls return and leave errno as they do. Implementations must be safe to call from several
// threads at once.
class FileWriteCalls {
public:
    virtual ~FileWriteCalls() = default;
    virtual int openAt(int folderFd, const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int fchown(int fd, uid_t owner, gid_t group);
    virtual int statAt(int folderFd, const char* path, struct stat* status, int flags);
    virtual int accessAt(int folderFd, const char* path, int mode, int flags);
    virtual int fdatasync(int fd);
    // Makes a folder's entries (a renamed or removed name) durable.
    virtual int fsyncFolder(int folderFd);
    virtual int close(int fd);
    virtual int linkAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath, int flags);
    virtual int renameAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath);
    virtual int unlinkAt(int folderFd, const char* path);
};

// The calls in force: the system's own unless a test installed others.
FileWriteCalls& CurrentFileWriteCalls();

// Test seam: puts `calls` in force for one scope (not while a write is in progress).
class ScopedFileWriteCalls {
public:
    explicit ScopedFileWriteCalls(FileWriteCalls& calls);
    ~ScopedFileWriteCalls();
    ScopedFileWriteCalls(const ScopedFileWriteCalls&) = delete;
    ScopedFileWriteCalls& operator=(const ScopedFileWriteCalls&) = delete;

private:
    FileWriteCalls* previous_;
};
