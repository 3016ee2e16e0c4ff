#pragma once

#include "store/FileWriteCalls.h"

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

// What a file system offers of the writer's calls. One that lacks a call answers it as such file
// systems do: FAT and exFAT have no hard links (EPERM) and no unnamed files (EOPNOTSUPP), FAT no
// permissions (ENOSYS), the shared folders of virtual machines no folder sync (EINVAL).
struct FileSystemProfile {
    const char* name = "ext4";
    bool hardLinks = true;
    bool unnamedFiles = true;
    bool folderSync = true;
    bool permissions = true;
};

// A file system without hard links has no unnamed files either: they get their names by a link.
inline const FileSystemProfile kFileSystemProfiles[] = {
    {"ext4", true, true, true, true},
    {"no hard links (exFAT)", false, false, true, true},
    {"no unnamed files", true, false, true, true},
    {"no folder sync", true, true, false, true},
    {"no permissions", true, true, true, false},
    {"FAT", false, false, true, false},
};

// The writer's system calls on a file system of the given profile, with one fault put in on
// purpose: call number `failAt` (from 1, over every kind of call) fails with `errorNumber`, or,
// for a write given `kShortWrite`, takes only part of the bytes. Every call is recorded by kind
// ("open", "write", "fdatasync", ...), so that a test can first count the calls of a whole save
// and then fail each in turn.
class FaultyFileWriteCalls : public FileWriteCalls {
public:
    static constexpr int kShortWrite = -1;

    explicit FaultyFileWriteCalls(int failAt = 0, int errorNumber = 0, FileSystemProfile profile = {})
        : failAt_(failAt), errorNumber_(errorNumber), profile_(profile) {}

    int openAt(int folderFd, const char* path, int flags, mode_t mode) override;
    ssize_t write(int fd, const void* data, std::size_t size) override;
    int fchmod(int fd, mode_t mode) override;
    int fchown(int fd, uid_t owner, gid_t group) override;
    int statAt(int folderFd, const char* path, struct stat* status, int flags) override;
    int accessAt(int folderFd, const char* path, int mode, int flags) override;
    int fdatasync(int fd) override;
    int fsyncFolder(int folderFd) override;
    int close(int fd) override;
    int linkAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath, int flags) override;
    int renameAt(int fromFolderFd, const char* fromPath, int toFolderFd, const char* toPath) override;
    int unlinkAt(int folderFd, const char* path) override;

    std::vector<std::string> calls() const;
    // The kind of the call that was failed; empty while none was.
    std::string failedCall() const;

private:
    // Records a call; true when this one is to fail.
    bool faultFor(const char* kind);

    const int failAt_;
    const int errorNumber_;
    const FileSystemProfile profile_;
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::string failed_;
};

// The errors a failed call is given in the sweeps: a full disk, an I/O error, a file-size limit.
inline constexpr int kInjectedErrors[] = {ENOSPC, EIO, EFBIG};
