#pragma once

#include "store/AtomicFileWriter.h"

#include <QString>

#include <string>
#include <string_view>

// One file on its way to replace (or create) a target, the building block of the program's one
// writer. Every system call goes through CurrentFileWriteCalls() and every result is checked; a
// failure throws FileError, after which abandon() (also run by the destructor) removes what the
// replacement made and puts the earlier target back.
class FileReplacement {
public:
    // Where a replacement stands, in the order it goes through.
    enum class State {
        Writing,  // the temporary file is open and takes bytes
        Synced,   // its bytes are on the disk
        Named,    // it has the target's name; an earlier target waits under a backup name
        Kept,     // done: the backup is gone
        Abandoned // failed or given up: the temporary file is gone, the earlier target restored
    };

    // Opens the temporary file beside the target; `folderFd` is the target's folder, opened by the
    // caller (see OpenTargetFolder), and stays the caller's.
    FileReplacement(const QString& fileName, int folderFd, std::string targetName, const FileWriteOptions& options);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void write(std::string_view bytes);
    void sync();
    // Gives the file the target's name, keeping an earlier target under a backup name until keep().
    void name();
    // Drops the backup: called once the folder is synced.
    void keep();
    // Undoes whatever was done; never throws.
    void abandon() noexcept;

    State state() const { return state_; }
    const QString& fileName() const { return fileName_; }

private:
    [[noreturn]] void fail(int errorNumber);
    void openTemporary(mode_t mode);
    void giveTemporaryName();
    void applyMode(const FileWriteOptions& options);

    QString fileName_;
    int folderFd_;
    std::string targetName_;
    int fd_ = -1;
    std::string temporaryName_;  // empty while the file has no name
    std::string backupName_;     // the earlier target while Named
    State state_ = State::Writing;
};

// The folder a target lives in, resolved as the writer resolves it: a link to an existing regular
// file is followed unless links are to be replaced. Refuses (FileError) targets that must not be
// replaced. The caller closes `fd`.
struct TargetFolder {
    int fd = -1;
    std::string path;
    std::string targetName;
};
TargetFolder OpenTargetFolder(const QString& fileName, const FileWriteOptions& options);

// Syncs a folder's entries; throws FileError naming `fileName` on failure.
void SyncFolder(int folderFd, const QString& fileName);
// Closes a folder opened by OpenTargetFolder, ignoring errors (nothing was written through it).
void CloseFolder(int folderFd) noexcept;
