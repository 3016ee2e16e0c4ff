#pragma once

#include "store/AtomicFileWriter.h"

#include <QString>

#include <string>
#include <string_view>

// One file on its way to replace (or create) a target, the building block of the program's one
// writer. Every system call goes through CurrentFileWriteCalls() and every result is checked; a
// failure undoes what can be undone and throws FileError, whose message says what is on the disk.
//
// The file systems the program meets do not all offer every call. What a call answers when its file
// system does not offer it is not a failure:
//   - no unnamed files (O_TMPFILE: EOPNOTSUPP, EISDIR, EINVAL): the temporary file gets a hidden name;
//   - no hard links (EPERM, EOPNOTSUPP, EMLINK, ENOSYS; FAT and exFAT): the earlier target gets no
//     second name, so once replaced there is no way back to it;
//   - no permissions or owners (fchmod, fchown: ENOSYS, EPERM, EOPNOTSUPP; FAT): the file keeps
//     what the file system gives it; a group the user may not give is not given either;
//   - no folder sync (EINVAL, EOPNOTSUPP, ENOSYS; shared folders of virtual machines): the names
//     are as durable as the file system makes them.
//
// The states, and what a failing call leaves ("as it was": the target byte for byte what it was, or
// still absent, and no temporary file; the message "Nie można zapisać pliku „X”: <reason>."):
//
//   state     failing call                                  on the disk          the user is told
//   --------  --------------------------------------------  -------------------  ------------------
//   Writing   open (temporary), write (a write of 0 bytes   as it was            cannot write
//             counts as a full disk), fstatat (earlier
//             target), fchown, fchmod, fdatasync
//   Synced    link (unnamed file gets a hidden name),       as it was; a backup  cannot write
//             close, fstatat (target), link (backup),       name already made
//             rename                                        is removed
//   Named     folder sync, unlink of the backup             as it was: the       cannot write
//                                                           backup takes the
//                                                           target's name back
//                                                           (a new file's name
//                                                           is removed)
//   Named     as above, and renaming the backup back fails  the new file at the  cannot write, and
//                                                           target, the earlier  where the earlier
//                                                           one under its backup content is kept
//                                                           name
//   Replaced  folder sync                                   the new file, whole, the new file is in
//                                                           at the target        place but its flush
//                                                                                to the disk could not
//                                                                                be confirmed
//   Kept      (nothing fails any more)                      the new file         nothing
//
// Named and Replaced differ in the earlier target: in Named it waits under a backup name (or there
// was none); in Replaced it is gone, and the new file, already flushed to the disk before it took
// the name, is the only copy: it is never removed.
class FileReplacement {
public:
    enum class State {
        Writing,   // the temporary file is open and takes bytes
        Synced,    // its bytes are on the disk
        Named,     // it has the target's name; an earlier target waits under a backup name
        Replaced,  // it has the target's name; the earlier target had no second name and is gone
        Kept,      // done: the backup is gone, the names are on the disk
        Abandoned  // failed or given up: the temporary file is gone, the earlier target restored
    };

    // Opens the temporary file beside the target, 0600, so that nobody else can read it while it
    // fills; `folderFd` is the target's folder, opened by the caller (see OpenTargetFolder), and
    // stays the caller's.
    FileReplacement(const QString& fileName, int folderFd, std::string targetName, const FileWriteOptions& options);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void write(std::string_view bytes);
    // Gives the file the earlier target's group and permissions (or the options', or those of a
    // new file) and flushes it to the disk.
    void sync();
    // Gives the file the target's name, keeping an earlier target under a backup name where the
    // file system allows a second name.
    void name();
    // Ends the replacement once its folder was synced; `folderSyncError` is what the sync answered
    // (see SyncFolder). A failed sync undoes the replacement where a backup allows it and throws.
    void keep(int folderSyncError = 0);
    // Undoes whatever can be undone; never throws. A Replaced file stays.
    void abandon() noexcept;

    State state() const { return state_; }
    // The new file has the target's name and stays there (the replacement is over or past undoing).
    bool inPlace() const { return state_ == State::Kept || state_ == State::Replaced; }
    const QString& fileName() const { return fileName_; }
    int folderFd() const { return folderFd_; }

private:
    // What undoing a replacement after a failure achieved.
    enum class Undone { AsItWas, NewFileStays, EarlierUnderBackupName };

    [[noreturn]] void fail(int errorNumber);
    Undone undo() noexcept;
    void openTemporary();
    void giveTemporaryName();
    void giveBackupName();
    void applyOwnerAndMode();

    QString fileName_;
    int folderFd_;
    std::string targetName_;
    FileWriteOptions options_;
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

// Syncs a folder's entries: 0, or the error of a sync that failed. A file system that offers no
// folder sync answers with an error that is no failure: that gives 0 too.
int SyncFolder(int folderFd) noexcept;
// Closes a folder opened by OpenTargetFolder, ignoring errors (nothing was written through it).
void CloseFolder(int folderFd) noexcept;
